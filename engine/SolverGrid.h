// The search's own board: one byte per cell in flat arrays, a group search
// without recursion, and moves that allocate nothing, so that a playout on a
// 40 x 40 board costs a few microseconds per move. Internal to the solver.
#pragma once

#include <array>
#include <cstdint>

namespace engine::solver {

// Cells are addressed column-major: column c (1..columns) and row r
// (1..rows) at c * stride + r, with stride = rows + 2 so that a small board
// is small in memory too. Column 0, the columns right of the last one
// holding panels, row 0 and the cells above each column's height hold 0
// (empty), so the four neighbours of any panel can be read without bounds
// tests.
inline constexpr int Side = 40;
inline constexpr int MaxStride = Side + 2;
inline constexpr int CellCount = MaxStride * MaxStride;
// Zero bytes after the last cell, so that the board can be read 16 cells at a
// time with the neighbours of each.
inline constexpr int CellPadding = 64;
// Kinds 1..9 fit the board text of the command-line tool; the game uses 1..6.
inline constexpr int MaxKinds = 9;

using Cell = std::uint16_t;

// A small, fast and portable pseudo-random source (xoshiro128**, seeded by
// splitmix64), so that a seed gives the same numbers on every machine.
class Random {
public:
    explicit Random(std::uint64_t seed = 1) { reseed(seed); }
    void reseed(std::uint64_t seed);
    std::uint32_t next()
    {
        const std::uint32_t result = rotl(s_[1] * 5, 7) * 9;
        const std::uint32_t t = s_[1] << 9;
        s_[2] ^= s_[0];
        s_[3] ^= s_[1];
        s_[1] ^= s_[2];
        s_[0] ^= s_[3];
        s_[2] ^= t;
        s_[3] = rotl(s_[3], 11);
        return result;
    }
    // 0..n-1 for n >= 1, by multiply and shift: plain integer arithmetic.
    int below(int n)
    {
        return static_cast<int>((static_cast<std::uint64_t>(next()) * static_cast<std::uint32_t>(n)) >> 32);
    }

private:
    static std::uint32_t rotl(std::uint32_t x, int k) { return (x << k) | (x >> (32 - k)); }
    std::uint32_t s_[4]{};
};

struct Grid {
    Grid() = default;
    // Copies take only the part of the cells a board of this size uses, so
    // that copying a small board is cheap; nothing reads past that part.
    Grid(const Grid& other) { copyFrom(other); }
    Grid& operator=(const Grid& other)
    {
        if (this != &other)
            copyFrom(other);
        return *this;
    }

    std::array<std::uint8_t, CellCount + CellPadding> cell{};
    std::array<std::uint8_t, MaxStride> height{};
    int stride = MaxStride;
    int columns = 0; // columns 1..columns hold panels, the rest are empty
    int rows = 0; // the board's row count: no column grows above it
    int width = 0; // the board's column count
    int kinds = 0; // kinds 1..kinds are in play
    int panels = 0;
    using Counts = std::array<int, MaxKinds + 1>;
    Counts count{};

