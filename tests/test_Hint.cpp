// The hint and the par: the solver's line, searched on worker threads while
// the player goes on, shown without changing anything the player sees
// otherwise.
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <chrono>
#include <thread>

#include "BackgroundSearch.h"
#include "Panelconfig1.h"
#include "Pointrec1.h"
#include "UiTestSupport.h"

namespace {

constexpr std::int64_t TestBudget = 200'000;

class Hint : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        Form1->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form1));
        Form1->HintSearch->setBudget(TestBudget);
        Form1->ParSearch->setBudget(TestBudget);
    }

    static engine::SolverResult Solver(const engine::SolverBoard& board)
    {
        engine::SolverOptions options;
        options.Seed = 1;
        options.Budget = TestBudget;
        return engine::Solve(board, engine::ScoringRule::Game, options);
    }

    // Asks for a hint with the key and waits for its hover: until the
    // search asked for (if any) has reported, so that a group outlined
    // before the hint arrived is never taken for it.
    static bool AskHint()
    {
        QTest::keyClick(Form1, Qt::Key_H);
        return QTest::qWaitFor([] { return !Form1->HintSearch->pending() && Game.GroupSize >= 2; }, 20'000);
    }

    // Waits until both searches have ended and their results were handled.
    static void Settle()
    {
        ASSERT_TRUE(
            QTest::qWaitFor([] { return Form1->HintSearch->idle() && Form1->ParSearch->idle(); }, 60'000));
        QCoreApplication::processEvents();
    }

    // What a search may never touch: the game and what it shows.
    struct Snapshot {
        std::vector<int> board, marks;
        int score, group;
        QString groupText, scoreText;
        friend bool operator==(const Snapshot&, const Snapshot&) = default;
    };
    static Snapshot Take()
    {
        return {Cells(Game.Board), Cells(Game.GroupMark), Game.Score, Game.GroupSize, Form1->Label9->text(),
            Form1->Label11->text()};
    }
};

} // namespace

TEST_F(Hint, HintsPlayTheSolversLineToItsScore)
{
    for (const auto& [columns, rows, kinds] : {std::tuple{8, 8, 3}, {12, 10, 4}}) {
        SCOPED_TRACE(testing::Message() << columns << " x " << rows);
        Resize(columns, rows, kinds);
        const engine::SolverBoard dealt(Game);
        const engine::SolverResult line = Solver(dealt);
        ASSERT_FALSE(line.Moves.empty());

        // The first hint is the line's first move, shown as a hover with the
        // cursor on it; Space plays it, and every next hint goes on with it.
        dialogs.answers = {dialogs::Answer::Yes};
        dialogs.inputs = {[](QString& name) {
            name = "hint";
            return true;
        }};
        const int recorded = Form4->Table.rowCount();
        // The end of the last game brought the summary to the front.
        Form1->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form1));
        Form1->Panel1->setFocus();
        for (std::size_t i = 0; i < line.Moves.size(); ++i) {
            SCOPED_TRACE(i);
            ASSERT_TRUE(AskHint());
            const engine::SolverMove move = line.Moves[i];
            EXPECT_NE(Game.GroupMark[move.Column][move.Row], 0) << "the hover is the line's group";
            EXPECT_EQ(std::pair(Form1->CursorColumn, Form1->CursorRow), std::pair(move.Column, move.Row));
            EXPECT_EQ(Form1->Label9->text(), QString::fromStdString(engine::GroupText(Game.GroupSize)));
            QTest::keyClick(Form1->Panel1, Qt::Key_Space);
        }
        // The end: the recorded score is the solver's.
        ASSERT_EQ(Form4->Table.rowCount(), recorded + 1);
        EXPECT_EQ(std::stoi(std::string(Form4->Table.text(recorded, 2))), line.Score);
        Settle();
    }
}

TEST_F(Hint, NoHintInThePotionModeOrWithoutAMove)
{
    LoadBoard(3, OnEmpty({"11223..."}));
    PressSpace(Form1->BitBtn1);
    QTest::keyClick(Form1, Qt::Key_H);
    EXPECT_FALSE(Form1->HintSearch->pending());
    QTest::keyClick(Form1->BitBtn1, Qt::Key_Space);
    ASSERT_FALSE(Game.PotionMode);

    // The menu offers the hint while it can give one.
    Hover(1, 1);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(3, 3), Cell(1, 1)->mapToGlobal(QPoint(3, 3)));
    QApplication::sendEvent(Cell(1, 1), &menu);
    ASSERT_TRUE(Form1->PopupMenu1->isVisible());
    EXPECT_EQ(Form1->MenuHint->text(), QStringLiteral("ヒント(&H)"));
    EXPECT_TRUE(Form1->MenuHint->isEnabled());
    EXPECT_FALSE(Form1->MenuPar->isEnabled());
    Form1->PopupMenu1->hide();

    LoadBoard(3, OnEmpty({"12312..."}));
    ASSERT_FALSE(engine::MoveRemains(Game));
    QTest::keyClick(Form1, Qt::Key_H);
    EXPECT_FALSE(Form1->HintSearch->pending());
    QApplication::sendEvent(Cell(1, 1), &menu);
    EXPECT_FALSE(Form1->MenuHint->isEnabled());
    Form1->PopupMenu1->hide();
}

