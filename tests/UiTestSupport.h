// Support for the window tests: the real application object on the offscreen
// platform, all six windows created as the program creates them, and a
// dialog seam that records what the program asks and answers from a script.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Application.h"
#include "Dialogs.h"
#include "Zemmick1.h"

// The boxes the program showed, in order.
struct ShownBoxes {
    struct Shown {
        QString kind; // "message", "question", "input" or "error"
        QString caption;
        QString text;
        QString value; // what an input box offered
    };
    std::vector<Shown> shown;

    int count(const QString& kind) const
    {
        int n = 0;
        for (const Shown& s : shown)
            n += s.kind == kind ? 1 : 0;
        return n;
    }
    QStringList texts(const QString& kind) const
    {
        QStringList result;
        for (const Shown& s : shown)
            if (s.kind == kind)
                result << s.text;
        return result;
    }
};

struct ScriptedDialogs : dialogs::DialogSeam, ShownBoxes {
    std::deque<dialogs::Answer> answers; // for question boxes
    std::deque<std::function<bool(QString&)>> inputs; // for input boxes; false is Cancel

    void message(const QString& text) override
    {
        shown.push_back({"message", dialogs::ApplicationTitle(), text, {}});
    }
    dialogs::Answer question(const QString& caption, const QString& text, bool) override
    {
        shown.push_back({"question", caption, text, {}});
        return nextAnswer(text);
    }
    bool input(const QString& caption, const QString& prompt, QString& value) override
    {
        shown.push_back({"input", caption, prompt, value});
        return nextInput(prompt, value);
    }
    void error(const QString& text) override
    {
        shown.push_back({"error", dialogs::ApplicationTitle(), text, {}});
    }

protected:
    // The scripted answer to the question or input box that has just been
    // recorded; No or Cancel, and a failed expectation, when none is left.
    dialogs::Answer nextAnswer(const QString& text)
    {
        EXPECT_FALSE(answers.empty()) << "unexpected question: " << text.toStdString();
        if (answers.empty())
            return dialogs::Answer::No;
        const auto a = answers.front();
        answers.pop_front();
        return a;
    }
    bool nextInput(const QString& prompt, QString& value)
    {
        EXPECT_FALSE(inputs.empty()) << "unexpected input box: " << prompt.toStdString();
        if (inputs.empty())
            return false;
        auto answer = inputs.front();
        inputs.pop_front();
        return answer(value);
    }
};

// Boxes that each run an event loop of their own, as Qt's boxes do, so that
// timers and results on their way run while a box is up. `inside[n]` runs
// inside the box numbered n (from 0, in the order they open). A box then
// comes back with the next scripted answer (in the order the boxes come
// back: an inner box first), or unanswered once CloseMainWindow() has closed
// the main window, whose close ends every event loop; from then on every box
// comes back unanswered at once.
struct LoopingDialogs : ScriptedDialogs {
    std::map<int, std::function<void()>> inside;
    int boxes = 0;
    bool ended = false;

    // The main window's close, as the session's end makes it.
    void CloseMainWindow()
    {
        Form1->close();
        ended = !Form1->isVisible();
    }

    // True when the box was answered.
    bool runBox()
    {
        const int n = boxes++;
        if (ended)
            return false;
        QEventLoop loop;
        QTimer::singleShot(0, &loop, [this, n, &loop] {
            if (const auto it = inside.find(n); it != inside.end())
                it->second();
            if (!ended)
                loop.exit(1);
        });
        // A box whose action left it open ends here, answered.
        QTimer::singleShot(5000, &loop, [&loop] { loop.exit(1); });
        loop.exec();
        return !ended;
    }
    void message(const QString& text) override
    {
        ScriptedDialogs::message(text);
        runBox();
    }
    void error(const QString& text) override
    {
        ScriptedDialogs::error(text);
        runBox();
    }
    dialogs::Answer question(const QString& caption, const QString& text, bool withCancel) override
    {
        shown.push_back({"question", caption, text, {}});
        if (!runBox())
            return withCancel ? dialogs::Answer::Cancel : dialogs::Answer::No;
        return nextAnswer(text);
    }
    bool input(const QString& caption, const QString& prompt, QString& value) override
    {
        shown.push_back({"input", caption, prompt, value});
        if (!runBox())
            return false;
        return nextInput(prompt, value);
    }
};

