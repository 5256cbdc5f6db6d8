// The information window's start-up with manuals of many sizes: the window
// is made (reading "Manual.txt"), shown and laid out, and the view goes to
// the end of the text, as a player scrolling through it would.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QScrollBar>
#include <QTextEdit>

#include "BenchApplication.h"
#include "Infoshow1.h"

namespace {

// One unbreakable run of letters (no blank, no line end) of this many bytes.
QByteArray UnbreakableRun(qsizetype bytes)
{
    return QByteArray(bytes, 'x');
}

// Ordinary lines of half- and full-width text up to this many bytes.
QByteArray Lines(qsizetype bytes)
{
    // "パネルを消して得点を競おう。" in code page 932, then an ASCII tail.
    const QByteArray line = QByteArray("\x83\x70\x83\x6C\x83\x8B\x82\xF0\x8F\xC1\x82\xB5\x82\xC4\x93\xBE"
                                       "\x93\x5F\x82\xF0\x8B\xA3\x82\xA8\x82\xA4\x81\x42")
        + " Hover a group, click to erase it.\r\n";
    QByteArray bytesOut;
    bytesOut.reserve(bytes + line.size());
    while (bytesOut.size() < bytes)
        bytesOut += line;
    return bytesOut;
}

void OpenManual(benchmark::State& state, QByteArray (*make)(qsizetype))
{
    {
        QFile file(QStringLiteral("Manual.txt"));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(make(state.range(0)));
    }
    for (auto _ : state) {
        delete Form5;
        Form5 = nullptr;
        new TForm5();
        Form5->show();
        QCoreApplication::processEvents();
        QScrollBar* bar = Form5->RichEdit1->verticalScrollBar();
        bar->setValue(bar->maximum());
        Form5->repaint();
        QCoreApplication::processEvents();
        state.counters["chars"] = static_cast<double>(Form5->RichEdit1->document()->characterCount());
    }
    Form5->hide();
}
BENCHMARK_CAPTURE(OpenManual, unbreakable_run, UnbreakableRun)
    ->Arg(256 << 10)
    ->Arg(1 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(OpenManual, lines, Lines)
    ->Arg(64 << 10)
    ->Arg(50 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    BenchApplication bench;
    BenchApplication::Run(argc, argv);
    // The application object destroys the window (and any other) itself.
    return 0;
}
