// Thousands of random games with random moves, undos, potions, restarts and
// new deals; after every step the board and the ledger are checked against
// facts computed here independently.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "Engine.h"
#include "FakeBoardView.h"

using namespace engine;

namespace {

using Snapshot = std::vector<std::string>;

struct Played {
    int erased; // panels the move took
    Snapshot before; // the board before it
    bool potionSince; // a potion changed a panel since
};

class Referee {
public:
    explicit Referee(std::uint32_t seed)
        : random_(seed)
        , seed_(seed)
    {
    }

    void playGame()
    {
        std::uniform_int_distribution<int> size(ColumnCountMin, ColumnCountMax);
        std::uniform_int_distribution<int> kinds(KindCountMin, KindCountMax);
        // Small boards end more often; large ones test the limits.
        const bool small = pick(2) == 0;
        g_.ColumnCount = small ? ColumnCountMin + pick(3) : size(random_);
        g_.RowCount = small ? RowCountMin + pick(3) : size(random_);
        g_.KindCount = kinds(random_);
        g_.Random.seed(seed_);
        ASSERT_TRUE(SetupBoard(g_));
        view_.showBoard(g_);
        played_.clear();
        countsStale_ = false;
        // A setup counts no bonus: a kind the deal lacks earns it at the
        // first refresh.
        bonusWaits_ = true;
        check("setup");

        for (int step = 0; step < 120 && !testing::Test::HasFailure(); ++step) {
            const int action = pick(100);
            if (action < 70)
                move();
            else if (action < 82)
                undo();
            else if (action < 90)
                potion();
            else if (action < 93)
                restart();
            else if (action < 95)
                newDeal();
            else
                hoverAndLeave();
            if (!MoveRemains(g_))
                newDeal(); // the game is over: the next one starts
        }
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    std::pair<int, int> anyCell() { return {1 + pick(g_.ColumnCount), 1 + pick(g_.RowCount)}; }

    void move()
    {
        // Look for a group the way a player does: hover until one shows.
        for (int tries = 0; tries < 8; ++tries) {
            const auto [c, r] = anyCell();
            HoverCell(g_, view_, c, r);
            checkHover(c, r);
            if (g_.GroupSize < 2)
                continue;
            const Snapshot before = BoardText(g_);
            const int erased = g_.GroupSize;
            ASSERT_TRUE(ResolveMove(g_, c, r));
            RecountAndRedraw(g_, view_);
            countsStale_ = bonusWaits_ = false;
            played_.push_back({erased, before, false});
            check("move");
            // A second click without a new hover erases nothing.
            const std::size_t top = g_.History.top();
            ASSERT_FALSE(ResolveMove(g_, c, r));
            ASSERT_EQ(g_.History.top(), top);
            return;
        }
    }

    void undo()
    {
        const bool done = UndoMove(g_);
        ASSERT_EQ(done, !played_.empty());
        if (!done)
            return;
        RecountAndRedraw(g_, view_);
        countsStale_ = bonusWaits_ = false;
        const Played last = played_.back();
        played_.pop_back();
        if (!last.potionSince) {
            ASSERT_EQ(BoardText(g_), last.before) << "undo did not restore the board";
        }
        check("undo");
    }

    void potion()
    {
        if (g_.PotionsLeft <= 0)
            return;
        StartPotionMode(g_);
        const auto [c, r] = anyCell();
        HoverCell(g_, view_, c, r);
        // The click usually lands where the pointer last moved; after a press
        // released on another cell, or a modal box, it lands elsewhere.
        const auto [tc, tr] = random_() % 4 == 0 ? anyCell() : std::pair{c, r};
        const int was = g_.Board[tc][tr] % PotionTargetOffset;
        if (!RerollPanel(g_, view_, tc, tr)) {
            ASSERT_EQ(g_.Board[tc][tr], EmptyCell);
            ClearHover(g_, view_); // the mode ends by its button
            g_.GroupSize = 0;
            EndPotionMode(g_, view_);
            check("potion on an empty cell");
            return;
        }
        ASSERT_NE(g_.Board[tc][tr], was);
        EndPotionMode(g_, view_);
        ChargePotion(g_);
        for (Played& p : played_)
            p.potionSince = true;
        // A potion use recounts nothing; the next refresh catches up.
        countsStale_ = true;
        check("potion");
        ClearHover(g_, view_); // the next mouse move clears what is left
        check("the move after a potion");
    }

    void restart()
    {
        RestartBoard(g_);
        RecountAndRedraw(g_, view_);
        countsStale_ = bonusWaits_ = false;
        played_.clear();
        for (int c = 1; c <= g_.ColumnCount; ++c)
            for (int r = 1; r <= g_.RowCount; ++r)
                ASSERT_EQ(g_.Board[c][r], g_.InitialBoard[c][r]);
        // A kind the deal lacks earns its bonus at once (check() counts it).
        ASSERT_EQ(g_.Score, -g_.PanelTotal + g_.BonusPoints);
        check("restart");
    }

    void newDeal()
    {
        DealNewBoard(g_);
        restart();
    }

    void hoverAndLeave()
    {
        const auto [c, r] = anyCell();
        HoverCell(g_, view_, c, r);
        checkHover(c, r);
        ClearHover(g_, view_);
        ASSERT_EQ(view_.outlinedCount(g_), 0);
    }

    // The hover marks exactly the group a flood fill finds, and outlines it.
    void checkHover(int c, int r)
    {
        bool seen[ColumnCountMax + 2][RowCountMax + 2] = {};
        int size = 0;
        const int kind = g_.Board[c][r] % PotionTargetOffset;
        if (g_.Board[c][r] != EmptyCell) {
            todo_.assign(1, {c, r});
            auto& todo = todo_;
            seen[c][r] = true;
            while (!todo.empty()) {
                const auto [x, y] = todo.back();
                todo.pop_back();
                ++size;
                for (const auto& [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 1 || ny < 1 || nx > g_.ColumnCount || ny > g_.RowCount)
                        continue;
                    if (seen[nx][ny] || g_.Board[nx][ny] != kind)
                        continue;
                    seen[nx][ny] = true;
                    todo.push_back({nx, ny});
                }
            }
        }
        ASSERT_EQ(g_.GroupSize, size >= 2 ? size : 0);
        for (int x = 1; x <= g_.ColumnCount; ++x)
            for (int y = 1; y <= g_.RowCount; ++y) {
                const bool in = size >= 2 && seen[x][y];
                ASSERT_EQ(view_.cells[x][y].outlined, in) << x << "," << y;
            }
    }

    void check(const char* after)
    {
        SCOPED_TRACE(after);
        // Gravity, packed columns and the empty border.
        bool emptyColumnSeen = false;
        int panels = 0;
        int counts[KindCountMax + 1] = {};
        for (int c = 1; c <= g_.ColumnCount; ++c) {
            int height = 0;
            while (height < g_.RowCount && g_.Board[c][height + 1] != EmptyCell)
                ++height;
            for (int r = height + 1; r <= g_.RowCount; ++r)
                ASSERT_EQ(g_.Board[c][r], EmptyCell) << "gap below a panel in column " << c;
            if (height == 0)
                emptyColumnSeen = true;
            else
                ASSERT_FALSE(emptyColumnSeen) << "empty column left of column " << c;
            for (int r = 1; r <= height; ++r) {
                const int v = g_.Board[c][r];
                ASSERT_TRUE(v >= 1 && v <= g_.KindCount) << "value " << v << " at " << c << "," << r;
                ++counts[v];
                ++panels;
                ASSERT_EQ(view_.cells[c][r].shown(), v);
            }
            ASSERT_EQ(g_.Board[c][0], EmptyCell);
            ASSERT_EQ(g_.Board[c][g_.RowCount + 1], EmptyCell);
        }
        for (int r = 1; r <= g_.RowCount; ++r) {
            ASSERT_EQ(g_.Board[0][r], EmptyCell);
            ASSERT_EQ(g_.Board[g_.ColumnCount + 1][r], EmptyCell);
        }

        // The ledger against what was played.
        int erasePoints = 0;
        for (const Played& p : played_)
            erasePoints += (p.erased - 2) * (p.erased - 2);
        int bonus = 0; // as the next refresh will count it
        for (int k = 1; k <= g_.KindCount; ++k)
            bonus += counts[k] == 0 ? ClearedKindBonus : 0;
        ASSERT_EQ(g_.RemainingPanels, panels);
        if (!countsStale_) {
            ASSERT_EQ(g_.BonusPoints, bonusWaits_ ? 0 : bonus);
            for (int k = 1; k <= KindCountMax; ++k)
                ASSERT_EQ(g_.KindCounts[k], counts[k]) << "kind " << k;
        }
        ASSERT_EQ(ErasePoints(g_), erasePoints);
        ASSERT_EQ(g_.PotionPoints, -PotionCharge * (PotionUses - g_.PotionsLeft));
        ASSERT_EQ(g_.Score, erasePoints + g_.BonusPoints - panels + g_.UndoPoints + g_.PotionPoints);
        ASSERT_EQ(g_.GroupSize, 0);
        ASSERT_LE(g_.History.top(), g_.History.capacity());

        // The end test against a search of every neighbour pair.
        bool pair = false;
        for (int c = 1; c <= g_.ColumnCount && !pair; ++c)
            for (int r = 1; r <= g_.RowCount && !pair; ++r) {
                const int v = g_.Board[c][r];
                pair = v != EmptyCell
                    && ((c < g_.ColumnCount && g_.Board[c + 1][r] == v)
                        || (r < g_.RowCount && g_.Board[c][r + 1] == v));
            }
        ASSERT_EQ(MoveRemains(g_), pair);
    }

    GameState g_;
    FakeBoardView view_;
    std::mt19937 random_;
    std::uint32_t seed_;
    std::vector<Played> played_;
    std::vector<std::pair<int, int>> todo_;
    bool countsStale_ = false; // a potion changed a kind since the last refresh
    bool bonusWaits_ = false; // no refresh since the setup
};

int GamesToPlay()
{
    // The suite plays a fixed number; `make soak` asks for many more.
    if (const char* soak = std::getenv("ZEMMICK_SOAK_GAMES"))
        return std::atoi(soak);
    return 1500;
}

} // namespace

TEST(RandomGames, KeepTheBoardAndTheLedgerConsistent)
{
    const int games = GamesToPlay();
    for (int i = 0; i < games; ++i) {
        const std::uint32_t seed = 1000u + static_cast<std::uint32_t>(i);
        Referee referee(seed);
        referee.playGame();
        if (testing::Test::HasFailure()) {
            ADD_FAILURE() << "failed with seed " << seed;
            return;
        }
    }
}

// Seeds whose games once met a case the checks above got wrong: 152259 deals
// a board that lacks a kind, whose restart counts that kind's bonus at once.
TEST(RandomGames, SeedsThatOnceFailed)
{
    for (const std::uint32_t seed : {152259u}) {
        Referee referee(seed);
        referee.playGame();
        ASSERT_FALSE(testing::Test::HasFailure()) << "seed " << seed;
    }
}