// A close of the main window inside a box asked every event loop to end,
// and a loop started now would end at once; one loop run to its end lets
// the next ones run again.
inline void LetEventLoopsRunAgain()
{
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

// An input box's answer: OK with this text.
inline std::function<bool(QString&)> Typed(const QString& text)
{
    return [text](QString& value) {
        value = text;
        return true;
    };
}

// Texts in failure messages as they read, not as UTF-16 code units.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& texts, std::ostream* out)
{
    *out << '{' << texts.join(QStringLiteral(", ")).toStdString() << '}';
}

// The application, made once for the whole run by the tests' main().
TApplication& App();

// Every test starts with the six windows freshly created in a scratch
// directory (the program's current directory), as at program start.
class UiTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Replaces the board by one of these settings, as a confirmed settings
    // dialog does.
    void Resize(int columns, int rows, int kinds);
    // Loads the board from text, top row first ('.' empty), and redraws it.
    void LoadBoard(int kinds, const std::vector<std::string>& topDown);

    TImage* Cell(int column, int row) const { return Form1->CellImages[column][row]; }
    // Moves the pointer onto a cell / a point of the main window, as the
    // window system does it.
    void Hover(int column, int row);
    void ClickCell(int column, int row);
    void MoveOnForm(QPoint where);
    // A point of the main window that no control covers.
    static QPoint BareSpot();
    void PressSpace(QWidget* button);
    // Whether every cell is unmarked and holds no potion target, and every
    // panel shows its picture without outline.
    static testing::AssertionResult NothingOutlined();

    // A scratch directory that is the current directory during the test.
    QString dir;
    ScriptedDialogs dialogs;
    // What the boxes showed while the windows were created; `dialogs` then
    // starts empty for the test itself.
    ShownBoxes startup;
    // Creates the windows; tests that prepare files first call it late.
    void CreateForms();
    bool createInSetUp = true;

private:
    dialogs::DialogSeam* oldDialogs_ = nullptr;
    QString oldDir_;
    bool created_ = false;
};

// What can go wrong in a fixed layout, as texts: a named control that lies
// outside its parent, two named siblings on top of each other (unless the
// pair is in `mayOverlap`), a font that does not resolve to the program's
// face. Empty when the layout holds.
QStringList LayoutFaults(QWidget* window, const std::vector<std::pair<QString, QString>>& mayOverlap = {});

// Answers the next modal window to come up (one other than the window that
// is modal when it is made, and `expected` when given) from inside that
// window's event loop: `answer` gets the window. It watches from the moment
// it is made until it is destroyed, so it may be made before the event that
// opens the window. A modal window it did not answer, or that stays up after
// the answer, fails the test after `patience` and is closed, so that a
// broken test cannot hang.
class ModalAnswer {
public:
    explicit ModalAnswer(std::function<void(QWidget*)> answer, QWidget* expected = nullptr,
        std::chrono::milliseconds patience = std::chrono::seconds(5));
    ModalAnswer(const ModalAnswer&) = delete;
    ModalAnswer& operator=(const ModalAnswer&) = delete;

    bool answered() const { return answered_; }

private:
    std::function<void(QWidget*)> answer_;
    QWidget* expected_;
    // Modal when the watch began: not the one to answer. Guarded, since a
    // box that is gone may leave its address to the next one.
    QPointer<QWidget> before_;
    bool answered_ = false;
    QTimer poll_;
    QTimer guard_;
};

// A point in the upper / lower half of a widget, in its own coordinates.
inline QPoint UpperHalf(const QWidget* w)
{
    return {w->width() / 2, w->height() / 4};
}
inline QPoint LowerHalf(const QWidget* w)
{
    return {w->width() / 2, w->height() * 3 / 4};
}

// The objectNames of `count` widgets the Tab key visits from `first` on.
QStringList FocusChain(QWidget* first, int count);

// The pixels a cell shows for a panel of this kind, without / with outline.
QImage PanelPixels(int kind, bool outlined);

// The values of a board-sized array (the board, the marks), to compare.
template <std::size_t Columns, std::size_t Rows> std::vector<int> Cells(const int (&cells)[Columns][Rows])
{
    return {&cells[0][0], &cells[0][0] + Columns * Rows};
}

// An 8 x 8 board in LoadBoard's notation with `bottom` as its lowest rows
// (top row first) under a checkerboard of kinds 1 and 2, where no panel
// joins another.
std::vector<std::string> Checkered(const std::vector<std::string>& bottom);
// The same with empty rows above.
std::vector<std::string> OnEmpty(const std::vector<std::string>& bottom);
// A cell of a group of two or more on the board, or none.
std::optional<engine::CellRef> AnyGroup();
