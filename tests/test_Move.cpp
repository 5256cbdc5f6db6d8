#include <gtest/gtest.h>

#include <functional>

#include "Engine.h"
#include "FakeBoardView.h"

using namespace engine;

namespace {

std::vector<int> HistoryEntries(const GameState& g)
{
    std::vector<int> entries;
    for (std::size_t i = 1; i <= g.History.top(); ++i)
        entries.push_back(g.History.at(i));
    return entries;
}

} // namespace

TEST(ResolveMove, VerticalPairFallsAndIsRecordedTopRowFirst)
{
    GameState g;
    FakeBoardView view;
    LoadBoard(g, 3, {"2322", "3233", "2322", "3213", "2312"});
    view.showBoard(g);
    ASSERT_TRUE(Click(g, view, 3, 1));
    EXPECT_EQ(HistoryEntries(g), (std::vector<int>{302, 301, 2 * 1000 + 1}));
    EXPECT_EQ(BoardText(g), (std::vector<std::string>{"23.2", "32.3", "2322", "3233", "2322"}));
}

TEST(ResolveMove, EmptiedColumnsCloseUpAndAreRecordedRightmostFirst)
{
    GameState g;
    FakeBoardView view;
    LoadBoard(g, 3, {"..3.", "1123"});
    view.showBoard(g);
    ASSERT_TRUE(Click(g, view, 1, 1));
    EXPECT_EQ(HistoryEntries(g), (std::vector<int>{101, 201, 2, 1, 2 * 1000 + 2 * 10 + 1}));
    EXPECT_EQ(BoardText(g), (std::vector<std::string>{"3...", "23.."}));
    // The empty columns shown at the right hold nothing to draw.
    EXPECT_TRUE(view.cells[3][1].cleared);
    EXPECT_TRUE(view.cells[4][2].cleared);
    EXPECT_EQ(view.cells[1][2].shown(), 3);
}

TEST(ResolveMove, ScoreRisesByTheGroupPointsPlusThePanels)
{
    for (const auto& [n, rise] : {std::pair{2, 2}, {3, 4}, {5, 14}, {10, 74}}) {
        SCOPED_TRACE(n);
        // Column 1 holds the group; column 2 alternates other kinds; one more
        // panel of the group's kind keeps the bonus out of it.
        std::vector<std::string> board;
        for (int r = n; r >= 1; --r)
            board.push_back(std::string("1") + (r % 2 ? '2' : '3') + (r == 1 ? '1' : '.'));
        GameState g;
        FakeBoardView view;
        LoadBoard(g, 3, board);
        view.showBoard(g);
        const int before = g.Score;
        ASSERT_TRUE(Click(g, view, 1, 1));
        EXPECT_EQ(g.Score - before, rise);
        EXPECT_EQ(g.RemainingPanels, n + 1);
        EXPECT_EQ(ErasePoints(g), (n - 2) * (n - 2));
        EXPECT_EQ(g.BonusPoints, 0);
    }
}

TEST(ResolveMove, ClearingAKindEarnsTheBonusInTheSameRefreshAndItsUndoTakesItBack)
{
    GameState g;
    FakeBoardView view;
    LoadBoard(g, 3, {"12", "12", "33"});
    view.showBoard(g);
    const int before = g.Score;
    ASSERT_TRUE(Click(g, view, 1, 1)); // the only panels of kind 3
    EXPECT_EQ(g.BonusPoints, 100);
    EXPECT_EQ(g.Score - before, MovePoints(2) + 100);
    EXPECT_EQ(g.KindCounts[3], 0);
    EXPECT_EQ(ErasePoints(g), 0);
    ASSERT_TRUE(UndoMove(g));
    RecountAndRedraw(g, view);
    EXPECT_EQ(g.BonusPoints, 0);
    EXPECT_EQ(g.Score, before - 10);
}

TEST(ResolveMove, NeedsAFreshHoverOverAGroup)
{
    GameState g;
    FakeBoardView view;
    LoadBoard(g, 3, {"1212", "1122"});
    view.showBoard(g);

    HoverCell(g, view, 2, 2); // a lone panel
    EXPECT_FALSE(ResolveMove(g, 2, 2));

    ASSERT_TRUE(Click(g, view, 1, 1));
    const std::size_t top = g.History.top();
    const int score = g.Score;
    // The same cell clicked again without moving the pointer.
    EXPECT_FALSE(ResolveMove(g, 1, 1));
    // A group outlined elsewhere is not erased by a click beside it.
    HoverCell(g, view, 2, 1);
    ASSERT_GE(g.GroupSize, 2);
    EXPECT_FALSE(ResolveMove(g, 1, 2));
    EXPECT_EQ(g.History.top(), top);
    EXPECT_EQ(g.Score, score);
}

TEST(MoveRemains, FindsAPairAnywhereAndOnlyAPair)
{
    struct Case {
        const char* what;
        std::vector<std::string> board;
        bool remains;
    };
    const Case cases[] = {
        {"pair only in the last column", {"1213", "2123", "1212"}, true},
        {"pair only in the top row", {"1233", "2121", "1212"}, true},
        {"pair only at the bottom left", {"2121", "1212", "1121"}, true},
        {"no joined pair", {"121", "212", "121"}, false},
        {"lone panels on a sparse board", {"1..", "21."}, false},
        {"an empty board", {"...", "..."}, false},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.what);
        GameState g;
        LoadBoard(g, 3, t.board);
        EXPECT_EQ(MoveRemains(g), t.remains);
    }
}

