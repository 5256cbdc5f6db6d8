// The search's board: group search, move listing and moves.
#include "SolverGrid.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace engine::solver {

void Random::reseed(std::uint64_t seed)
{
    // splitmix64 spreads any seed, 0 included, over the whole state.
    for (int i = 0; i < 2; ++i) {
        seed += 0x9E3779B97F4A7C15ULL;
        std::uint64_t z = seed;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        z ^= z >> 31;
        s_[2 * i] = static_cast<std::uint32_t>(z);
        s_[2 * i + 1] = static_cast<std::uint32_t>(z >> 32);
    }
    if ((s_[0] | s_[1] | s_[2] | s_[3]) == 0)
        s_[0] = 1;
}

void Grid::copyFrom(const Grid& other)
{
    // The columns of the board, the empty column at each side, and the
    // padding read after the last one.
    const std::size_t used = static_cast<std::size_t>((other.width + 2) * other.stride + CellPadding);
    std::memcpy(cell.data(), other.cell.data(), std::min(used, cell.size()));
    height = other.height;
    stride = other.stride;
    columns = other.columns;
    rows = other.rows;
    width = other.width;
    kinds = other.kinds;
    panels = other.panels;
    count = other.count;
}

bool Grid::moveRemains() const
{
    for (int c = 1; c <= columns; ++c) {
        const std::uint8_t* p = &cell[static_cast<std::size_t>(cellAt(c, 0))];
        for (int r = 1; r <= height[static_cast<std::size_t>(c)]; ++r)
            if (p[r] == p[r + 1] || p[r] == p[r + stride])
                return true;
    }
    return false;
}

void CollectGroup(const Grid& grid, int start, Group& group, Marks& marks)
{
    // The list of cells found is also the queue of cells still to expand.
    const std::uint8_t kind = grid.cell[static_cast<std::size_t>(start)];
    group.kind = kind;
    group.cells[0] = static_cast<Cell>(start);
    marks.see(start);
    int size = 1;
    for (int i = 0; i < size; ++i) {
        const int at = group.cells[static_cast<std::size_t>(i)];
        for (const int next : {at - grid.stride, at + grid.stride, at - 1, at + 1}) {
            if (grid.cell[static_cast<std::size_t>(next)] == kind && !marks.seen(next)) {
                marks.see(next);
                group.cells[static_cast<std::size_t>(size++)] = static_cast<Cell>(next);
            }
        }
    }
    group.size = size;
}

int GroupSizeAt(const Grid& grid, int cell, Marks& marks)
{
    if (grid.cell[static_cast<std::size_t>(cell)] == 0)
        return 0;
    Group group;
    marks.next();
    CollectGroup(grid, cell, group, marks);
    return group.size;
}

int ListMoves(const Grid& grid, MoveInfo* out, Marks& marks)
{
    marks.next();
    Group group;
    int count = 0;
    for (int c = 1; c <= grid.columns; ++c) {
        const int h = grid.height[static_cast<std::size_t>(c)];
        for (int r = 1; r <= h; ++r) {
            const int at = grid.cellAt(c, r);
            if (marks.seen(at))
                continue;
            // A panel with no neighbour of its kind needs no search.
            const std::uint8_t k = grid.cell[static_cast<std::size_t>(at)];
            const std::uint8_t* p = &grid.cell[static_cast<std::size_t>(at)];
            if (p[1] != k && p[-1] != k && p[grid.stride] != k && p[-grid.stride] != k)
                continue;
            CollectGroup(grid, at, group, marks);
            out[count++] = MoveInfo{static_cast<Cell>(at), static_cast<std::uint16_t>(group.size), k};
        }
    }
    return count;
}

