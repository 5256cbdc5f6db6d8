// The end of a game: the summary comes up, the result may be recorded under
// a name, and a new deal follows on every path.
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QScopeGuard>
#include <deque>
#include <optional>

#include "Point1.h"
#include "Pointrec1.h"
#include "RecordFile.h"
#include "ShiftJis.h"
#include "UiTestSupport.h"

namespace {

std::function<bool(QString&)> Accept()
{
    return [](QString&) { return true; };
}
std::function<bool(QString&)> Cancel()
{
    return [](QString&) { return false; };
}

// Answers the modal boxes that come up one after the other, each by its own
// step, in order.
class BoxesInTurn {
public:
    explicit BoxesInTurn(std::vector<std::function<void(QWidget*)>> steps)
        : steps_(std::move(steps))
    {
        watch(0);
    }
    bool allAnswered() const { return answered_ == steps_.size(); }

private:
    void watch(std::size_t i)
    {
        if (i == steps_.size())
            return;
        // Made while box i - 1 is up, so it waits for the next one.
        watches_.emplace_back([this, i](QWidget* box) {
            ++answered_;
            watch(i + 1);
            steps_[i](box);
        });
    }
    std::vector<std::function<void(QWidget*)>> steps_;
    std::deque<ModalAnswer> watches_;
    std::size_t answered_ = 0;
};

} // namespace

class GameEnd : public UiTest {
protected:
    // Ends the game with the ledger as given and answers as scripted.
    void End() { Form1->CheckGameEnd(Form1); }

    QString Name(int row) const { return sjis::Decode(Form4->Table.row(row).Texts[0]); }
};

TEST_F(GameEnd, NoRecordsNothingAndDealsANewBoard)
{
    dialogs.answers = {dialogs::Answer::No};
    Game.Score = 44;
    End();
    EXPECT_EQ(dialogs.shown.front().kind, "question");
    EXPECT_EQ(dialogs.shown.front().caption, QStringLiteral("ゲーム終了"));
    EXPECT_EQ(dialogs.shown.front().text, QStringLiteral("ゲームが終了しました。結果を記録しますか？"));
    EXPECT_EQ(Form4->Table.rowCount(), 0);
    EXPECT_TRUE(Form3->isVisible());
    EXPECT_EQ(Form1->Button1->text(), QStringLiteral("得点表示OFF"));
    EXPECT_EQ(Game.Score, -171);
    EXPECT_EQ(Form3->Label11->text(), "-171");
}

TEST_F(GameEnd, AnAlreadyShownSummaryStays)
{
    Form1->Button1->click();
    dialogs.answers = {dialogs::Answer::No};
    End();
    EXPECT_TRUE(Form3->isVisible());
    EXPECT_EQ(Form1->Button1->text(), QStringLiteral("得点表示OFF"));
}

TEST_F(GameEnd, RecordsTheOfferedNameWithTheFiguresOfTheGame)
{
    // 250 points with 5 panels left, one kind cleared, two undos and a potion.
    Game.Score = 250;
    Game.RemainingPanels = 5;
    Game.BonusPoints = 100;
    Game.UndoPoints = -20;
    Game.PotionPoints = -100;
    dialogs.answers = {dialogs::Answer::Yes};
    dialogs.inputs = {Accept()};
    End();
    EXPECT_EQ(dialogs.shown[1].caption, QStringLiteral("名前の入力"));
    EXPECT_EQ(dialogs.shown[1].text, QStringLiteral("20文字以内の半角文字で入力"));
    EXPECT_EQ(dialogs.shown[1].value, "who");
    ASSERT_EQ(Form4->Table.rowCount(), 1);
    const auto& t = Form4->Table.row(0).Texts;
    EXPECT_EQ(t[0], "who");
    const std::string figures[] = {"    1.4620", "       250", "       275", "  100", "    5", "   20",
        "  100", "  171", "  9", " 19", "  5"};
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(t[static_cast<std::size_t>(i + 1)], figures[i]) << "column " << i + 1;
    EXPECT_TRUE(QRegularExpression("^ \\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d$")
                    .match(QString::fromStdString(t[12]))
                    .hasMatch())
        << t[12];
    EXPECT_FALSE(Form4->isVisible()) << "the table is not brought up";
    EXPECT_FALSE(QFile::exists(records::RecordFileName)) << "nothing is written before a save";
    EXPECT_EQ(Game.Score, -171);
}