TEST(RecountAndRedraw, DrawsEveryCellAfreshAndPreparesThePanels)
{
    GameState g;
    FakeBoardView view;
    LoadBoard(g, 3, {"1.", "23"});
    HoverCell(g, view, 1, 1);
    g.GroupSize = 5;
    RecountAndRedraw(g, view);
    EXPECT_EQ(g.GroupSize, 0);
    EXPECT_EQ(g.RemainingPanels, 3);
    EXPECT_EQ(view.cells[1][2].pictures(), std::vector<int>{1});
    EXPECT_TRUE(view.cells[1][2].prepared);
    EXPECT_TRUE(view.cells[2][2].cleared);
    EXPECT_FALSE(view.cells[2][2].prepared);
    EXPECT_EQ(view.cells[2][1].shown(), 3);
}

// A broken state (a bug elsewhere) is refused by the step that meets it, before
// that step changes the board, the ledger, the history or a picture.
TEST(EngineSteps, RefuseABrokenStateBeforeChangingAnything)
{
    struct Case {
        const char* what;
        std::function<void(GameState&)> breakIt;
        std::function<void(GameState&, FakeBoardView&)> step;
    };
    const auto move = [](GameState& g, FakeBoardView&) { ResolveMove(g, 1, 1); };
    const auto refresh = [](GameState& g, FakeBoardView& v) { RecountAndRedraw(g, v); };
    const auto undo = [](GameState& g, FakeBoardView&) { UndoMove(g); };
    const auto restart = [](GameState& g, FakeBoardView&) { RestartBoard(g); };
    const auto hoverOneOne = [](GameState& g) {
        FakeBoardView v;
        v.showBoard(g);
        HoverCell(g, v, 1, 1);
    };
    const Case cases[] = {
        {"a move on a potion target left behind",
            [&](GameState& g) {
                hoverOneOne(g);
                g.Board[1][1] += PotionTargetOffset;
            },
            move},
        {"a move whose marks hold another kind",
            [&](GameState& g) {
                hoverOneOne(g);
                g.GroupMark[3][3] = 1;
                g.GroupMark[2][1] = 0;
            },
            move},
        {"a move whose marks are not the group size", [&](GameState& g) { hoverOneOne(g), g.GroupSize = 3; },
            move},
        {"a move with no room left in the history",
            [&](GameState& g) {
                hoverOneOne(g);
                while (g.History.room() > 3)
                    g.History.push(0);
            },
            move},
        {"a refresh with a potion target left behind",
            [](GameState& g) { g.Board[2][2] += PotionTargetOffset; }, refresh},
        {"a refresh with a kind beyond the kinds in play", [](GameState& g) { g.Board[3][1] = 6; }, refresh},
        {"an undo of an entry that is no move",
            [](GameState& g) {
                g.History.push(Pack({2, 0, 7}));
            },
            undo},
        {"an undo below the bottom of the history",
            [](GameState& g) {
                g.History.push(Pack({5, 0, 1}));
            },
            undo},
        {"an undo of a column outside the board",
            [](GameState& g) {
                g.History.push(CellTag(1, 1));
                g.History.push(CellTag(2, 1));
                g.History.push(9);
                g.History.push(Pack({2, 1, 1}));
            },
            undo},
        {"an undo of a cell outside the board",
            [](GameState& g) {
                g.History.push(CellTag(1, 9));
                g.History.push(CellTag(2, 1));
                g.History.push(Pack({2, 0, 1}));
            },
            undo},
        {"an undo with a potion target on the board",
            [](GameState& g) {
                g.History.push(CellTag(1, 3));
                g.History.push(CellTag(1, 2));
                g.History.push(Pack({2, 0, 1}));
                g.Board[2][2] += PotionTargetOffset;
            },
            undo},
        {"a restart of a deal beyond the kinds in play", [](GameState& g) { g.InitialBoard[2][3] = 8; },
            restart},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.what);
        GameState g;
        LoadBoard(g, 3, {"2132", "3213", "1123"});
        t.breakIt(g);
        FakeBoardView view;
        view.showBoard(g);
        const auto board = BoardText(g);
        const auto marks
            = std::vector<int>(&g.GroupMark[0][0], &g.GroupMark[0][0] + sizeof g.GroupMark / sizeof(int));
        const auto history = HistoryEntries(g);
        const int score = g.Score, panels = g.RemainingPanels, groupSize = g.GroupSize;
        EXPECT_THROW(t.step(g, view), InvariantError);
        EXPECT_EQ(BoardText(g), board);
        EXPECT_EQ(std::vector<int>(&g.GroupMark[0][0], &g.GroupMark[0][0] + sizeof g.GroupMark / sizeof(int)),
            marks);
        EXPECT_EQ(HistoryEntries(g), history);
        EXPECT_EQ(g.Score, score);
        EXPECT_EQ(g.RemainingPanels, panels);
        EXPECT_EQ(g.GroupSize, groupSize);
        EXPECT_EQ(view.calls, 0);
    }
}