TEST_F(Hint, TheParIsTheSolversScoreOfTheDealAndShownWithoutLayout)
{
    Resize(10, 9, 4);
    const QRect score = Form1->Label11->geometry();
    // At once: the search runs.
    EXPECT_EQ(Form1->Label11->toolTip(), QStringLiteral("目標得点: 計算中…"));
    EXPECT_EQ(Form1->Label10->toolTip(), QStringLiteral("目標得点: 計算中…"));
    ASSERT_TRUE(QTest::qWaitFor([] { return Form1->Par.has_value(); }, 60'000));
    const int par = Solver(engine::SolverBoard::AsDealt(Game)).Score;
    const QString text = QStringLiteral("目標得点（計算機）: %1").arg(par);
    EXPECT_EQ(Form1->Label11->toolTip(), text);
    EXPECT_EQ(Form1->Label10->toolTip(), text);
    EXPECT_EQ(Form1->MenuPar->text(), text);
    EXPECT_EQ(Form1->Label11->geometry(), score);

    // A move and a restart keep the deal's par; a new deal searches anew.
    const auto group = AnyGroup();
    ASSERT_TRUE(group);
    Hover(group->column, group->row);
    ClickCell(group->column, group->row);
    PressSpace(Form1->BtnRetry);
    EXPECT_EQ(Form1->Par.value_or(-1), par);
    EXPECT_FALSE(Form1->ParSearch->pending());
    PressSpace(Form1->BtnNewPanel);
    EXPECT_FALSE(Form1->Par.has_value());
    EXPECT_EQ(Form1->Label11->toolTip(), QStringLiteral("目標得点: 計算中…"));
    Settle();
}

TEST_F(Hint, SearchesNeverChangeTheGameAndTheNextChangeCancelsThem)
{
    // A par search that outlasts the play on the largest board, and quick
    // hint searches, each overtaken by a move at once: before or after its
    // result is on its way.
    Form1->ParSearch->setBudget(engine::ParBudget * 50);
    Resize(40, 40, 6);
    ASSERT_TRUE(Form1->ParSearch->pending());
    Form1->Panel1->setFocus();
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        QTest::keyClick(Form1, Qt::Key_H);
        ASSERT_TRUE(Form1->HintSearch->pending());
        const engine::SolverBoard before(Game);
        // Arrows until a group is outlined, then Space erases it.
        for (int k = 0; k < 1600 && Game.GroupSize < 2; ++k) {
            if (Form1->CursorColumn < Game.ColumnCount) {
                QTest::keyClick(Form1->Panel1, Qt::Key_Right);
            } else {
                QTest::keyClick(Form1->Panel1, Qt::Key_Home);
                QTest::keyClick(
                    Form1->Panel1, Form1->CursorRow < Game.RowCount ? Qt::Key_Up : Qt::Key_PageDown);
            }
        }
        QTest::keyClick(Form1->Panel1, Qt::Key_Space);
        ASSERT_NE(engine::SolverBoard(Game), before);
        EXPECT_FALSE(Form1->HintSearch->pending()) << "cancelled by the move";
        const Snapshot played = Take();
        ASSERT_TRUE(QTest::qWaitFor([] { return Form1->HintSearch->idle(); }, 60'000));
        QCoreApplication::processEvents();
        EXPECT_TRUE(Take() == played) << "the overtaken hint shows nothing";
    }
    // The deal is the same: its par is still being searched.
    EXPECT_TRUE(Form1->ParSearch->pending());
    EXPECT_EQ(Form1->Label11->toolTip(), QStringLiteral("目標得点: 計算中…"));
    // A new deal cancels it; it ends without a word.
    const Snapshot played = Take();
    PressSpace(Form1->BtnNewPanel);
    Form1->ParSearch->cancel();
    const Snapshot dealt = Take();
    EXPECT_FALSE(dealt == played);
    Settle();
    EXPECT_TRUE(Take() == dealt);
    EXPECT_FALSE(Form1->Par.has_value());
}

TEST_F(Hint, AResultOnItsWayWhenTheWindowClosesIsDropped)
{
    // The player asks for a hint and closes the window as its result comes
    // in: the close has taken the pictures away, so the result shows
    // nothing. The close runs before the event loop hands the result over.
    QTest::keyClick(Form1, Qt::Key_H);
    ASSERT_TRUE(Form1->HintSearch->pending());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!Form1->HintSearch->idle() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield(); // the result is posted, not yet handled
    ASSERT_TRUE(Form1->HintSearch->idle());
    const Snapshot before = Take();
    EXPECT_TRUE(Form1->close());
    ASSERT_TRUE(Form1->Panel1->findChildren<TImage*>().isEmpty());
    QCoreApplication::processEvents();
    EXPECT_TRUE(Take() == before);
}

// The main window's boxes other than the game's end: the potion's message,
// the settings dialog and its error box. Inside each, a hint asked for just
// before arrives and is shown on the board, which plays on from the keyboard
// afterwards; or the main window is closed there, as the end of the session
// may close it, and nothing is drawn on the pictures it took away.
TEST_F(Hint, AHintOrACloseInsideTheMainWindowsBoxes)
{
    enum class Box { Potion, Settings, SettingsError };
    for (const Box box : {Box::Potion, Box::Settings, Box::SettingsError}) {
        for (const bool close : {false, true}) {
            SCOPED_TRACE(testing::Message() << static_cast<int>(box) << (close ? " close" : " hint"));
            Resize(12, 10, 4);
            Form1->activateWindow();
            const std::size_t top = Game.History.top();
            LoopingDialogs looping;
            dialogs::Install(&looping);
            bool acted = false;
            const auto act = [&] {
                acted = true;
                if (close) {
                    looping.CloseMainWindow();
                } else {
                    EXPECT_TRUE(QTest::qWaitFor([] { return !Form1->HintSearch->pending(); }, 20'000));
                }
            };
            Form1->HintClick(Form1);
            ASSERT_TRUE(Form1->HintSearch->pending());
            switch (box) {
            case Box::Potion: {
                Game.PotionsLeft = 0;
                looping.inside[0] = act;
                Form1->BitBtn1->click();
                EXPECT_EQ(looping.texts("message"),
                    QStringList{QStringLiteral("魔法薬は既に3回使ったため、利用できません")});
                break;
            }
            case Box::Settings: {
                ModalAnswer answer(
                    [&](QWidget*) {
                        act();
                        Form2->reject();
                    },
                    Form2);
                Form1->BtnConfig->click();
                EXPECT_TRUE(answer.answered());
                break;
            }
            case Box::SettingsError: {
                looping.inside[0] = act;
                ModalAnswer answer(
                    [&](QWidget*) {
                        Form2->Edit1->setText("x");
                        Form2->Edit2->setText("30");
                        Form2->BitBtn1->click();
                        Form2->reject();
                    },
                    Form2);
                Form1->BtnConfig->click();
                EXPECT_TRUE(answer.answered());
                EXPECT_EQ(looping.texts("error"), QStringList{QStringLiteral("'x' は整数ではありません.")});
                break;
            }
            }
            dialogs::Install(&dialogs);
            if (looping.ended)
                LetEventLoopsRunAgain();
            EXPECT_TRUE(acted);
            EXPECT_FALSE(Form2->isVisible());
            // The board is the one dealt, without a move.
            EXPECT_EQ(Game.ColumnCount, 12);
            EXPECT_EQ(Game.RowCount, 10);
            EXPECT_EQ(looping.count("question") + looping.count("input"), 0);
            Settle();
            if (close) {
                EXPECT_FALSE(Form1->isVisible());
                EXPECT_TRUE(Form1->Panel1->findChildren<TImage*>().isEmpty());
                EXPECT_FALSE(Game.BoardReady());
                // The next window starts with a board of its own.
                Form1->show();
                Resize(12, 10, 4);
                ASSERT_EQ(Form1->Panel1->findChildren<TImage*>().size(), 120);
                continue;
            }
            EXPECT_EQ(Game.History.top(), top);
            // The hint's group is outlined, and Space on the board erases it.
            EXPECT_GE(Game.GroupSize, 2);
            const int remaining = Game.RemainingPanels;
            Form1->activateWindow();
            Form1->Panel1->setFocus();
            QTest::keyClick(Form1->Panel1, Qt::Key_Space);
            EXPECT_LT(Game.RemainingPanels, remaining);
        }
    }
}