TEST_F(GameEnd, NamesAreLimitedToTwentyBytesOfTheCodePage)
{
    struct Case {
        QString name;
        bool accepted;
    };
    const Case cases[] = {
        {QString(20, 'a'), true}, {QString(21, 'a'), false}, {QString(10, QChar(u'ゼ')), true},
        {QString(11, QChar(u'ゼ')), false}, {QString(), true},
        {QStringLiteral(" x "), true}, // blanks are kept
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        dialogs.shown.clear();
        const int rows = Form4->Table.rowCount();
        dialogs.answers = {dialogs::Answer::Yes};
        // A refused name is offered again, to be corrected.
        dialogs.inputs = {Typed(c.name), Typed("short")};
        End();
        ASSERT_EQ(Form4->Table.rowCount(), rows + 1);
        EXPECT_EQ(Name(rows), c.accepted ? c.name : QStringLiteral("short"));
        if (c.accepted) {
            EXPECT_EQ(dialogs.count("message"), 0);
            dialogs.inputs.clear();
        } else {
            EXPECT_EQ(dialogs.texts("message"), QStringList{QStringLiteral("20文字以内にしてください。")});
            // The box came back holding the refused name.
            EXPECT_EQ(dialogs.shown.back().kind, "input");
            EXPECT_EQ(dialogs.shown.back().value, c.name);
        }
    }
}

TEST_F(GameEnd, NamesTheFileCannotHoldAreRefusedAndLookAlikesMapped)
{
    dialogs.answers = {dialogs::Answer::Yes};
    dialogs.inputs = {Typed(QStringLiteral("a😀")), Cancel()};
    End();
    EXPECT_EQ(dialogs.texts("message"), QStringList{QStringLiteral("使えない文字が含まれています。")});
    EXPECT_EQ(dialogs.shown.back().value, QStringLiteral("a😀"));
    EXPECT_EQ(Form4->Table.rowCount(), 0);

    // The wave dash and the minus an input method types, and the yen sign
    // and the overline of a Japanese keyboard, are stored as the code
    // page's own forms.
    dialogs.shown.clear();
    dialogs.answers = {dialogs::Answer::Yes};
    dialogs.inputs = {Typed(QStringLiteral("a〜b−c¥d‾"))};
    End();
    ASSERT_EQ(Form4->Table.rowCount(), 1);
    EXPECT_EQ(Form4->Table.row(0).Texts[0],
        std::string("a\x81\x60"
                    "b\x81\x7C"
                    "c\x81\x8F"
                    "d\x81\x50"));
    EXPECT_EQ(dialogs.count("message"), 0);

    // The check comes before the length check.
    dialogs.shown.clear();
    dialogs.answers = {dialogs::Answer::Yes};
    dialogs.inputs = {Typed(QString(30, 'a') + QStringLiteral("😀")), Cancel()};
    End();
    EXPECT_EQ(dialogs.texts("message"), QStringList{QStringLiteral("使えない文字が含まれています。")});
}

TEST_F(GameEnd, NamesWithAControlCharacterAreRefusedAndOfferedAgain)
{
    // A pasted line break would split the recorded line in two when saved.
    // Cancel then records nothing, and a new deal follows all the same.
    for (const QString& name : {QStringLiteral("ab\ncd"), QStringLiteral("ab\r"), QStringLiteral("\tab"),
             QStringLiteral("a\x7f"), QStringLiteral("a") + QChar(0x1B)}) {
        SCOPED_TRACE(name.toStdString());
        dialogs.shown.clear();
        dialogs.answers = {dialogs::Answer::Yes};
        dialogs.inputs = {Typed(name), Cancel()};
        Game.Score = 12;
        End();
        EXPECT_EQ(Game.Score, -171);
        EXPECT_EQ(dialogs.texts("message"), QStringList{QStringLiteral("使えない文字が含まれています。")});
        EXPECT_EQ(dialogs.shown.back().kind, "input");
        EXPECT_EQ(dialogs.shown.back().value, name);
        EXPECT_EQ(Form4->Table.rowCount(), 0);
    }
}