    int cellAt(int column, int row) const { return column * stride + row; }
    int columnOf(int at) const { return at / stride; }
    int rowOf(int at) const { return at % stride; }
    int at(int column, int row) const { return cell[static_cast<std::size_t>(cellAt(column, row))]; }
    // True while two edge-joined panels of one kind remain.
    bool moveRemains() const;

private:
    void copyFrom(const Grid& other);
};

// The cells of one group.
struct Group {
    int kind = 0;
    int size = 0;
    std::array<Cell, Side * Side> cells;
};

// Visit marks for listing groups: a stamp per cell, so clearing is a counter
// step instead of a pass over the board.
class Marks {
public:
    void next()
    {
        if (++now_ == 0) {
            stamp_.fill(0);
            now_ = 1;
        }
    }
    bool seen(int cell) const { return stamp_[static_cast<std::size_t>(cell)] == now_; }
    void see(int cell) { stamp_[static_cast<std::size_t>(cell)] = now_; }

private:
    std::array<std::uint16_t, CellCount> stamp_{};
    std::uint16_t now_ = 0;
};

// One move as the search lists it: the first cell of the group in scan order
// (leftmost column, lowest row in it), its size and its kind.
struct MoveInfo {
    Cell cell;
    std::uint16_t size;
    std::uint8_t kind;
};

// Fills `group` with the group at `cell` (which must hold a panel), marking
// its cells in `marks` (the caller steps the marks first).
void CollectGroup(const Grid& grid, int cell, Group& group, Marks& marks);

// Lists every group of two or more panels, in scan order; returns how many.
// `out` must hold Side * Side / 2 entries.
int ListMoves(const Grid& grid, MoveInfo* out, Marks& marks);

// Erases the group at `cell` (two or more panels), lets the panels above fall
// and closes up emptied columns. Returns the number of panels erased.
int PlayMove(Grid& grid, int cell);

// A value per cell that moves with its panel: with the PlayMove below, each
// panel keeps the number it was given however far it falls or slides. Cells
// without a panel hold no meaningful value.
using PanelIds = std::array<std::uint16_t, CellCount + CellPadding>;
int PlayMove(Grid& grid, int cell, PanelIds& ids);

// The cells a move changed: the group lay in columns first..last, and
// `closed` columns among them emptied and closed up (the columns right of
// `last` moved left by as many). Columns left of `first` are as they were,
// and so are the cells below row `low` in every column.
struct MoveSpan {
    int first;
    int last;
    int closed;
    int low;
};
int PlayMove(Grid& grid, int cell, PanelIds& ids, MoveSpan& span);

// A group's code: the top CodeBits bits of the exclusive or of PanelKey over
// the numbers of its panels. The same panels make the same code wherever
// they have fallen or slid to, and different groups seldom share one.
inline constexpr int CodeBits = 15;
inline constexpr int CodeCount = 1 << CodeBits;
constexpr std::uint32_t PanelKey(std::uint32_t number)
{
    // A multiplicative hash with the final mix of MurmurHash3.
    std::uint32_t x = number * 0x9E3779B1u + 0x7F4A7C15u;
    x ^= x >> 15;
    x *= 0x85EBCA77u;
    x ^= x >> 13;
    x *= 0xC2B2AE3Du;
    return x ^ (x >> 16);
}
// PanelKey of every number a panel can have, worked out once.
inline constexpr auto PanelKeys = [] {
    std::array<std::uint32_t, CellCount> keys{};
    for (std::size_t i = 0; i < keys.size(); ++i)
        keys[i] = PanelKey(static_cast<std::uint32_t>(i));
    return keys;
}();

// Every group of two or more on a board whose panels carry numbers given in
// scan order (column by column from the bottom left, as they keep rising
// in that order however the panels fall and slide), each with its code.
// After a move, only the groups near the cells it changed are listed again
// (near the columns it changed, when it closed one); the list is the same
// as listing the whole board, in scan order.
struct CodedMove {
    Cell cell; // the group's first cell in scan order
    std::uint16_t code; // below CodeCount
    std::uint8_t kind;
    std::uint8_t first; // the columns the group spans
    std::uint8_t last;
    std::uint8_t top; // the highest row it reaches
};

class CodedMoves {
public:
    // Lists the whole board.
    void list(const Grid& grid, const PanelIds& ids);
    // Lists again after a move made with the PlayMove above that gave `span`.
    void update(const Grid& grid, const PanelIds& ids, const MoveSpan& span);

    int size() const { return size_; }
    const CodedMove* data() const { return lists_[current_].data(); }
    const CodedMove& operator[](int i) const { return data()[i]; }

private:
    // Appends the groups whose first cell lies in columns from..to.
    int scan(const Grid& grid, const PanelIds& ids, int from, int to, CodedMove* out);
    // The group at cell `at`, when it holds a panel not yet marked that has a
    // neighbour of its kind; marks its cells. False otherwise.
    bool collect(const Grid& grid, const PanelIds& ids, int at, CodedMove& out);
    // update() after a move that closed no column.
    void updateInPlace(const Grid& grid, const PanelIds& ids, const MoveSpan& span);

    // The list, and room for the next one.
    std::array<std::array<CodedMove, Side * Side / 2>, 2> lists_;
    // The groups a move changed, found again (and room for one more).
    std::array<CodedMove, Side * Side / 2 + 1> found_;
    std::size_t current_ = 0;
    Group group_;
    int size_ = 0;
    Marks marks_;
    // The row of each cell, for the stride it was made for.
    std::array<std::uint8_t, CellCount> rowOf_{};
    int rowsStride_ = 0;
};

// Scratch for PickMove: a byte per cell.
using MoveMask = std::array<std::uint8_t, CellCount + CellPadding>;

// A cell drawn at random among the panels that belong to a group of two or
// more and are of neither kind `keep` nor `spare` (0 for none); when there
// are none, among those of `spare`; then among those of `keep`; -1 when no
// move is left. Every panel drawn among is equally likely, so a group is
// drawn in proportion to its size.
int PickMove(const Grid& grid, int keep, int spare, Random& random, MoveMask& mask);

// Size of the group at `cell`, 0 for an empty cell, 1 for a lone panel.
int GroupSizeAt(const Grid& grid, int cell, Marks& marks);

} // namespace engine::solver
