// The application object: error boxes from handlers, internal failures, and
// the standard boxes, the start without a session bus, and a close while the
// start shows a box.
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>

#include "Errors.h"
#include "Pointrec1.h"
#include "ShiftJis.h"
#include "UiTestSupport.h"

using Application = UiTest;

TEST_F(Application, AToolkitErrorInAHandlerShowsTheErrorBoxAndTheLoopGoesOn)
{
    QPushButton button("x");
    int after = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] {
        Guarded([] { throw EConvertError(QStringLiteral("'abc' は整数ではありません")); });
        ++after;
    });
    button.show();
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(after, 2);
    EXPECT_EQ(dialogs.texts("error"),
        QStringList(
            {QStringLiteral("'abc' は整数ではありません."), QStringLiteral("'abc' は整数ではありません.")}));
    EXPECT_EQ(dialogs.shown.front().caption, "Zemmickp1");
}

TEST_F(Application, AnInternalFailureShowsNoBoxChangesNothingAndPlayGoesOn)
{
    LoadBoard(3, Checkered({"11121212", "21212121"}));
    const std::size_t top = Game.History.top();

    // A potion target left behind outside the mode, marked as a group: the
    // click (without a move, so no hover clears it first) is refused before
    // anything is erased, and the board is settled.
    Hover(4, 4);
    Game.Board[4][4] += engine::PotionTargetOffset;
    Game.GroupMark[4][4] = Game.GroupMark[5][4] = 1;
    Game.GroupSize = 2;
    Form1->Label11->setCaption("stale");
    ClickCell(4, 4);
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.shown.front().text.toStdString();
    EXPECT_EQ(Game.History.top(), top);
    EXPECT_EQ(Game.Board[4][4], Game.InitialBoard[4][4]);
    EXPECT_TRUE(NothingOutlined());
    EXPECT_EQ(Form1->Label11->text(), QString::number(Game.Score));

    // A history entry that is no move: the undo refuses it whole.
    Game.History.push(engine::Pack({2, 0, 9}));
    const int score = Game.Score;
    PressSpace(Form1->BtnPrevious);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(Game.History.top(), top + 1);
    EXPECT_EQ(Game.Score, score);
    Game.History.pop();

    // And the game plays on.
    Hover(1, 2);
    ClickCell(1, 2);
    const engine::SummaryEntry move = engine::UnpackSummary(Game.History.at(Game.History.top()));
    EXPECT_EQ(move.kind, 1);
    EXPECT_EQ(Game.History.top(), top + static_cast<std::size_t>(move.erased + move.closed + 1));
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(Application, TheStandardBoxesCarryTheTitleTheTextsAndTheLimit)
{
    auto* scripted = dialogs::Install(nullptr); // Qt's own boxes

    {
        ModalAnswer answer([](QWidget* box) {
            auto* message = qobject_cast<QMessageBox*>(box);
            ASSERT_NE(message, nullptr);
            EXPECT_EQ(message->objectName(), "ErrorBox");
            EXPECT_EQ(message->windowTitle(), "Zemmickp1");
            EXPECT_EQ(message->icon(), QMessageBox::Critical);
            EXPECT_EQ(message->text(), "x.");
            message->accept();
        });
        Guarded([] { throw ToolkitError("x"); });
        EXPECT_TRUE(answer.answered());
    }

    {
        ModalAnswer answer([](QWidget* box) {
            auto* question = qobject_cast<QMessageBox*>(box);
            ASSERT_NE(question, nullptr);
            EXPECT_EQ(question->icon(), QMessageBox::Question);
            EXPECT_EQ(question->windowTitle(), QStringLiteral("ゲーム終了"));
            // Japanese like every other text, with their keyboard shortcuts.
            EXPECT_EQ(question->button(QMessageBox::Yes)->text(), QStringLiteral("はい(&Y)"));
            EXPECT_EQ(question->button(QMessageBox::No)->text(), QStringLiteral("いいえ(&N)"));
            EXPECT_EQ(question->button(QMessageBox::Yes)->shortcut(), QKeySequence(Qt::ALT | Qt::Key_Y));
            question->button(QMessageBox::Yes)->click();
        });
        EXPECT_EQ(dialogs::Ask(QStringLiteral("ゲーム終了"), "?"), dialogs::Answer::Yes);
        EXPECT_TRUE(answer.answered());
    }

    {
        ModalAnswer answer([](QWidget* box) {
            auto* question = qobject_cast<QMessageBox*>(box);
            ASSERT_NE(question, nullptr);
            EXPECT_EQ(question->button(QMessageBox::Cancel)->text(), QStringLiteral("キャンセル"));
            question->button(QMessageBox::Cancel)->click();
        });
        EXPECT_EQ(dialogs::Ask(QStringLiteral("得点記録表"), "?", true), dialogs::Answer::Cancel);
        EXPECT_TRUE(answer.answered());
    }

    {
        ModalAnswer answer([](QWidget* box) {
            auto* edit = box->findChild<QLineEdit*>();
            ASSERT_NE(edit, nullptr);
            QCoreApplication::processEvents();
            EXPECT_EQ(edit->selectedText(), "who") << "the offer is wholly selected";
            // 255 bytes of code page 932 at most: 127 full-width characters.
            for (int i = 0; i < 130; ++i) {
                QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("ゼ"));
                QApplication::sendEvent(edit, &typed);
            }
            EXPECT_EQ(edit->text(), QString(127, QChar(u'ゼ')));
            QTest::keyClick(edit, Qt::Key_End);
            QTest::keyClicks(edit, "ab"); // one half-width byte still fits
            EXPECT_EQ(edit->text(), QString(127, QChar(u'ゼ')) + "a");
            QTest::keyClick(edit, Qt::Key_Return);
        });
        QString value = "who";
        EXPECT_TRUE(dialogs::InputQuery(QStringLiteral("名前の入力"), "prompt", value));
        EXPECT_EQ(sjis::ByteLength(value), 255);
        EXPECT_TRUE(answer.answered());
    }

    dialogs::Install(scripted);
}

