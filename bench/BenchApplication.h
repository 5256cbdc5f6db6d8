// The game's application for the window benchmarks: on the offscreen
// platform, with no box popping up while measuring, in a fresh temporary
// folder so that no record file or manual of the player's is read.
#pragma once

#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>

#include "Application.h"
#include "Dialogs.h"

// Answers every box at once: messages and errors go unseen, questions get
// No, input boxes Cancel.
struct SilentDialogs : dialogs::DialogSeam {
    void message(const QString&) override { }
    dialogs::Answer question(const QString&, const QString&, bool) override { return dialogs::Answer::No; }
    bool input(const QString&, const QString&, QString&) override { return false; }
    void error(const QString&) override { }
};

class BenchApplication {
public:
    BenchApplication()
    {
        dialogs::Install(&silent_);
        QDir::setCurrent(dir_.path());
    }
    BenchApplication(const BenchApplication&) = delete;
    BenchApplication& operator=(const BenchApplication&) = delete;

    TApplication& app() { return app_; }

    // Runs the benchmarks the command line asks for.
    static void Run(int& argc, char** argv)
    {
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }

private:
    // Before the application exists, which reads the platform's name.
    static bool Offscreen()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return true;
    }

    bool offscreen_ = Offscreen();
    // The application keeps a reference to its argument count.
    char name_[10] = "Zemmickp1";
    char* args_[2] = {name_, nullptr};
    int count_ = 1;
    TApplication app_{count_, args_};
    SilentDialogs silent_;
    QTemporaryDir dir_;
};
