#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "Engine.h"
#include "FakeBoardView.h"

using namespace engine;

TEST(CountGroup, CountsEdgeJoinedPanelsOnly)
{
    struct Case {
        const char* what;
        std::vector<std::string> board;
        int column, row, expected;
    };
    const Case cases[] = {
        {"lone panel", {"121", "212"}, 1, 1, 0},
        {"vertical pair", {"13", "12"}, 1, 1, 2},
        {"diagonal neighbours do not join", {"21", "12"}, 1, 1, 0},
        {"touching the left and bottom edges", {"111", "122", "133"}, 1, 1, 5},
        {"touching the right and top edges", {"311", "221", "231"}, 3, 3, 4},
        {"an L around another kind", {"1111", "1221", "1331"}, 1, 1, 8},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.what);
        GameState g;
        LoadBoard(g, 3, t.board);
        EXPECT_EQ(CountGroup(g, t.column, t.row, g.Board[t.column][t.row]), t.expected);
    }
}

TEST(CountGroup, ReachesAllOfTheLargestBoardWithoutRunningOutOfStack)
{
    GameState g;
    std::vector<std::string> board(40, std::string(40, '1'));
    LoadBoard(g, 3, board);
    EXPECT_EQ(CountGroup(g, 20, 20, 1), 1600);
}

TEST(GroupText, ShowsTheSizeAndTheGroupPoints)
{
    EXPECT_EQ(GroupText(0), "0");
    EXPECT_EQ(GroupText(2), "2(+0)");
    EXPECT_EQ(GroupText(5), "5(+9)");
    EXPECT_EQ(GroupText(12), "12(+100)");
    EXPECT_EQ(GroupText(100), "100(+9604)");
}

TEST(HoverCell, OutlinesExactlyTheGroupAndMovingWithinItKeepsIt)
{
    GameState g;
    FakeBoardView view;
    LoadBoard(g, 3, {"2113", "1123", "3312"});
    view.showBoard(g);

    // Row 2 holds "1123": the 1 at (2, 2) joins (1, 2) and, above it, (2, 3)
    // and (3, 3); the 1 at (3, 1) touches it only diagonally.
    const std::set<std::pair<int, int>> group = {{1, 2}, {2, 2}, {2, 3}, {3, 3}};
    const auto expectOutlined = [&] {
        for (int c = 1; c <= 4; ++c)
            for (int r = 1; r <= 3; ++r) {
                const bool in = group.count({c, r}) == 1;
                EXPECT_EQ(view.cells[c][r].outlined, in) << c << "," << r;
                EXPECT_EQ(g.GroupMark[c][r], in ? 1 : 0) << c << "," << r;
            }
    };
    HoverCell(g, view, 2, 2);
    EXPECT_EQ(g.GroupSize, 4);
    expectOutlined();

    HoverCell(g, view, 3, 3); // a neighbour in the same group
    EXPECT_EQ(g.GroupSize, 4);
    expectOutlined();

    HoverCell(g, view, 1, 3); // a lone panel
    EXPECT_EQ(g.GroupSize, 0);
    EXPECT_EQ(view.outlinedCount(g), 0);
}

TEST(HoverCell, OverAnEmptyCellMarksNothing)
{
    GameState g;
    FakeBoardView view;
    LoadBoard(g, 3, {"1.", "11"});
    view.showBoard(g);
    HoverCell(g, view, 1, 1);
    ASSERT_EQ(g.GroupSize, 3);
    g.PotionMode = true;
    HoverCell(g, view, 2, 2);
    EXPECT_EQ(g.GroupSize, 0);
    EXPECT_EQ(view.outlinedCount(g), 0);
    EXPECT_TRUE(view.cells[2][2].pictures().empty());
    EXPECT_EQ(g.Board[2][2], EmptyCell);
}

TEST(ClearHover, RemovesEveryOutlineAndKeepsTheGroupSize)
{
    GameState g;
    FakeBoardView view;
    LoadBoard(g, 3, {"1122", "1122"});
    view.showBoard(g);
    HoverCell(g, view, 4, 1);
    ClearHover(g, view);
    EXPECT_EQ(view.outlinedCount(g), 0);
    EXPECT_EQ(g.GroupSize, 4);
    for (int c = 1; c <= 4; ++c)
        for (int r = 1; r <= 2; ++r)
            EXPECT_EQ(g.GroupMark[c][r], 0);
}

TEST(HoverCell, InThePotionModeShowsTheTargetAndRestoresItAfterwards)
{
    GameState g;
    FakeBoardView view;
    LoadBoard(g, 3, {"123", "113"});
    view.showBoard(g);
    g.PotionMode = true;

    HoverCell(g, view, 2, 2); // a lone panel of kind 2
    EXPECT_EQ(g.GroupSize, 0);
    EXPECT_EQ(g.Board[2][2], 2 + PotionTargetOffset);
    EXPECT_EQ(g.GroupMark[2][2], 1);
    EXPECT_EQ(view.cells[2][2].pictures(), (std::vector<int>{2, PotionPicture})); // flask over the panel

    HoverCell(g, view, 1, 1); // a group of three, target on it
    EXPECT_EQ(g.Board[2][2], 2);
    EXPECT_EQ(view.cells[2][2].pictures(), std::vector<int>{2});
    EXPECT_TRUE(view.cells[2][2].prepared);
    EXPECT_FALSE(view.cells[2][2].outlined);
    EXPECT_EQ(g.GroupSize, 3);
    EXPECT_EQ(g.Board[1][1], 1 + PotionTargetOffset);
    EXPECT_EQ(view.outlinedCount(g), 3);

    ClearHover(g, view);
    EXPECT_EQ(g.Board[1][1], 1);
    EXPECT_EQ(view.cells[1][1].pictures(), std::vector<int>{1});
    EXPECT_EQ(view.outlinedCount(g), 0);
}
