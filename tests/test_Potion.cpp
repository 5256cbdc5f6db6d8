#include <gtest/gtest.h>

#include <set>

#include "Engine.h"
#include "FakeBoardView.h"

using namespace engine;

TEST(RerollPanel, AlwaysGivesAnotherKind)
{
    std::set<int> seen;
    for (std::uint32_t seed = 1; seed <= 200; ++seed) {
        GameState g;
        FakeBoardView view;
        LoadBoard(g, 3, {"121", "212"});
        g.Random.seed(seed);
        view.showBoard(g);
        // The target carries its offset while the pointer rests on it.
        ASSERT_EQ(g.Board[2][2], 2);
        g.Board[2][2] += PotionTargetOffset;
        g.GroupMark[2][2] = 1;
        ASSERT_TRUE(RerollPanel(g, view, 2, 2));
        ASSERT_NE(g.Board[2][2], 2);
        ASSERT_GE(g.Board[2][2], 1);
        ASSERT_LE(g.Board[2][2], 3);
        EXPECT_EQ(g.GroupMark[2][2], 0);
        EXPECT_EQ(view.cells[2][2].pictures(), std::vector<int>{g.Board[2][2]});
        EXPECT_TRUE(view.cells[2][2].prepared);
        seen.insert(g.Board[2][2]);
    }
    EXPECT_EQ(seen, (std::set<int>{1, 3}));
}

TEST(RerollPanel, IgnoresAnEmptyCell)
{
    GameState g;
    FakeBoardView view;
    LoadBoard(g, 3, {"1.", "12"});
    EXPECT_FALSE(RerollPanel(g, view, 2, 2));
    EXPECT_EQ(g.Board[2][2], EmptyCell);
    EXPECT_EQ(view.calls, 0);
}

TEST(ChargePotion, TakesAUseAndAHundredPoints)
{
    GameState g;
    LoadBoard(g, 3, {"12", "21"});
    g.GroupSize = 2;
    ChargePotion(g);
    ChargePotion(g);
    EXPECT_EQ(g.PotionsLeft, 1);
    EXPECT_EQ(g.PotionPoints, -200);
    EXPECT_EQ(g.Score, -4 - 200);
    EXPECT_EQ(g.GroupSize, 0);
    EXPECT_EQ(ErasePoints(g), 0);
}