// The name as the player's input method types it into the program's own
// box: what it commits is the name, a preedit still open when the box closes
// is not, a name the file cannot hold is refused and offered again, and what
// is recorded reaches the record file in the code page and reads back the
// same.
TEST_F(GameEnd, NamesTypedThroughAnInputMethodAreRecordedAsCommitted)
{
    dialogs::Install(nullptr);
    auto restore = qScopeGuard([this] { dialogs::Install(&dialogs); });
    enum class Outcome { Recorded, Refused, Cancelled };
    const struct {
        QString commit, preedit;
        Qt::Key key; // closes the box
        Outcome result;
        QString name; // recorded
    } cases[] = {
        {QStringLiteral("漢字かなカナ"), {}, Qt::Key_Return, Outcome::Recorded,
            QStringLiteral("漢字かなカナ")},
        {QStringLiteral("ｶﾞｷﾞｸﾞｹﾞｺﾞﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ"), {}, Qt::Key_Return, Outcome::Recorded,
            QStringLiteral("ｶﾞｷﾞｸﾞｹﾞｺﾞﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ")},
        {QStringLiteral("髙①㈱～－∥￢"), {}, Qt::Key_Return, Outcome::Recorded,
            QStringLiteral("髙①㈱～－∥￢")},
        {QStringLiteral("ab"), QStringLiteral("かな"), Qt::Key_Return, Outcome::Recorded,
            QStringLiteral("ab")},
        {QStringLiteral("ab"), QStringLiteral("かな"), Qt::Key_Escape, Outcome::Cancelled, {}},
        // More than the box's 255 bytes: it takes none of the commit.
        {QString(200, QChar(u'あ')), {}, Qt::Key_Return, Outcome::Recorded, QStringLiteral("who")},
        {QStringLiteral("a😀"), {}, Qt::Key_Return, Outcome::Refused, {}},
        {QStringLiteral("𠮷野"), {}, Qt::Key_Return, Outcome::Refused, {}},
        {QStringLiteral("か\u3099"), {}, Qt::Key_Return, Outcome::Refused, {}},
        {QStringLiteral("a\nb"), {}, Qt::Key_Return, Outcome::Refused, {}},
        {QStringLiteral("a\tb"), {}, Qt::Key_Return, Outcome::Refused, {}},
    };
    QStringList recorded;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commit.left(8).toStdString() + " / " + c.preedit.toStdString());
        QString message;
        QString offeredAgain;
        std::vector<std::function<void(QWidget*)>> steps = {
            [](QWidget* box) { QTest::keyClick(box, Qt::Key_Y); },
            [&c](QWidget* box) {
                auto* edit = box->findChild<QLineEdit*>();
                ASSERT_NE(edit, nullptr);
                QCoreApplication::processEvents(); // the offer is selected
                if (!c.preedit.isEmpty()) {
                    QInputMethodEvent composing(c.preedit, {});
                    QApplication::sendEvent(edit, &composing);
                }
                QInputMethodEvent commit;
                commit.setCommitString(c.commit);
                QApplication::sendEvent(edit, &commit);
                if (!c.preedit.isEmpty()) {
                    QInputMethodEvent composing(c.preedit, {});
                    QApplication::sendEvent(edit, &composing);
                }
                EXPECT_LE(sjis::ByteLength(edit->text()), dialogs::InputByteLimit);
                QTest::keyClick(edit, c.key);
            },
        };
        if (c.result == Outcome::Refused) {
            steps.push_back([&message](QWidget* box) {
                auto* shown = qobject_cast<QMessageBox*>(box);
                ASSERT_NE(shown, nullptr);
                message = shown->text();
                QTest::keyClick(shown, Qt::Key_Return);
            });
            steps.push_back([&offeredAgain](QWidget* box) {
                auto* edit = box->findChild<QLineEdit*>();
                ASSERT_NE(edit, nullptr);
                offeredAgain = edit->text();
                QTest::keyClick(edit, Qt::Key_Escape);
            });
        }
        const int rows = Form4->Table.rowCount();
        {
            BoxesInTurn boxes(steps);
            End();
            EXPECT_TRUE(boxes.allAnswered());
        }
        if (c.result == Outcome::Refused) {
            EXPECT_EQ(message, QStringLiteral("使えない文字が含まれています。"));
            EXPECT_EQ(offeredAgain, c.commit);
        }
        if (c.result != Outcome::Recorded) {
            EXPECT_EQ(Form4->Table.rowCount(), rows);
            continue;
        }
        ASSERT_EQ(Form4->Table.rowCount(), rows + 1);
        EXPECT_EQ(Name(rows), c.name);
        recorded << c.name;
    }

    restore.dismiss();
    dialogs::Install(&dialogs);
    ASSERT_TRUE(Form4->SaveRecords());
    Form4->Table = records::RecordTable();
    Form4->BtnReadClick(Form4);
    QStringList read;
    for (int row = 0; row < Form4->Table.rowCount(); ++row)
        read << Name(row).trimmed();
    EXPECT_EQ(read, recorded);
}

TEST_F(GameEnd, ADealWithoutAMoveEndsAtOnceAgain)
{
    // A board of two cells and six kinds often has no move; the deals the
    // flow makes can be replayed from a copy of the random source.
    Resize(2, 1, 6);
    engine::RandomSource replay = Game.Random;
    int expectedQuestions = 1;
    for (;;) {
        const int a = replay.below(6);
        const int b = replay.below(6);
        if (a == b)
            break;
        ++expectedQuestions;
    }
    for (int i = 0; i < expectedQuestions; ++i)
        dialogs.answers.push_back(dialogs::Answer::No);
    End();
    EXPECT_EQ(dialogs.count("question"), expectedQuestions);
    EXPECT_TRUE(engine::MoveRemains(Game));
}