namespace {

// Boxes that run an event loop of their own, as the real ones do. Inside the
// box numbered `closeAt` (from 0) the main window is closed, as the desktop's
// session may do while the program is still starting; every other box is
// answered at once.
struct ClosingAtStart : ScriptedDialogs {
    int closeAt = 0;
    int boxes = 0;
    bool closed = false;

    void runBox()
    {
        QEventLoop loop;
        if (boxes++ == closeAt) {
            QTimer::singleShot(0, &loop, [this] { closed = Form1->close(); });
            // Only if the close did not end the loop.
            QTimer::singleShot(2000, &loop, [&loop] { loop.exit(1); });
        } else {
            QTimer::singleShot(0, &loop, [&loop] { loop.quit(); });
        }
        loop.exec();
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
};

} // namespace

class ApplicationStart : public UiTest {
protected:
    ApplicationStart() { createInSetUp = false; }
};

// In a folder without a record file and without the manual, the start shows
// "File can not found!" and then the manual's error box; before them, the
// main window's message when its board cannot be had. A main window closed
// inside any of them ends the program, which must not go on running without
// a window.
TEST_F(ApplicationStart, TheMainWindowClosedInsideAStartUpBoxEndsTheProgram)
{
    const struct {
        bool noMemory;
        int closeAt;
        const char* kind;
    } cases[] = {{false, 0, "message"}, {false, 1, "error"}, {true, 0, "message"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.noMemory << " " << c.closeAt);
        ClosingAtStart closing;
        closing.closeAt = c.closeAt;
        dialogs::Install(&closing);
        if (c.noMemory)
            engine::MoveHistory::AllocationLimit = 10;
        const auto restore = qScopeGuard([this] {
            engine::MoveHistory::AllocationLimit = SIZE_MAX;
            dialogs::Install(&dialogs);
            App().DestroyForms();
        });
        // A program that waits with no window left is ended from here.
        bool waited = false;
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [&waited] {
            waited = true;
            QCoreApplication::exit(3);
        });
        guard.start(3000);
        const int status = App().Run();
        guard.stop();
        if (!waited)
            LetEventLoopsRunAgain();
        EXPECT_TRUE(closing.closed);
        ASSERT_GE(closing.boxes, c.closeAt + 1);
        const auto& box = closing.shown[static_cast<std::size_t>(c.closeAt)];
        EXPECT_EQ(box.kind, c.kind);
        if (c.noMemory) {
            EXPECT_EQ(box.text, QStringLiteral("動的記憶領域が確保できません"));
        }
        EXPECT_FALSE(waited) << "the program went on with no window";
        EXPECT_EQ(status, 0);
        EXPECT_FALSE(Form1->isVisible());
        EXPECT_TRUE(Form1->Panel1->findChildren<TImage*>().isEmpty());
    }
}

// The bus address is only replaced where asking for a bus could not succeed:
// an address given, a socket in the runtime folder or a launcher installed
// each leave the bus library to do as it always did.
TEST(SessionBus, OnlyABusOutOfReachIsSkipped)
{
    QTemporaryDir withBus, withoutBus, programs;
    ASSERT_TRUE(withBus.isValid() && withoutBus.isValid() && programs.isValid());
    QFile bus(withBus.filePath(QStringLiteral("bus")));
    ASSERT_TRUE(bus.open(QIODevice::WriteOnly));
    bus.close();
    const QString launcher = programs.filePath(QStringLiteral("dbus-launch"));
    const QString missing = programs.filePath(QStringLiteral("none"));
    QFile script(launcher);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.close();
    ASSERT_TRUE(script.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
    const QString plainFile = programs.filePath(QStringLiteral("not-executable"));
    QFile plain(plainFile);
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();

    struct Case {
        QByteArray address;
        QString runtime;
        QString launcher;
        bool outOfReach;
    } cases[] = {
        {"unix:path=/run/user/1000/bus", QString(), missing, false},
        {"", withBus.path(), missing, false},
        {"", withoutBus.path(), launcher, false},
        {"", QString(), launcher, false},
        {"", withoutBus.path(), missing, true},
        {"", QString(), missing, true},
        {"", withoutBus.path(), plainFile, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SessionBusOutOfReach(c.address, c.runtime, c.launcher), c.outOfReach)
            << c.address.constData() << " | " << c.runtime.toStdString() << " | " << c.launcher.toStdString();
}
