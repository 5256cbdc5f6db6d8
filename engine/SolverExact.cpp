// The exact search for small boards: depth-first over every line, pruned by
// an upper bound of the points left, with a transposition table of bounded
// size that remembers what each position is known to be worth.
#include <algorithm>
#include <bit>
#include <climits>
#include <cstdlib>
#include <memory>
#include <new>
#include <stdexcept>
#include <type_traits>

#include "SolverSearch.h"

namespace engine {

namespace solver {
namespace {

// A position's exact key: 2 bits per cell for up to 3 kinds (64 cells), 3
// bits for up to 7 kinds (42 cells), column by column from the bottom. The
// board's columns are packed, so the cells alone tell positions apart.
struct Key {
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    friend bool operator==(const Key&, const Key&) = default;
};

int BitsPerCell(int kinds)
{
    return kinds <= 3 ? 2 : 3;
}

Key KeyOf(const Grid& grid, int bits)
{
    Key key;
    int shift = 0;
    for (int c = 1; c <= grid.width; ++c) {
        for (int r = 1; r <= grid.rows; ++r) {
            const std::uint64_t value = grid.at(c, r);
            if (shift < 64) {
                key.low |= value << shift;
                if (shift + bits > 64)
                    key.high |= value >> (64 - shift);
            } else {
                key.high |= value << (shift - 64);
            }
            shift += bits;
        }
    }
    return key;
}

// What the table knows of a position: its exact worth, or an upper bound
// of it (a search below a threshold found nothing better).
struct Entry {
    Key key;
    std::int32_t value = 0;
    std::uint8_t used = 0;
    std::uint8_t exact = 0;
    std::uint8_t work = 0; // log2 of the nodes the search below took
};

// The table is zeroed memory taken as entries (see Table).
static_assert(std::is_trivially_copyable_v<Entry> && std::is_trivially_destructible_v<Entry>);

class Table {
public:
    // At most 2^21 entries of 24 bytes: 48 MB.
    static constexpr std::size_t MaxSize = std::size_t{1} << 21;
    static constexpr int Probes = 4;

    // Room for about as many positions as the budget lets the search visit.
    explicit Table(std::int64_t budget)
        : size_(
            std::min(MaxSize, std::bit_ceil(static_cast<std::size_t>(std::max<std::int64_t>(budget, 1024)))))
        , entries_(static_cast<Entry*>(std::calloc(size_, sizeof(Entry))))
    {
        // calloc hands a large table out as fresh pages that the system zeroes
        // when they are first touched: making the table costs nothing, where
        // writing 48 MB of zeros took tens of milliseconds that no
        // cancellation could cut short. Zero bytes are empty entries.
        if (!entries_)
            throw std::bad_alloc();
    }

    const Entry* find(const Key& key) const
    {
        const std::size_t at = slot(key);
        for (int i = 0; i < Probes; ++i) {
            const Entry& e = entries_[(at + static_cast<std::size_t>(i)) & (size_ - 1)];
            if (e.used && e.key == key)
                return &e;
        }
        return nullptr;
    }

    void store(const Key& key, int value, bool exact, std::int64_t nodes)
    {
        const std::uint8_t work
            = static_cast<std::uint8_t>(std::bit_width(static_cast<std::uint64_t>(nodes)));
        const std::size_t at = slot(key);
        Entry* victim = nullptr;
        for (int i = 0; i < Probes; ++i) {
            Entry& e = entries_[(at + static_cast<std::size_t>(i)) & (size_ - 1)];
            if (!e.used || e.key == key) {
                victim = &e;
                break;
            }
            // Otherwise the entry that cost least to find goes.
            if (victim == nullptr || e.work < victim->work)
                victim = &e;
        }
        *victim = Entry{key, value, 1, static_cast<std::uint8_t>(exact ? 1 : 0), work};
    }

private:
    std::size_t slot(const Key& key) const
    {
        std::uint64_t h = key.low * 0x9E3779B97F4A7C15ULL ^ key.high * 0xC2B2AE3D27D4EB4FULL;
        h ^= h >> 31;
        return static_cast<std::size_t>(h) & (size_ - 1);
    }

