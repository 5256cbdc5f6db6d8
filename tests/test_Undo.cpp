#include <gtest/gtest.h>

#include "Engine.h"
#include "FakeBoardView.h"

using namespace engine;

namespace {

void Undo(GameState& g, FakeBoardView& view)
{
    ASSERT_TRUE(UndoMove(g));
    RecountAndRedraw(g, view);
}

} // namespace

TEST(UndoMove, RestoresTheBoardAndChargesTenPoints)
{
    struct Case {
        const char* what;
        std::vector<std::string> board;
        int column, row;
    };
    const Case cases[] = {
        {"five panels across three columns", {"2312", "1132", "1112"}, 1, 1},
        {"two columns emptied and closed", {"..3.", "1123"}, 1, 1},
        {"a group in the middle, columns on both sides", {"3.1..", "31123", "23113"}, 3, 1},
        {"the last two columns emptied", {"12..", "123.", "1233"}, 3, 1},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.what);
        GameState g;
        FakeBoardView view;
        LoadBoard(g, 3, t.board);
        view.showBoard(g);
        const auto board = BoardText(g);
        const int score = g.Score;
        const int panels = g.RemainingPanels;
        ASSERT_TRUE(Click(g, view, t.column, t.row));
        Undo(g, view);
        EXPECT_EQ(BoardText(g), board);
        EXPECT_EQ(g.Score, score - 10);
        EXPECT_EQ(g.UndoPoints, -10);
        EXPECT_EQ(g.RemainingPanels, panels);
        EXPECT_EQ(ErasePoints(g), 0);
        EXPECT_TRUE(g.History.empty());
        for (int c = 1; c <= g.ColumnCount; ++c)
            for (int r = 1; r <= g.RowCount; ++r) {
                EXPECT_EQ(g.GroupMark[c][r], 0);
                EXPECT_EQ(view.cells[c][r].shown(), g.Board[c][r]) << c << "," << r;
            }
        EXPECT_EQ(g.Board[g.ColumnCount + 1][1], EmptyCell);
        EXPECT_EQ(g.Board[1][g.RowCount + 1], EmptyCell);
    }
}

TEST(UndoMove, WalksBackMoveByMoveToTheDeal)
{
    GameState g;
    FakeBoardView view;
    LoadBoard(g, 3, {"1223", "3312", "1132"});
    view.showBoard(g);
    const auto dealt = BoardText(g);
    ASSERT_TRUE(Click(g, view, 1, 1));
    ASSERT_TRUE(Click(g, view, 1, 1));
    ASSERT_TRUE(Click(g, view, 3, 2));
    ASSERT_EQ(g.BonusPoints, 0);
    Undo(g, view);
    Undo(g, view);
    Undo(g, view);
    // Back at the deal there is nothing more to take back, and no charge.
    EXPECT_FALSE(UndoMove(g));
    EXPECT_EQ(BoardText(g), dealt);
    EXPECT_EQ(g.Score, -g.PanelTotal - 30);
    EXPECT_EQ(g.UndoPoints, -30);
}

TEST(UndoMove, KeepsTheKindAPotionGaveAPanel)
{
    GameState g;
    FakeBoardView view;
    LoadBoard(g, 3, {"23", "23", "11"});
    view.showBoard(g);
    ASSERT_TRUE(Click(g, view, 1, 1)); // the bottom row goes; the rest falls
    ASSERT_EQ(BoardText(g), (std::vector<std::string>{"..", "23", "23"}));
    ASSERT_TRUE(RerollPanel(g, view, 1, 2));
    ChargePotion(g);
    const int rerolled = g.Board[1][2];
    ASSERT_NE(rerolled, 2);
    Undo(g, view);
    EXPECT_EQ(g.Board[1][3], rerolled); // moved up with its column
    EXPECT_EQ(g.PotionsLeft, 2);
    EXPECT_EQ(g.PotionPoints, -100);
}

TEST(RestartBoard, PutsTheDealBackAndResetsEverything)
{
    GameState g;
    FakeBoardView view;
    LoadBoard(g, 3, {"3311", "1223", "2213"});
    view.showBoard(g);
    const auto dealt = BoardText(g);
    ASSERT_TRUE(Click(g, view, 3, 3));
    ASSERT_TRUE(Click(g, view, 2, 2));
    Undo(g, view);
    ASSERT_TRUE(RerollPanel(g, view, 1, 1));
    ChargePotion(g);
    HoverCell(g, view, 1, 2);

    RestartBoard(g);
    RecountAndRedraw(g, view);
    EXPECT_EQ(BoardText(g), dealt);
    EXPECT_EQ(g.Score, -g.PanelTotal);
    EXPECT_EQ(g.UndoPoints, 0);
    EXPECT_EQ(g.BonusPoints, 0);
    EXPECT_EQ(g.PotionPoints, 0);
    EXPECT_EQ(g.PotionsLeft, 3);
    EXPECT_TRUE(g.History.empty());
    EXPECT_EQ(view.outlinedCount(g), 0);
    for (int c = 1; c <= g.ColumnCount; ++c)
        for (int r = 1; r <= g.RowCount; ++r)
            EXPECT_EQ(g.GroupMark[c][r], 0);
}

TEST(RestartBoard, LeavesTheHolesOfADealEmpty)
{
    // A dealt board is full; one loaded with holes must not draw them.
    GameState g;
    FakeBoardView view;
    LoadBoard(g, 3, {"1..", "12.", "123"});
    view.showBoard(g);
    RestartBoard(g);
    RecountAndRedraw(g, view);
    EXPECT_EQ(BoardText(g), (std::vector<std::string>{"1..", "12.", "123"}));
    EXPECT_EQ(g.RemainingPanels, 6);
    EXPECT_EQ(g.Score, -6);
    EXPECT_TRUE(view.cells[3][3].cleared);
    EXPECT_EQ(view.cells[1][3].shown(), 1);
}

TEST(DealNewBoard, IsWhatTheNextRestartBringsBack)
{
    GameState g;
    FakeBoardView view;
    g.ColumnCount = 19;
    g.RowCount = 9;
    g.KindCount = 5;
    g.Random.seed(3);
    ASSERT_TRUE(SetupBoard(g));
    const auto first = BoardText(g);
    DealNewBoard(g);
    RestartBoard(g);
    const auto second = BoardText(g);
    EXPECT_NE(second, first);
    RestartBoard(g);
    EXPECT_EQ(BoardText(g), second);
}
