// The state of the one game in play: the board with its border, the board as
// dealt, the hover marks, the counters of the score ledger and the undo store.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <random>
#include <stdexcept>

namespace engine {

// Limits of the settings, and therefore of the arrays below.
inline constexpr int ColumnCountMin = 8;
inline constexpr int ColumnCountMax = 40;
inline constexpr int RowCountMin = 8;
inline constexpr int RowCountMax = 40;
inline constexpr int KindCountMin = 3;
inline constexpr int KindCountMax = 6;

// Settings the program starts with.
inline constexpr int ColumnCountStart = 19;
inline constexpr int RowCountStart = 9;
inline constexpr int KindCountStart = 5;

inline constexpr int EmptyCell = -1;
// Added to a panel's kind while it is the potion's target under the pointer.
inline constexpr int PotionTargetOffset = 10;
// Picture 0 of the picture list is the potion target; kinds use 1..6.
inline constexpr int PotionPicture = 0;

inline constexpr int PotionUses = 3;
inline constexpr int PotionCharge = 100;
inline constexpr int UndoCharge = 10;
inline constexpr int ClearedKindBonus = 100;

// A step asked to do what the state forbids: a bug, never a move of the
// player's. Every step checks before it changes anything, so the game is as it
// was when this is thrown.
class InvariantError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// A cell as one integer, column x 100 + row: the tag of its picture and the
// history's entry for an erased panel.
struct CellRef {
    int column;
    int row;
};
inline int CellTag(int column, int row)
{
    return column * 100 + row;
}
inline CellRef CellFromTag(int tag)
{
    return {tag / 100, tag % 100};
}

// Pseudo-random source behind every deal: a non-negative 31-bit number taken
// modulo n. Seeded once from the clock at start-up; tests seed it themselves.
class RandomSource {
public:
    void seed(std::uint32_t value) { generator_.seed(value); }
    int below(int n)
    {
        if (n <= 0)
            return 0;
        return static_cast<int>((generator_() >> 1) % static_cast<std::uint32_t>(n));
    }

private:
    std::mt19937 generator_{1};
};

// The newest entry of a move in the history: the panels it erased (2..1600),
// the columns it closed (0..40) and the kind of its group (1..6), packed as
// erased x 1000 + closed x 10 + kind, so the three never overlap.
struct SummaryEntry {
    int erased;
    int closed;
    int kind;
};
inline int Pack(SummaryEntry entry)
{
    return entry.erased * 1000 + entry.closed * 10 + entry.kind;
}
inline SummaryEntry UnpackSummary(int value)
{
    return {value / 1000, (value % 1000) / 10, value % 10};
}

// The undo store: one block of integers with a top index. Entry numbers start
// at 1; push raises the top, then stores. A move pushes a cell entry
// (CellTag) per erased panel, a column entry (the column's number) per closed
// column and its SummaryEntry last.
class MoveHistory {
public:
    // Capacity needed for a whole game on a board of this size: one entry per
    // panel, one summary per move (each move takes two panels or more) and one
    // entry per closed column.
    static std::size_t capacityFor(int columns, int rows)
    {
        return static_cast<std::size_t>(3 * columns * rows / 2 + columns);
    }

    // Obtains a zero-filled block; false when the memory cannot be had.
    // AllocationLimit lets tests make the request fail.
    bool obtain(std::size_t capacity);
    void release();
    bool obtained() const { return entries_ != nullptr; }

    std::size_t capacity() const { return capacity_; }
    std::size_t top() const { return top_; }
    std::size_t room() const { return capacity_ - top_; }
    bool empty() const { return top_ == 0; }
    void clear() { top_ = 0; }

    void push(int entry);
    int pop();
    // Entry i (1..top), for tests and checks.
    int at(std::size_t i) const { return entries_[i - 1]; }

    static inline std::size_t AllocationLimit = SIZE_MAX;

private:
    std::unique_ptr<int[]> entries_;
    std::size_t capacity_ = 0;
    std::size_t top_ = 0;
};

struct GameState {
    // Settings.
    int ColumnCount = 0;
    int RowCount = 0;
    int KindCount = 0;

    // Board[column][row]: columns 1..ColumnCount from the left, rows
    // 1..RowCount from the bottom; column 0, column ColumnCount + 1, row 0 and
    // row RowCount + 1 hold EmptyCell, so searches and shifts need no bounds
    // tests.
    int Board[ColumnCountMax + 2][RowCountMax + 2]{};
    int InitialBoard[ColumnCountMax + 1][RowCountMax + 1]{};
    // 1 where the cell belongs to the group outlined by the latest hover.
    int GroupMark[ColumnCountMax + 1][RowCountMax + 1]{};
    int KindCounts[KindCountMax + 1]{};

    // Counters of the score ledger.
    int PanelTotal = 0;
    int RemainingPanels = 0;
    int Score = 0;
    int BonusPoints = 0;
    int UndoPoints = 0;
    int PotionPoints = 0;
    int PotionsLeft = 0;
    int GroupSize = 0;
    bool PotionMode = false;

    MoveHistory History;
    RandomSource Random;

    // True once a board has been set up and its cells exist: a setup that
    // cannot obtain the undo store leaves the game without one.
    bool BoardReady() const { return History.obtained(); }

    int RandomBelow(int n) { return Random.below(n); }
    int DealKind() { return RandomBelow(KindCount) + 1; }
};

} // namespace engine