    const std::size_t size_;
    struct Free {
        void operator()(Entry* entries) const { std::free(entries); }
    };
    std::unique_ptr<Entry[], Free> entries_;
};

// Counts the depth of the search while a position is searched.
class Depth {
public:
    explicit Depth(int& depth)
        : depth_(depth)
    {
        ++depth_;
    }
    ~Depth() { --depth_; }
    Depth(const Depth&) = delete;
    Depth& operator=(const Depth&) = delete;

private:
    int& depth_;
};

class ExactSearch {
public:
    ExactSearch(const Grid& root, ScoringRule rule, const SolverOptions& options, std::int64_t budget)
        : root_(root)
        , rule_(rule)
        , bits_(BitsPerCell(root.kinds))
        , budget_(std::max<std::int64_t>(budget, 1))
        , stopCheck_(options)
        , table_(budget)
    {
    }

    struct Outcome {
        bool finished; // every line was covered
        int best; // the best score shown from the root, at least `known`
    };

    // Searches for a line that scores more than `known`.
    Outcome solve(int known)
    {
        const int value = search(root_, known);
        if (stopped_)
            return {false, std::max(rootBest_, known)};
        return {true, std::max(value, known)};
    }

    // A line reaching at least `value` from the root, which the search
    // showed; the table makes the searches along it cheap. It follows at
    // each step a move worth at least what is asked, and asks after it for
    // all that move is worth: after a search that was cut short, that can be
    // more than it had shown. A budget or a time limit that ended the search
    // does not stop this; a cancellation, or a table that lost too much,
    // does (nullopt).
    std::optional<std::vector<Cell>> line(int value)
    {
        budget_ = nodes_ + std::max<std::int64_t>(nodes_ / 4, 100'000);
        stopped_ = false;
        timeless_ = true;
        std::vector<Cell> moves;
        Grid grid = root_;
        MoveInfo list[MaxMoves];
        for (;;) {
            const int n = ListMoves(grid, list, marks_);
            if (n == 0)
                break;
            bool found = false;
            for (int i = 0; i < n && !found; ++i) {
                Grid child = grid;
                const int gain = GroupPoints(PlayMove(child, list[i].cell));
                // Worth value - gain or more iff a search asking for more
                // than value - gain - 1 finds it, and then it tells the
                // exact worth.
                const int worth = search(child, value - gain - 1);
                if (worth > value - gain - 1) {
                    moves.push_back(list[i].cell);
                    grid = child;
                    value = worth;
                    found = true;
                }
            }
            if (stopped_)
                return std::nullopt;
            if (!found)
                throw std::logic_error("exact search: a line it showed cannot be followed");
        }
        return moves;
    }

    std::int64_t nodes() const { return nodes_; }
    bool cut() const { return cut_; }

private:
    static constexpr int MaxMoves = Side * Side / 2;

    // The exact worth of the grid when it exceeds `threshold`; otherwise an
    // upper bound of it, at most `threshold`.
    int search(const Grid& grid, int threshold)
    {
        if (stopped_)
            return INT_MIN / 2;
        count();
        const int bound = PointsBound(grid, rule_);
        if (bound <= threshold)
            return bound;
        const Key key = KeyOf(grid, bits_);
        if (const Entry* e = table_.find(key)) {
            if (e->exact || e->value <= threshold)
                return e->value;
        }
        const std::int64_t before = nodes_;

        const Depth depth(depth_);
        MoveInfo list[MaxMoves];
        const int n = ListMoves(grid, list, marks_);
        if (n == 0) {
            const int value = EndPoints(grid, rule_);
            table_.store(key, value, true, 1);
            return value;
        }
        // Most promising first: the moves whose bound after them is highest
        // tend to lead to the best lines soonest, and a move whose bound
        // cannot beat what is asked need not be searched at all.
        int order[MaxMoves];
        int promise[MaxMoves];
        for (int i = 0; i < n; ++i) {
            order[i] = i;
            promise[i] = boundAfter(grid, list[i].kind, list[i].size);
        }
        std::sort(order, order + n, [&](int a, int b) {
            return promise[a] != promise[b] ? promise[a] > promise[b] : list[a].cell < list[b].cell;
        });
        int best = INT_MIN;
        int upper = INT_MIN;
        for (int k = 0; k < n; ++k) {
            const int i = order[k];
            const int floor = std::max(threshold, best);
            if (promise[i] <= floor) {
                upper = std::max(upper, promise[i]);
                continue;
            }
            Grid child = grid;
            const int gain = GroupPoints(PlayMove(child, list[i].cell));
            const int value = search(child, floor - gain);
            if (stopped_)
                return INT_MIN / 2;
            if (value + gain > floor) {
                best = value + gain;
                if (depth_ == 1)
                    rootBest_ = std::max(rootBest_, best);
            } else {
                upper = std::max(upper, value + gain);
            }
        }
        if (best > threshold) {
            // Every other move was shown to bring at most what was asked
            // when it was searched, which is below best.
            table_.store(key, best, true, nodes_ - before);
            return best;
        }
        const int value = std::max(best, upper);
        table_.store(key, value, false, nodes_ - before);
        return value;
    }

    // The points of a move of `size` panels of `kind` plus the bound of
    // what it leaves.
    int boundAfter(const Grid& grid, int kind, int size) const
    {
        Grid::Counts after = grid.count;
        after[static_cast<std::size_t>(kind)] -= size;
        return GroupPoints(size) + PointsBound(after, grid.kinds, rule_);
    }

    void count()
    {
        ++nodes_;
        if (nodes_ >= budget_) {
            stopped_ = true;
            return;
        }
        // A cancellation is one atomic load, looked for often; the clocks
        // cost more and are read less often.
        if ((nodes_ & 63) == 0
            && (timeless_ || (nodes_ & 1023) != 0 ? stopCheck_.cancelled() : stopCheck_.due())) {
            stopped_ = true;
            cut_ = true;
        }
    }

    const Grid root_;
    const ScoringRule rule_;
    const int bits_;
    std::int64_t budget_;
    const StopCheck stopCheck_;
    std::int64_t nodes_ = 0;
    int depth_ = 0; // of the position being searched, the root at 1
    int rootBest_ = INT_MIN; // the best line from the root shown so far
    bool stopped_ = false;
    bool timeless_ = false; // only a cancellation stops the search
    bool cut_ = false;
    Table table_;
    Marks marks_;
};

} // namespace
} // namespace solver

SolverResult SolveExactly(const SolverBoard& board, ScoringRule rule, const SolverOptions& options)
{
    if (!solver::ExactSearchFits(board))
        throw std::invalid_argument(
            "the exact search takes boards of at most 64 cells with 3 kinds or 42 with 7");
    // A quick search first: its line is the score to beat, which prunes the
    // exact search from the start. It takes half the budget, at most 200,000
    // nodes, and half of any time limit.
    const auto wallStart = std::chrono::steady_clock::now();
    const auto cpuStart = solver::StopCheck::ThreadCpuTime();
    SolverOptions quick = options;
    quick.Budget = std::clamp<std::int64_t>(options.Budget / 2, 1, 200'000);
    const auto half = [](std::chrono::milliseconds limit) {
        return limit.count() > 0 ? std::max(limit / 2, std::chrono::milliseconds{1}) : limit;
    };
    quick.TimeLimit = half(options.TimeLimit);
    quick.CpuTimeLimit = half(options.CpuTimeLimit);
    // Its playouts only spare the second kind, as on the other small boards:
    // holding it strictly gave lines that left the exact search more to do.
    solver::Tuning quickTuning = solver::BeamTuning;
    quickTuning.spareStrictly = false;
    SolverResult result = solver::SolveWith(board, rule, quick, quickTuning);
    if (options.Stop.stop_requested() || result.Proven)
        return result;

    // The time limits count from the start of the quick search.
    SolverOptions rest = options;
    rest.OnImprove = nullptr;
    const auto spent = [](std::chrono::milliseconds limit, std::chrono::nanoseconds used) {
        if (limit.count() <= 0)
            return limit;
        return std::max(std::chrono::milliseconds{1},
            limit - std::chrono::duration_cast<std::chrono::milliseconds>(used));
    };
    rest.TimeLimit = spent(options.TimeLimit, std::chrono::steady_clock::now() - wallStart);
    rest.CpuTimeLimit = spent(options.CpuTimeLimit, solver::StopCheck::ThreadCpuTime() - cpuStart);
    const solver::Grid grid = solver::ToGrid(board);
    auto search = std::make_unique<solver::ExactSearch>(grid, rule, rest, options.Budget - result.Nodes);
    const auto outcome = search->solve(result.Score);
    // Also when the search ran out of budget or time, a better line it has
    // shown on the way is worth the few nodes it takes to write out.
    if (outcome.best > result.Score && !options.Stop.stop_requested()) {
        if (const auto line = search->line(outcome.best)) {
            // The line reaches at least what the search showed, and more when
            // the search was cut short: its score is what it reaches.
            result.Moves.clear();
            solver::Grid replay = grid;
            const int points = solver::PlayLineOfCells(replay, *line, result.Moves);
            result.Score = points + solver::EndPoints(replay, rule);
            if (options.OnImprove)
                options.OnImprove(result.Score);
        }
    }
    result.Nodes += search->nodes();
    result.Cut = search->cut();
    result.Proven = outcome.finished && result.Score == outcome.best;
    return result;
}

} // namespace engine