namespace {

// PlayMove, and with `Carry` the same moves made on `ids`, a value per cell
// that travels with its panel; with `span`, the columns the move changed.
template <bool Carry> int Erase(Grid& grid, int start, [[maybe_unused]] PanelIds* ids, MoveSpan* span)
{
    std::uint8_t* const board = grid.cell.data();
    const int stride = grid.stride;
    const std::uint8_t kind = board[start];
    // Flood fill that empties each cell as it is reached, which is also its
    // visit mark. The lowest and highest cell emptied lie in the first and
    // last column the group touches.
    Cell stack[Side * Side];
    int top = 0;
    int erased = 0;
    int low = start;
    int high = start;
    board[start] = 0;
    stack[top++] = static_cast<Cell>(start);
    while (top > 0) {
        const int at = stack[--top];
        ++erased;
        low = std::min(low, at);
        high = std::max(high, at);
        for (const int next : {at - stride, at + stride, at - 1, at + 1}) {
            if (board[next] == kind) {
                board[next] = 0;
                stack[top++] = static_cast<Cell>(next);
            }
        }
    }
    const int firstColumn = low / stride;
    const int lastColumn = high / stride;
    const int columnsBefore = grid.columns;

    // Let the panels above each gap fall: compact each column from its
    // lowest gap up, and empty what is left above.
    bool emptied = false;
    int lowest = grid.rows + 1;
    for (int c = firstColumn; c <= lastColumn; ++c) {
        std::uint8_t* col = board + c * stride;
        const int h = grid.height[static_cast<std::size_t>(c)];
        // The lowest empty cell, eight at a time: the cell above the top of
        // the column is empty, and the padding covers the last reads.
        int write = 1;
        for (;; write += 8) {
            std::uint64_t word;
            std::memcpy(&word, col + write, sizeof word);
            const std::uint64_t zero = (word - 0x0101010101010101ULL) & ~word & 0x8080808080808080ULL;
            if (zero != 0) {
                write += std::countr_zero(zero) / 8;
                break;
            }
        }
        if (write > h)
            continue;
        lowest = std::min(lowest, write);
        for (int r = write + 1; r <= h; ++r) {
            col[write] = col[r];
            if constexpr (Carry)
                (*ids)[static_cast<std::size_t>(c * stride + write)]
                    = (*ids)[static_cast<std::size_t>(c * stride + r)];
            write += col[r] != 0;
        }
        std::memset(col + write, 0, static_cast<std::size_t>(h + 1 - write));
        grid.height[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(write - 1);
        emptied |= write == 1;
    }

    // Close up emptied columns: the columns to their right move left, in
    // order, and the freed columns at the right end become empty.
    if (emptied) {
        int write = firstColumn;
        for (int c = firstColumn; c <= grid.columns; ++c) {
            if (grid.height[static_cast<std::size_t>(c)] == 0)
                continue;
            if (write != c) {
                std::memcpy(board + write * stride, board + c * stride, static_cast<std::size_t>(stride));
                if constexpr (Carry)
                    std::memcpy(ids->data() + write * stride, ids->data() + c * stride,
                        static_cast<std::size_t>(stride) * sizeof(std::uint16_t));
                grid.height[static_cast<std::size_t>(write)] = grid.height[static_cast<std::size_t>(c)];
            }
            ++write;
        }
        std::memset(board + write * stride, 0, static_cast<std::size_t>((grid.columns + 1 - write) * stride));
        for (int c = write; c <= grid.columns; ++c)
            grid.height[static_cast<std::size_t>(c)] = 0;
        grid.columns = write - 1;
    }

    grid.panels -= erased;
    grid.count[kind] -= erased;
    if (span != nullptr)
        *span = {firstColumn, lastColumn, columnsBefore - grid.columns, lowest};
    return erased;
}

} // namespace

int PlayMove(Grid& grid, int start)
{
    return Erase<false>(grid, start, nullptr, nullptr);
}

int PlayMove(Grid& grid, int start, PanelIds& ids)
{
    return Erase<true>(grid, start, &ids, nullptr);
}

int PlayMove(Grid& grid, int start, PanelIds& ids, MoveSpan& span)
{
    return Erase<true>(grid, start, &ids, &span);
}

bool CodedMoves::collect(const Grid& grid, const PanelIds& ids, int at, CodedMove& out)
{
    const std::uint8_t* const board = grid.cell.data();
    const int stride = grid.stride;
    const std::uint8_t kind = board[at];
    if (kind == 0 || marks_.seen(at))
        return false;
    // A panel with no neighbour of its kind needs no search.
    if (board[at + 1] != kind && board[at - 1] != kind && board[at + stride] != kind
        && board[at - stride] != kind)
        return false;
    CollectGroup(grid, at, group_, marks_);
    int low = at;
    int high = at;
    int top = 0;
    std::uint32_t key = 0;
    for (int i = 0; i < group_.size; ++i) {
        const int cell = group_.cells[static_cast<std::size_t>(i)];
        key ^= PanelKeys[ids[static_cast<std::size_t>(cell)]];
        low = std::min(low, cell);
        high = std::max(high, cell);
        top = std::max<int>(top, rowOf_[static_cast<std::size_t>(cell)]);
    }
    out = {static_cast<Cell>(low), static_cast<std::uint16_t>(key >> (32 - CodeBits)), kind,
        static_cast<std::uint8_t>(low / stride), static_cast<std::uint8_t>(high / stride),
        static_cast<std::uint8_t>(top)};
    return true;
}

int CodedMoves::scan(const Grid& grid, const PanelIds& ids, int from, int to, CodedMove* out)
{
    marks_.next();
    int n = 0;
    for (int c = from; c <= to; ++c)
        for (int r = 1; r <= grid.height[static_cast<std::size_t>(c)]; ++r)
            n += collect(grid, ids, grid.cellAt(c, r), out[n]);
    return n;
}

void CodedMoves::list(const Grid& grid, const PanelIds& ids)
{
    if (rowsStride_ != grid.stride) {
        rowsStride_ = grid.stride;
        for (std::size_t i = 0; i < rowOf_.size(); ++i)
            rowOf_[i] = static_cast<std::uint8_t>(static_cast<int>(i) % grid.stride);
    }
    size_ = scan(grid, ids, 1, grid.columns, lists_[current_].data());
}

void CodedMoves::updateInPlace(const Grid& grid, const PanelIds& ids, const MoveSpan& span)
{
    // Cells below row `low` - 1, or two columns or more from the ones the
    // move changed, kept their panels and their neighbours. A group with
    // all its cells there is as it was; every other group of the board
    // has a cell in the rest (the dirty cells) or was a group before,
    // with its first cell where it was.
    const int dirtyRow = std::max(span.low - 1, 1);
    const int from = std::max(span.first - 1, 1);
    const int to = std::min(span.last + 1, grid.columns);
    const CodedMove* const moves = lists_[current_].data();
    CodedMove* const next = lists_[1 - current_].data();
    marks_.next();
    int kept = 0;
    int found = 0;
    for (int i = 0; i < size_; ++i) {
        const CodedMove& m = moves[i];
        if (m.last < from || m.first > to || m.top < dirtyRow)
            next[kept++] = m;
        else
            found += collect(grid, ids, m.cell, found_[static_cast<std::size_t>(found)]);
    }
    for (int c = from; c <= to; ++c)
        for (int r = dirtyRow; r <= grid.height[static_cast<std::size_t>(c)]; ++r)
            found += collect(grid, ids, grid.cellAt(c, r), found_[static_cast<std::size_t>(found)]);
    // Both lists in scan order, merged from the back.
    std::sort(found_.begin(), found_.begin() + found,
        [](const CodedMove& a, const CodedMove& b) { return a.cell < b.cell; });
    int i = kept - 1;
    int j = found - 1;
    for (int k = kept + found - 1; j >= 0; --k) {
        if (i >= 0 && next[i].cell > found_[static_cast<std::size_t>(j)].cell)
            next[k] = next[i--];
        else
            next[k] = found_[static_cast<std::size_t>(j--)];
    }
    current_ = 1 - current_;
    size_ = kept + found;
}

void CodedMoves::update(const Grid& grid, const PanelIds& ids, const MoveSpan& span)
{
    if (span.closed == 0) {
        updateInPlace(grid, ids, span);
        return;
    }
    // Columns left of span.first and right of span.last are as they were
    // (those on the right moved left by span.closed), so a panel two
    // columns or more away from the changed ones has the neighbours it had,
    // and a group wholly that far away is unchanged. The groups in columns
    // from..to are listed again, `from` lowered until no group kept on the
    // left reaches it, so that none is listed twice.
    const CodedMove* const moves = lists_[current_].data();
    int from = std::max(span.first - 1, 1);
    const int to = span.last + 1;
    for (bool lowered = true; lowered;) {
        lowered = false;
        for (int i = 0; i < size_ && moves[i].first < from; ++i) {
            if (moves[i].last >= from) {
                from = moves[i].first;
                lowered = true;
            }
        }
    }
    int kept = 0;
    while (kept < size_ && moves[kept].first < from)
        ++kept;
    int tail = size_;
    while (tail > kept && moves[tail - 1].first > to)
        --tail;
    CodedMove* const next = lists_[1 - current_].data();
    std::copy(moves, moves + kept, next);
    int n = kept + scan(grid, ids, from, std::min(to - span.closed, grid.columns), next + kept);
    // The groups on the right moved left with their columns.
    const int shift = span.closed * grid.stride;
    for (int i = tail; i < size_; ++i) {
        CodedMove m = moves[i];
        m.cell = static_cast<Cell>(m.cell - shift);
        m.first = static_cast<std::uint8_t>(m.first - span.closed);
        m.last = static_cast<std::uint8_t>(m.last - span.closed);
        next[n++] = m;
    }
    current_ = 1 - current_;
    size_ = n;
}

namespace {

// Sixteen cells at a time, with GCC's portable vector types: comparisons give
// 0 or all ones per byte.
using Bytes = signed char __attribute__((vector_size(16)));

Bytes Load(const std::uint8_t* p)
{
    Bytes v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Index of the n-th (from 0) byte of `mask` that has `bit` set; the caller
// knows there are more than n.
int NthMarked(const std::uint8_t* mask, int begin, int n, int bit)
{
    const std::uint64_t ones = 0x0101010101010101ULL;
    for (int at = begin;; at += 8) {
        std::uint64_t word;
        std::memcpy(&word, mask + at, sizeof word);
        word = (word >> bit) & ones;
        // One bit per byte at most: the product sums the bytes in the top one.
        const int here = static_cast<int>((word * ones) >> 56);
        if (n >= here) {
            n -= here;
            continue;
        }
        for (;; word &= word - 1, --n)
            if (n == 0)
                return at + std::countr_zero(word) / 8;
    }
}

} // namespace

int PickMove(const Grid& grid, int keep, int spare, Random& random, MoveMask& mask)
{
    // Column 0 and everything right of the last column hold zeros, so the
    // span from column 1 to the last column, rounded up to whole blocks,
    // reads only cells of the board, its empty border and the padding.
    const int stride = grid.stride;
    const int begin = stride;
    const int end = (grid.columns + 1) * stride;
    const std::uint8_t* const board = grid.cell.data();
    const Bytes zero = {};
    const Bytes keptKind = zero + static_cast<signed char>(keep);
    const Bytes sparedKind = zero + static_cast<signed char>(spare);
    Bytes freeCount = zero;
    Bytes sparedCount = zero;
    Bytes keptCount = zero;
    // At most 105 blocks, so a byte per lane cannot overflow.
    for (int at = begin; at < end; at += 16) {
        const Bytes a = Load(board + at);
        const Bytes joined = (a == Load(board + at + 1)) | (a == Load(board + at - 1))
            | (a == Load(board + at + stride)) | (a == Load(board + at - stride));
        const Bytes movable = joined & (a != zero);
        const Bytes kept = movable & (a == keptKind);
        const Bytes spared = movable & (a == sparedKind);
        const Bytes free = movable & ~kept & ~spared;
        // 1 for a free cell, 2 for a spared one, 4 for a kept one.
        const Bytes marks = (free & 1) | (spared & 2) | (kept & 4);
        std::memcpy(mask.data() + at, &marks, sizeof marks);
        freeCount -= free;
        sparedCount -= spared;
        keptCount -= kept;
    }
    int free = 0;
    int spared = 0;
    int kept = 0;
    for (int i = 0; i < 16; ++i) {
        free += freeCount[i];
        spared += sparedCount[i];
        kept += keptCount[i];
    }
    if (free > 0)
        return NthMarked(mask.data(), begin, random.below(free), 0);
    if (spared > 0)
        return NthMarked(mask.data(), begin, random.below(spared), 1);
    if (kept > 0)
        return NthMarked(mask.data(), begin, random.below(kept), 2);
    return -1;
}

} // namespace engine::solver