TEST_F(GameEnd, TheMainWindowClosedWhileItsBoxesAreUpDealsNoNewBoard)
{
    // The question, the name box, and the message about a name too long.
    for (int closeAt : {0, 1, 2}) {
        SCOPED_TRACE(closeAt);
        LoopingDialogs closing;
        closing.inside[closeAt] = [&closing] { closing.CloseMainWindow(); };
        closing.answers = {dialogs::Answer::Yes};
        closing.inputs = {Typed(QString(21, 'a'))};
        dialogs::Install(&closing);
        const auto restore = qScopeGuard([this] { dialogs::Install(&dialogs); });
        End();
        EXPECT_TRUE(closing.ended);
        EXPECT_FALSE(Form1->isVisible());
        // The pictures went with the window, and nothing was drawn on them.
        EXPECT_TRUE(Form1->Panel1->findChildren<TImage*>().isEmpty());
        EXPECT_EQ(closing.count("error"), 0) << closing.texts("error").join("|").toStdString();
        EXPECT_EQ(Form4->Table.rowCount(), 0);
        LetEventLoopsRunAgain();
        // The next window starts with a board of its own.
        Form1->show();
        Resize(19, 9, 5);
        ASSERT_EQ(Form1->Panel1->findChildren<TImage*>().size(), 171);
    }
}

// Inside the boxes of the game's end: the summary or the record table closed
// (each as its close box does), or a close of the main window refused at the
// question about rows not yet saved. The game's row is recorded all the
// same, nothing else is lost, and the next deal plays from the keyboard.
TEST_F(GameEnd, OtherWindowsClosedInsideItsBoxesLoseNoRow)
{
    enum class Inside { CloseSummary, CloseRecords, RefusedMainClose };
    for (const Inside inside : {Inside::CloseSummary, Inside::CloseRecords, Inside::RefusedMainClose}) {
        SCOPED_TRACE(static_cast<int>(inside));
        Resize(8, 8, 3);
        Form4->Table = records::RecordTable();
        Form4->AppendRow(records::MakeRecordRow("old", records::GameFigures{}, "2026/12/08 10:00:00"));
        if (Form1->RecordWindowShown != (inside == Inside::CloseRecords))
            Form1->Button2->click();
        LoopingDialogs looping;
        looping.answers = {dialogs::Answer::Yes};
        looping.inputs = {Typed("me")};
        switch (inside) {
        case Inside::CloseSummary:
            looping.inside[0] = [] { Form3->close(); };
            break;
        case Inside::CloseRecords:
            looping.inside[1] = [] { Form4->close(); };
            break;
        case Inside::RefusedMainClose:
            looping.answers.push_back(dialogs::Answer::Cancel);
            looping.inside[1] = [&looping] { looping.CloseMainWindow(); };
            break;
        }
        dialogs::Install(&looping);
        End();
        dialogs::Install(&dialogs);
        EXPECT_FALSE(looping.ended);
        EXPECT_TRUE(looping.answers.empty());
        EXPECT_EQ(looping.count("error"), 0);
        EXPECT_EQ(looping.count("question"), inside == Inside::RefusedMainClose ? 2 : 1);
        EXPECT_TRUE(Form1->isVisible());
        ASSERT_EQ(Form4->Table.rowCount(), 2);
        EXPECT_EQ(Name(1).trimmed(), "me");
        EXPECT_EQ(Form3->isVisible(), inside != Inside::CloseSummary);
        EXPECT_EQ(Form1->Button1->text(),
            inside == Inside::CloseSummary ? QStringLiteral("得点表示ON") : QStringLiteral("得点表示OFF"));
        EXPECT_FALSE(Form4->isVisible());
        EXPECT_EQ(Form1->Button2->text(), QStringLiteral("記録表示ON"));
        if (inside == Inside::CloseSummary)
            Form1->Button1->click();

        // A new deal, played from the keyboard.
        ASSERT_TRUE(Game.BoardReady());
        EXPECT_EQ(Game.RemainingPanels, 64);
        const auto group = AnyGroup();
        ASSERT_TRUE(group);
        Form1->Panel1->setFocus();
        QTest::keyClick(Form1->Panel1, Qt::Key_Home);
        QTest::keyClick(Form1->Panel1, Qt::Key_PageDown);
        for (int c = 1; c < group->column; ++c)
            QTest::keyClick(Form1->Panel1, Qt::Key_Right);
        for (int r = 1; r < group->row; ++r)
            QTest::keyClick(Form1->Panel1, Qt::Key_Up);
        QTest::keyClick(Form1->Panel1, Qt::Key_Space);
        EXPECT_LT(Game.RemainingPanels, 64);
    }
}
