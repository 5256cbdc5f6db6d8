#include <gtest/gtest.h>

#include "Engine.h"
#include "FakeBoardView.h"

using namespace engine;

namespace {

void Configure(GameState& g, int columns, int rows, int kinds, std::uint32_t seed = 1)
{
    g.ColumnCount = columns;
    g.RowCount = rows;
    g.KindCount = kinds;
    g.Random.seed(seed);
}

} // namespace

TEST(SetupBoard, DealsAFullBoardAndResetsTheLedger)
{
    struct Case {
        int columns, rows, kinds;
        std::size_t capacity;
    };
    for (const Case& t :
        {Case{19, 9, 5, 275}, Case{20, 9, 5, 290}, Case{40, 40, 6, 2440}, Case{8, 8, 3, 104}}) {
        SCOPED_TRACE(testing::Message() << t.columns << " x " << t.rows << " / " << t.kinds);
        GameState g;
        Configure(g, t.columns, t.rows, t.kinds);
        g.BonusPoints = 300; // left over from a finished game
        g.UndoPoints = -20;
        ASSERT_TRUE(SetupBoard(g));

        EXPECT_EQ(g.PanelTotal, t.columns * t.rows);
        EXPECT_EQ(g.RemainingPanels, g.PanelTotal);
        EXPECT_EQ(g.Score, -g.PanelTotal);
        EXPECT_EQ(g.BonusPoints, 0);
        EXPECT_EQ(g.UndoPoints, 0);
        EXPECT_EQ(g.PotionPoints, 0);
        EXPECT_EQ(g.PotionsLeft, 3);
        EXPECT_EQ(g.GroupSize, 0);
        EXPECT_EQ(g.History.capacity(), t.capacity);
        EXPECT_TRUE(g.History.empty());
        EXPECT_EQ(ErasePoints(g), 0);

        int counted[KindCountMax + 1] = {};
        for (int c = 1; c <= t.columns; ++c)
            for (int r = 1; r <= t.rows; ++r) {
                ASSERT_GE(g.Board[c][r], 1);
                ASSERT_LE(g.Board[c][r], t.kinds);
                ASSERT_EQ(g.InitialBoard[c][r], g.Board[c][r]);
                ++counted[g.Board[c][r]];
            }
        int sum = 0;
        for (int k = 1; k <= KindCountMax; ++k) {
            EXPECT_EQ(g.KindCounts[k], counted[k]) << "kind " << k;
            sum += g.KindCounts[k];
        }
        EXPECT_EQ(sum, g.PanelTotal);
        for (int c = 1; c <= t.columns; ++c) {
            EXPECT_EQ(g.Board[c][0], EmptyCell);
            EXPECT_EQ(g.Board[c][t.rows + 1], EmptyCell);
        }
        for (int r = 1; r <= t.rows; ++r) {
            EXPECT_EQ(g.Board[0][r], EmptyCell);
            EXPECT_EQ(g.Board[t.columns + 1][r], EmptyCell);
        }
    }
}

TEST(SetupBoard, DealsColumnByColumnFromTheBottomWithTheSharedRandomSource)
{
    GameState g;
    Configure(g, 19, 9, 5, 12345);
    ASSERT_TRUE(SetupBoard(g));
    RandomSource expected;
    expected.seed(12345);
    for (int c = 1; c <= 19; ++c)
        for (int r = 1; r <= 9; ++r)
            ASSERT_EQ(g.Board[c][r], expected.below(5) + 1) << c << "," << r;
}

TEST(SetupBoard, SmallerBoardAfterALargeOneGetsItsOwnBorder)
{
    GameState g;
    Configure(g, 40, 40, 3);
    ASSERT_TRUE(SetupBoard(g));
    // Make everything one kind, also what will lie beyond the next border.
    for (int c = 1; c <= 40; ++c)
        for (int r = 1; r <= 40; ++r)
            g.Board[c][r] = 1;
    Configure(g, 8, 8, 3);
    ASSERT_TRUE(SetupBoard(g));
    for (int i = 1; i <= 8; ++i) {
        EXPECT_EQ(g.Board[9][i], EmptyCell);
        EXPECT_EQ(g.Board[i][9], EmptyCell);
    }
    for (int c = 1; c <= 8; ++c)
        for (int r = 1; r <= 8; ++r)
            g.Board[c][r] = 1;
    // The search stays inside the new board although old panels lie beyond.
    EXPECT_EQ(CountGroup(g, 1, 1, 1), 64);
}

TEST(SetupBoard, FailsWithNothingChangedWhenTheHistoryCannotBeObtained)
{
    GameState g;
    Configure(g, 19, 9, 5);
    ASSERT_TRUE(SetupBoard(g));
    const int oldBoard = g.Board[3][3];
    g.Score = -100;
    Configure(g, 40, 40, 6);

    MoveHistory::AllocationLimit = 100;
    const bool ok = SetupBoard(g);
    MoveHistory::AllocationLimit = SIZE_MAX;

    EXPECT_FALSE(ok);
    EXPECT_FALSE(g.BoardReady());
    EXPECT_FALSE(g.History.obtained());
    EXPECT_EQ(g.Score, -100);
    EXPECT_EQ(g.PanelTotal, 171);
    EXPECT_EQ(g.Board[3][3], oldBoard);
    EXPECT_FALSE(UndoMove(g)); // the empty history still answers
}

TEST(RandomSource, StaysInRangeAndAnswersZeroForNoChoice)
{
    RandomSource random;
    random.seed(99);
    EXPECT_EQ(random.below(0), 0);
    int seen[6] = {};
    for (int i = 0; i < 6000; ++i) {
        const int v = random.below(6);
        ASSERT_GE(v, 0);
        ASSERT_LT(v, 6);
        ++seen[v];
    }
    for (int v : seen)
        EXPECT_GT(v, 800); // roughly uniform
}
