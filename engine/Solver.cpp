// The search for the best line: the board handed to the solver, the scoring
// rules, the beam and nested Monte-Carlo searches over random playouts that
// hold two kinds back for big groups late in the game, the relay of the beam
// and the policy adaptation, and the choice Solve makes among them and the
// exact search.
#include "Solver.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <ctime>
#include <stdexcept>

#include "SolverSearch.h"

namespace engine {

// --- The board handed to the solver -----------------------------------------

SolverBoard::SolverBoard(int columns, int rows, int kinds)
    : columns_(columns)
    , rows_(rows)
    , kinds_(kinds)
{
    if (columns < 1 || columns > solver::Side || rows < 1 || rows > solver::Side)
        throw std::invalid_argument("a board has 1 to 40 columns and 1 to 40 rows");
    if (kinds < 0 || kinds > MaxKinds)
        throw std::invalid_argument("a board has at most 9 kinds");
    cells_.fill(EmptyCell);
}

SolverBoard::SolverBoard(const GameState& game)
    : SolverBoard(game.ColumnCount, game.RowCount, game.KindCount)
{
    for (int c = 1; c <= columns_; ++c)
        for (int r = 1; r <= rows_; ++r) {
            const int value = game.Board[c][r];
            set(c, r, value < 1 ? EmptyCell : value % PotionTargetOffset);
        }
}

SolverBoard SolverBoard::AsDealt(const GameState& game)
{
    SolverBoard board(game.ColumnCount, game.RowCount, game.KindCount);
    for (int c = 1; c <= board.columns_; ++c)
        for (int r = 1; r <= board.rows_; ++r)
            board.set(c, r, game.InitialBoard[c][r] < 1 ? EmptyCell : game.InitialBoard[c][r]);
    return board;
}

std::size_t SolverBoard::index(int column, int row) const
{
    if (column < 1 || column > columns_ || row < 1 || row > rows_)
        throw std::out_of_range("no such cell on the board");
    return static_cast<std::size_t>((column - 1) * solver::Side + (row - 1));
}

void SolverBoard::set(int column, int row, int value)
{
    if (value != EmptyCell && (value < 1 || value > kinds_))
        throw std::invalid_argument("a cell holds a kind of the board or nothing");
    cells_[index(column, row)] = static_cast<std::int8_t>(value);
}

std::string SolverBoard::problem() const
{
    bool emptyColumnSeen = false;
    for (int c = 1; c <= columns_; ++c) {
        bool gap = false;
        for (int r = 1; r <= rows_; ++r) {
            if (at(c, r) == EmptyCell) {
                gap = true;
            } else if (gap) {
                return "column " + std::to_string(c) + " has a panel above an empty cell at row "
                    + std::to_string(r);
            }
        }
        if (at(c, 1) == EmptyCell) {
            emptyColumnSeen = true;
        } else if (emptyColumnSeen) {
            return "column " + std::to_string(c) + " holds panels right of an empty column";
        }
    }
    return {};
}

namespace solver {

// --- Conversion and scoring ---------------------------------------------------

Grid ToGrid(const SolverBoard& board)
{
    const std::string problem = board.problem();
    if (!problem.empty())
        throw std::invalid_argument(problem);
    Grid grid;
    grid.stride = board.rows() + 2;
    grid.rows = board.rows();
    grid.width = board.columns();
    grid.kinds = board.kinds();
    for (int c = 1; c <= board.columns(); ++c) {
        int h = 0;
        for (int r = 1; r <= board.rows(); ++r) {
            const int value = board.at(c, r);
            if (value == EmptyCell)
                break;
            grid.cell[static_cast<std::size_t>(grid.cellAt(c, r))] = static_cast<std::uint8_t>(value);
            ++grid.count[static_cast<std::size_t>(value)];
            ++grid.panels;
            h = r;
        }
        grid.height[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(h);
        if (h > 0)
            grid.columns = c;
    }
    return grid;
}

int PlayLineOfCells(Grid& grid, const std::vector<Cell>& line, std::vector<SolverMove>& moves)
{
    int points = 0;
    for (const Cell cell : line) {
        moves.push_back({grid.columnOf(cell), grid.rowOf(cell)});
        points += GroupPoints(PlayMove(grid, cell));
    }
    return points;
}

int EndPoints(const Grid& grid, ScoringRule rule)
{
    int points = 0;
    if (rule == ScoringRule::Game) {
        points -= grid.panels;
        for (int k = 1; k <= grid.kinds; ++k)
            if (grid.count[static_cast<std::size_t>(k)] == 0)
                points += ClearedKindBonus;
    } else if (grid.panels == 0) {
        points = 1000;
    } else {
        for (int k = 1; k <= grid.kinds; ++k) {
            const int c = grid.count[static_cast<std::size_t>(k)];
            if (c > 2)
                points -= GroupPoints(c);
        }
    }
    return points;
}

int PointsBound(const Grid& grid, ScoringRule rule)
{
    return PointsBound(grid.count, grid.kinds, rule);
}

int PointsBound(const Grid::Counts& count, int kinds, ScoringRule rule)
{
    // One group per kind gives the most, as (a + b - 2)^2 exceeds
    // (a - 2)^2 + (b - 2)^2. A lone panel of a kind can never go.
    int points = 0;
    bool clearable = true;
    for (int k = 1; k <= kinds; ++k) {
        const int c = count[static_cast<std::size_t>(k)];
        if (c >= 2)
            points += GroupPoints(c);
        if (c == 1)
            clearable = false;
        if (rule == ScoringRule::Game)
            points += c == 1 ? -1 : ClearedKindBonus;
    }
    if (rule == ScoringRule::Classic && clearable)
        points += 1000;
    return points;
}

// --- The search ---------------------------------------------------------------

StopCheck::StopCheck(const SolverOptions& options)
    : options_(options)
    , wallStart_(std::chrono::steady_clock::now())
    , cpuStart_(options.CpuTimeLimit.count() > 0 ? ThreadCpuTime() : std::chrono::nanoseconds{0})
{
}

std::chrono::nanoseconds StopCheck::ThreadCpuTime()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::chrono::seconds{now.tv_sec} + std::chrono::nanoseconds{now.tv_nsec};
}

std::optional<std::int64_t> StopCheck::nodesLeft(std::int64_t done) const
{
    // The time each limit leaves, at the pace of the nodes done so far.
    std::optional<std::int64_t> left;
    const auto fit = [&](std::chrono::nanoseconds used, std::chrono::milliseconds limit) {
        if (limit.count() <= 0)
            return;
        const double spent = std::chrono::duration<double>(used).count();
        const double remaining = std::chrono::duration<double>(limit).count() - spent;
        const double nodes = spent > 0 ? static_cast<double>(done) / spent * std::max(remaining, 0.0) : 0.0;
        const auto n = static_cast<std::int64_t>(std::min(nodes, 9e18));
        left = left ? std::min(*left, n) : n;
    };
    fit(std::chrono::steady_clock::now() - wallStart_, options_.TimeLimit);
    if (options_.CpuTimeLimit.count() > 0)
        fit(ThreadCpuTime() - cpuStart_, options_.CpuTimeLimit);
    return left;
}

bool StopCheck::due() const
{
    if (options_.Stop.stop_requested())
        return true;
    // Compared in milliseconds: a limit of centuries in the clocks' own
    // nanoseconds would overflow.
    using std::chrono::duration_cast;
    using std::chrono::milliseconds;
    if (options_.TimeLimit.count() > 0
        && duration_cast<milliseconds>(std::chrono::steady_clock::now() - wallStart_) >= options_.TimeLimit)
        return true;
    return options_.CpuTimeLimit.count() > 0
        && duration_cast<milliseconds>(ThreadCpuTime() - cpuStart_) >= options_.CpuTimeLimit;
}

namespace {

constexpr int MaxMoves = Side * Side / 2;
constexpr int MaxLevel = 3;
// What the beams of one search may take: two generations of states, each
// with its grid and its best line, and the tree of the moves that led to
// them. The rest of the search needs well under a megabyte.
constexpr std::size_t BeamMemory = 40u << 20;
constexpr int MaxBeamWidth = 8192;

// The widest beam that keeps within BeamMemory on this grid: a line has at
// most panels / 2 moves, and so has the path of a state.
int WidthFor(const Grid& grid)
{
    const std::size_t moves = static_cast<std::size_t>(std::max(grid.panels / 2, 1));
    const std::size_t perState = 2 * (sizeof(Grid) + 64 + moves * sizeof(Cell)) + moves * 2 * sizeof(int);
    return static_cast<int>(std::clamp<std::size_t>(BeamMemory / perState, 1, MaxBeamWidth));
}

class Searcher {
public:
    Searcher(const Grid& root, ScoringRule rule, const SolverOptions& options)
        : root_(root)
        , rule_(rule)
        , options_(options)
        , random_(options.Seed)
        , budget_(std::max<std::int64_t>(options.Budget, 1))
        , stopCheck_(options)
        , maxWidth_(WidthFor(root))
    {
        path_.reserve(MaxMoves);
        best_.reserve(MaxMoves);
        for (auto& line : lines_)
            line.reserve(MaxMoves);
        for (auto& list : moves_)
            list.resize(MaxMoves);
    }

    void run(const Tuning& tuning)
    {
        spareStrictly_ = tuning.spareStrictly;
        // One whole search after the other until the budget is spent, each
        // from the root with the random source where the last one left it.
        if (!root_.moveRemains()) {
            // Nothing to search: the line is empty.
            offer(EndPoints(root_, rule_), nullptr, 0);
            count(1);
            exhausted_ = true;
            return;
        }
        std::int64_t unitCost = 0;
        do {
            count(1); // every round costs something, so the budget ends it
            if (tuning.method == Method::Beam) {
                int width = tuning.width;
                if (width == 0) {
                    // The first beam has width one; its cost tells how wide
                    // the next one can be to spend what is left.
                    width = 1;
                    if (unitCost > 0) {
                        std::int64_t left = budget_ - nodes_;
                        // Under a time limit, what the time left allows, with
                        // a margin for the estimate.
                        if (const auto inTime = stopCheck_.nodesLeft(nodes_))
                            left = std::min(left, *inTime / 10 * 8);
                        width = static_cast<int>(std::clamp<std::int64_t>(left / unitCost, 1, maxWidth_));
                    }
                }
                const std::int64_t before = nodes_;
                beam(std::min(width, maxWidth_), tuning.sample);
                if (unitCost == 0)
                    unitCost = std::max<std::int64_t>((nodes_ - before) / width, 1);
                if (exhausted_)
                    break;
            } else {
                Grid grid = root_;
                path_.clear();
                if (tuning.level <= 0) {
                    const int score = playout(grid, 0);
                    offer(score, playout_.data(), playoutLength_);
                } else {
                    nested(std::min(tuning.level, MaxLevel), grid, 0, tuning.width);
                }
            }
        } while (!stop_);
    }

    SolverResult result() const
    {
        SolverResult result;
        result.Score = bestScore_;
        result.Nodes = nodes_;
        result.Playouts = playouts_;
        result.Cut = cut_;
        result.Proven = exhausted_;
        Grid grid = root_;
        PlayLineOfCells(grid, best_, result.Moves);
        return result;
    }

private:
    // Counts nodes; stops at the budget, looks for a cancellation (one
    // atomic load) every few hundred nodes and reads the clocks for the time
    // limits every few thousand, well under a millisecond apart. The budget
    // and the time limits end the search only once it has a line to give,
    // after its first playout; a cancellation ends it at once.
    void count(int n)
    {
        nodes_ += n;
        if (nodes_ >= nextCancelCheck_) {
            nextCancelCheck_ = nodes_ + 256;
            cancelled();
        }
        if (bestScore_ == INT_MIN)
            return;
        if (nodes_ >= budget_)
            stop_ = true;
        if (nodes_ >= nextCheck_) {
            nextCheck_ = nodes_ + 4096;
            if (stopCheck_.due()) {
                stop_ = true;
                cut_ = true;
            }
        }
    }

    // A line from the root, path_ followed by `tail`, reached `score`.
    void offer(int score, const Cell* tail, int tailLength)
    {
        if (score <= bestScore_)
            return;
        bestScore_ = score;
        best_.assign(path_.begin(), path_.end());
        best_.insert(best_.end(), tail, tail + tailLength);
        if (options_.OnImprove)
            options_.OnImprove(score);
    }

    // The kinds a playout holds back: `keep`, the kind with most panels, and
    // `spare`, the kind with the next most when a third kind still has
    // panels, otherwise 0 (no panel). The lower kind of equals comes first.
    struct HeldKinds {
        int keep;
        int spare;
    };
    static HeldKinds heldKinds(const Grid& grid)
    {
        const auto count = [&grid](int k) { return grid.count[static_cast<std::size_t>(k)]; };
        HeldKinds held{1, 0};
        for (int k = 2; k <= grid.kinds; ++k)
            if (count(k) > count(held.keep))
                held.keep = k;
        int others = 0;
        for (int k = 1; k <= grid.kinds; ++k) {
            if (k == held.keep || count(k) == 0)
                continue;
            ++others;
            if (held.spare == 0 || count(k) > count(held.spare))
                held.spare = k;
        }
        if (others < 2)
            held.spare = 0;
        return held;
    }

    // Random moves to the end of the game. The kind with most panels is kept
    // back while other moves exist, so that it can gather into one big
    // group, and the kind with the next most is spared for as long as other
    // moves are easily found, so that it gathers too. A cell is drawn at
    // random and played when it belongs to a group of neither kind; after a
    // few misses the whole board is looked at, where only the first is kept
    // back, unless the tuning holds the second strictly too (see Tuning).
    // Sparing the second kind scored higher on every board size measured.
    // Returns the final score, `points` gathered before included; the moves
    // are in playout_.
    int playout(Grid& grid, int points)
    {
        const auto [keep, spare] = heldKinds(grid);
        const int s = grid.stride;
        int played = 0;
        int gathered = 0;
        while (grid.panels > 0) {
            int cell = -1;
            for (int attempt = 0; attempt < 8 && cell < 0; ++attempt) {
                const int c = 1 + random_.below(grid.columns);
                const int at = grid.cellAt(c, 1 + random_.below(grid.height[static_cast<std::size_t>(c)]));
                const std::uint8_t* p = &grid.cell[static_cast<std::size_t>(at)];
                if (*p != keep && *p != spare && (p[1] == *p || p[-1] == *p || p[s] == *p || p[-s] == *p))
                    cell = at;
            }
            if (cell < 0)
                cell = PickMove(grid, keep, spareStrictly_ ? spare : 0, random_, mask_);
            if (cell < 0)
                break;
            playout_[static_cast<std::size_t>(played++)] = static_cast<Cell>(cell);
            gathered += GroupPoints(PlayMove(grid, cell));
        }
        ++playouts_;
        count(played + 1);
        playoutLength_ = played;
        return points + gathered + EndPoints(grid, rule_);
    }

    // Nested Monte-Carlo search: at each step every move (or a random sample
    // of `width` at level 1) is tried with a search one level lower, and the
    // step follows the best line seen from here. Returns the best score; the
    // line is in lines_[level].
    int nested(int level, Grid& grid, int points, int width)
    {
        std::vector<Cell>& best = lines_[static_cast<std::size_t>(level)];
        best.clear();
        int bestScore = INT_MIN;
        const std::size_t base = path_.size();
        std::vector<MoveInfo>& moves = moves_[static_cast<std::size_t>(level)];
        for (;;) {
            int n = ListMoves(grid, moves.data(), marks_);
            if (n == 0) {
                const int score = points + EndPoints(grid, rule_);
                if (score > bestScore) {
                    bestScore = score;
                    best.assign(path_.begin() + static_cast<std::ptrdiff_t>(base), path_.end());
                }
                offer(score, nullptr, 0);
                count(1);
                break;
            }
            if (level == 1 && width > 0 && n > width)
                n = sampleMoves(moves, n, width);
            for (int i = 0; i < n && !stop_; ++i) {
                const MoveInfo move = moves[static_cast<std::size_t>(i)];
                Grid child = grid;
                PlayMove(child, move.cell);
                count(1);
                path_.push_back(move.cell);
                const int childPoints = points + GroupPoints(move.size);
                int score;
                const std::vector<Cell>* tail = nullptr;
                if (level == 1) {
                    score = playout(child, childPoints);
                    offer(score, playout_.data(), playoutLength_);
                } else {
                    score = nested(level - 1, child, childPoints, width);
                    tail = &lines_[static_cast<std::size_t>(level - 1)];
                }
                if (score > bestScore) {
                    bestScore = score;
                    best.assign(path_.begin() + static_cast<std::ptrdiff_t>(base), path_.end());
                    if (tail != nullptr)
                        best.insert(best.end(), tail->begin(), tail->end());
                    else
                        best.insert(best.end(), playout_.begin(), playout_.begin() + playoutLength_);
                }
                path_.pop_back();
            }
            if (stop_)
                break;
            // Follow the best line one step.
            const Cell next = best[path_.size() - base];
            points += GroupPoints(PlayMove(grid, next));
            path_.push_back(next);
        }
        path_.resize(base);
        return bestScore;
    }

    // Moves a random sample of `size` moves to the front; returns its size.
    int sampleMoves(std::vector<MoveInfo>& moves, int n, int size)
    {
        for (int i = 0; i < size; ++i)
            std::swap(moves[static_cast<std::size_t>(i)],
                moves[static_cast<std::size_t>(i + random_.below(n - i))]);
        return size;
    }

    // A beam's states, packed: the grid's used cells and counts in a fixed
    // number of bytes per state, and the best line seen from each state in
    // one list per generation, in storage that the search keeps from one
    // beam to the next and that grows only as far as the beam does. A wide
    // beam so costs a few megabytes, rather than a grid of the largest board
    // and a vector per state, which took milliseconds to give back when a
    // cancellation came.
    struct BeamState {
        int points; // gathered by the moves that led here
        int node; // the move that led here in the tree, -1 at the root
        int lineScore;
        int lineStart; // the best line seen from here, in `lines`
        int lineLength;
    };
    struct Generation {
        std::vector<BeamState> states;
        std::vector<std::uint8_t> grids;
        std::vector<Cell> lines;
    };

    // Bytes of one packed grid: the cells of columns 1..width, their
    // heights, then the panel count, the column count and the kind counts.
    std::size_t packedBytes() const
    {
        const std::size_t cells = static_cast<std::size_t>(root_.width * root_.stride);
        return cells + static_cast<std::size_t>(root_.width) + sizeof(int) * 2 + sizeof(Grid::Counts);
    }

    // Appends the grid to the generation's grids.
    void pack(const Grid& grid, std::vector<std::uint8_t>& grids) const
    {
        const std::size_t at = grids.size();
        grids.resize(at + packedBytes());
        std::uint8_t* out = grids.data() + at;
        const std::size_t cells = static_cast<std::size_t>(root_.width * root_.stride);
        std::memcpy(out, grid.cell.data() + root_.stride, cells);
        out += cells;
        std::memcpy(out, grid.height.data() + 1, static_cast<std::size_t>(root_.width));
        out += root_.width;
        std::memcpy(out, &grid.panels, sizeof(int));
        std::memcpy(out + sizeof(int), &grid.columns, sizeof(int));
        std::memcpy(out + 2 * sizeof(int), grid.count.data(), sizeof(Grid::Counts));
    }

    // The generation's grid `index` into a grid made from the root, whose
    // cells outside columns 1..width are empty and stay so.
    void unpack(const Generation& g, int index, Grid& grid) const
    {
        const std::uint8_t* in = g.grids.data() + static_cast<std::size_t>(index) * packedBytes();
        const std::size_t cells = static_cast<std::size_t>(root_.width * root_.stride);
        std::memcpy(grid.cell.data() + root_.stride, in, cells);
        in += cells;
        std::memcpy(grid.height.data() + 1, in, static_cast<std::size_t>(root_.width));
        in += root_.width;
        std::memcpy(&grid.panels, in, sizeof(int));
        std::memcpy(&grid.columns, in + sizeof(int), sizeof(int));
        std::memcpy(grid.count.data(), in + 2 * sizeof(int), sizeof(Grid::Counts));
    }

    static void clear(Generation& g)
    {
        g.states.clear();
        g.grids.clear();
        g.lines.clear();
    }

    // Cancellation alone, cheap enough to ask at every step of the beam's
    // bookkeeping.
    bool cancelled()
    {
        if (options_.Stop.stop_requested()) {
            stop_ = true;
            cut_ = true;
        }
        return stop_;
    }

    // Beam search: at each depth every move (or a random sample of `sample`)
    // of every state in the beam is tried with a playout, and the `width`
    // children with the best lines through them make the next beam
    // (positions reached twice only once). Each state remembers the best
    // line seen through it, and the next move of that line is a candidate
    // with the line's score, so the best line found so far stays in the beam.
    // With width one this is the nested search of level one.
    void beam(int width, int sample)
    {
        const auto better = [](const Candidate& a, const Candidate& b) {
            return a.score != b.score ? a.score > b.score : a.order < b.order;
        };
        const auto pathTo = [&](int node) {
            path_.clear();
            for (; node >= 0; node = tree_[static_cast<std::size_t>(node)].parent)
                path_.push_back(tree_[static_cast<std::size_t>(node)].cell);
            std::reverse(path_.begin(), path_.end());
        };

        Generation* now = &generations_[0];
        Generation* next = &generations_[1];
        clear(*now);
        tree_.clear();
        pack(root_, now->grids);
        now->states.push_back({0, -1, INT_MIN, 0, 0});
        // Positions of the next generation, by hash: open addressing in a
        // table at most a quarter full, 0 for a free slot.
        const std::size_t seenSize = std::bit_ceil(static_cast<std::size_t>(width) * 4);
        if (seen_.size() < seenSize)
            seen_.resize(seenSize);
        const std::size_t seenMask = seenSize - 1;
        std::vector<MoveInfo>& moves = moves_[0];
        const std::size_t keep = static_cast<std::size_t>(width);
        bool dropped = false;
        Grid grid = root_;
        Grid child = root_;
        while (!now->states.empty() && !stop_) {
            candidates_.clear();
            candidateLines_.clear();
            int order = 0;
            const int size = static_cast<int>(now->states.size());
            for (int i = 0; i < size && !stop_; ++i) {
                const BeamState& state = now->states[static_cast<std::size_t>(i)];
                if (state.lineLength > 0)
                    candidates_.push_back({state.lineScore, order++, i,
                        now->lines[static_cast<std::size_t>(state.lineStart)], true, 0, 0});
                unpack(*now, i, grid);
                int n = ListMoves(grid, moves.data(), marks_);
                if (sample > 0 && n > sample) {
                    n = sampleMoves(moves, n, sample);
                    dropped = true;
                }
                pathTo(state.node);
                for (int m = 0; m < n && !stop_; ++m) {
                    const MoveInfo move = moves[static_cast<std::size_t>(m)];
                    child = grid;
                    PlayMove(child, move.cell);
                    count(1);
                    const int score = playout(child, state.points + GroupPoints(move.size));
                    path_.push_back(move.cell);
                    offer(score, playout_.data(), playoutLength_);
                    path_.pop_back();
                    // The playout's moves are kept, so that the candidate's
                    // line is at hand if it makes the next beam.
                    const int lineStart = static_cast<int>(candidateLines_.size());
                    candidateLines_.insert(
                        candidateLines_.end(), playout_.begin(), playout_.begin() + playoutLength_);
                    candidates_.push_back({score, order++, i, move.cell, false, lineStart, playoutLength_});
                }
                if (candidates_.size() >= 4 * keep + 64) {
                    // Only the best `keep` can make the beam; the rest go
                    // now so that the list stays small.
                    std::nth_element(candidates_.begin(),
                        candidates_.begin() + static_cast<std::ptrdiff_t>(2 * keep), candidates_.end(),
                        better);
                    candidates_.resize(2 * keep);
                    dropped = true;
                    // And so do their lines.
                    spareLines_.clear();
                    for (Candidate& c : candidates_) {
                        if (c.memorized)
                            continue;
                        const auto from = candidateLines_.begin() + c.lineStart;
                        c.lineStart = static_cast<int>(spareLines_.size());
                        spareLines_.insert(spareLines_.end(), from, from + c.lineLength);
                    }
                    candidateLines_.swap(spareLines_);
                }
            }
            // A stopped search sorts no layer: on a wide beam that alone
            // would hold up a cancellation for milliseconds.
            if (stop_ || cancelled())
                break;
            std::sort(candidates_.begin(), candidates_.end(), better);
            std::fill(seen_.begin(), seen_.begin() + static_cast<std::ptrdiff_t>(seenSize), 0);
            clear(*next);
            for (const Candidate& c : candidates_) {
                if (next->states.size() >= keep || cancelled()) {
                    dropped = true;
                    break;
                }
                const BeamState& state = now->states[static_cast<std::size_t>(c.state)];
                unpack(*now, c.state, child);
                const int points = state.points + GroupPoints(PlayMove(child, c.cell));
                if (!remember(HashGrid(child), seenMask))
                    continue;
                const int lineStart = static_cast<int>(next->lines.size());
                if (c.memorized) {
                    const auto from = now->lines.begin() + state.lineStart;
                    next->lines.insert(next->lines.end(), from + 1, from + state.lineLength);
                } else {
                    const auto from = candidateLines_.begin() + c.lineStart;
                    next->lines.insert(next->lines.end(), from, from + c.lineLength);
                }
                pack(child, next->grids);
                tree_.push_back({state.node, c.cell});
                next->states.push_back({points, static_cast<int>(tree_.size()) - 1, c.score, lineStart,
                    static_cast<int>(next->lines.size()) - lineStart});
            }
            std::swap(now, next);
        }
        // A beam that never had to leave a position out saw every line.
        if (!dropped && !stop_)
            exhausted_ = true;
    }

    // Marks a position as in the next generation; false when it already is.
    bool remember(std::uint64_t hash, std::size_t mask)
    {
        hash |= 1; // 0 marks a free slot
        for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
            if (seen_[at] == hash)
                return false;
            if (seen_[at] == 0) {
                seen_[at] = hash;
                return true;
            }
        }
    }

    static std::uint64_t HashGrid(const Grid& grid)
    {
        std::uint64_t hash = 0x9E3779B97F4A7C15ULL;
        const int end = (grid.columns + 1) * grid.stride;
        for (int at = grid.stride; at < end; at += 8) {
            std::uint64_t word;
            std::memcpy(&word, grid.cell.data() + at, sizeof word);
            hash = (hash ^ word) * 0xFF51AFD7ED558CCDULL;
            hash ^= hash >> 29;
        }
        return hash;
    }

    const Grid root_;
    const ScoringRule rule_;
    const SolverOptions& options_;
    Random random_;
    const std::int64_t budget_;
    const StopCheck stopCheck_;
    const int maxWidth_;
    std::int64_t nodes_ = 0;
    std::int64_t nextCheck_ = 0;
    std::int64_t nextCancelCheck_ = 0;
    std::int64_t playouts_ = 0;
    bool stop_ = false;
    bool cut_ = false;
    bool exhausted_ = false; // every line was seen
    bool spareStrictly_ = false; // the playouts' second kind (see Tuning)

    int bestScore_ = INT_MIN;
    std::vector<Cell> best_;
    std::vector<Cell> path_; // moves from the root to the node being searched
    std::array<std::vector<Cell>, MaxLevel + 1> lines_;
    std::array<std::vector<MoveInfo>, MaxLevel + 1> moves_;
    std::array<Cell, MaxMoves> playout_{};
    int playoutLength_ = 0;
    MoveMask mask_{};
    Marks marks_;

    // The beam's storage, kept from one beam to the next.
    struct Node {
        int parent;
        Cell cell;
    };
    std::array<Generation, 2> generations_;
    std::vector<Node> tree_;
    std::vector<std::uint64_t> seen_;
    struct Candidate {
        int score;
        int order; // generation order, so that ties always break alike
        int state;
        Cell cell;
        bool memorized; // the next move of the state's line
        int lineStart; // otherwise the playout's moves after `cell`, in candidateLines_
        int lineLength;
    };
    std::vector<Candidate> candidates_;
    std::vector<Cell> candidateLines_;
    std::vector<Cell> spareLines_;
};

// The searches per level of a policy adaptation of level 2 that has `nodes`
// to spend on a grid: n with n * n about 3 nodes per panel. A playout and
// its adaptation cost about 0.6 nodes per panel, so the search has room for
// about half of its n * n playouts and rarely ends before the budget does:
// on 19 x 9 boards with 5 kinds one long search did better than several
// shorter ones, at a second (n near 250) and at the par's budget (near
// 420), and 100 did better than 250 at the hint's.
int SearchesPerLevel(std::int64_t nodes, const Grid& grid)
{
    const double n = std::sqrt(3.0 * static_cast<double>(nodes) / std::max(grid.panels, 1));
    return static_cast<int>(std::clamp(n, 10.0, 1000.0));
}

// The beam with half of the budget and of each time limit, then the policy
// adaptation from the beam's line with what is left.
SolverResult SolveByRelay(const SolverBoard& board, const Grid& grid, ScoringRule rule,
    const SolverOptions& options, const Tuning& tuning)
{
    const StopCheck pace(options);
    const auto wallStart = std::chrono::steady_clock::now();
    const auto cpuStart = StopCheck::ThreadCpuTime();
    SolverOptions half = options;
    half.Budget = std::max<std::int64_t>(options.Budget / 2, 1);
    half.TimeLimit = options.TimeLimit / 2;
    half.CpuTimeLimit = options.CpuTimeLimit / 2;
    if (options.TimeLimit.count() > 0)
        half.TimeLimit = std::max(half.TimeLimit, std::chrono::milliseconds(1));
    if (options.CpuTimeLimit.count() > 0)
        half.CpuTimeLimit = std::max(half.CpuTimeLimit, std::chrono::milliseconds(1));
    const SolverResult beam
        = SolveWith(board, rule, half, {Method::Beam, 0, 0, tuning.sample, tuning.spareStrictly});
    // A beam that left no position out has the best line already.
    if (options.Stop.stop_requested() || beam.Moves.empty() || beam.Proven)
        return beam;

    // The rest of each limit; a limit already spent leaves a millisecond,
    // which ends the search at its first look at the clock.
    auto rest = [](std::chrono::milliseconds limit, auto spent) {
        if (limit.count() <= 0)
            return limit;
        return std::max(limit - std::chrono::duration_cast<std::chrono::milliseconds>(spent),
            std::chrono::milliseconds(1));
    };
    SolverOptions second = options;
    second.Budget = std::max<std::int64_t>(options.Budget - beam.Nodes, 1);
    second.TimeLimit = rest(options.TimeLimit, std::chrono::steady_clock::now() - wallStart);
    second.CpuTimeLimit = rest(options.CpuTimeLimit, StopCheck::ThreadCpuTime() - cpuStart);
    int searches = tuning.width;
    if (searches == 0) {
        // Fitted to what is left of the budget and, under a time limit, to
        // the nodes the time left allows at the beam's pace.
        std::int64_t nodes = second.Budget;
        if (const auto inTime = pace.nodesLeft(beam.Nodes))
            nodes = std::min(nodes, *inTime);
        searches = SearchesPerLevel(nodes, grid);
    }
    SolverResult result
        = SolveByPolicy(grid, rule, second, {Method::Policy, tuning.level, searches, 0}, &beam);
    result.Nodes += beam.Nodes;
    result.Playouts += beam.Playouts;
    return result;
}

} // namespace

SolverResult SolveWith(
    const SolverBoard& board, ScoringRule rule, const SolverOptions& options, const Tuning& tuning)
{
    const Grid grid = ToGrid(board);
    if (tuning.method == Method::Policy)
        return SolveByPolicy(grid, rule, options, tuning);
    if (tuning.method == Method::Relay)
        return SolveByRelay(board, grid, rule, options, tuning);
    auto searcher = std::make_unique<Searcher>(grid, rule, options);
    searcher->run(tuning);
    return searcher->result();
}

bool ExactSearchFits(const SolverBoard& board)
{
    const int cells = board.columns() * board.rows();
    return board.kinds() <= 7 && cells * (board.kinds() <= 3 ? 2 : 3) <= 128;
}

} // namespace solver

SolverResult Solve(const SolverBoard& board, ScoringRule rule, const SolverOptions& options)
{
    // Boards small enough for the exact search get the best line there is,
    // as long as the budget lets it finish.
    if (solver::ExactSearchFits(board))
        return SolveExactly(board, rule, options);
    // Under the classic rule, whose clearing bonus rewards lines planned to
    // the end, the policy adaptation does better on the boards it was
    // measured on.
    if (rule == ScoringRule::Classic && board.columns() * board.rows() <= solver::PolicyCells)
        return solver::SolveWith(board, rule, options, solver::PolicyTuning);
    // Under the game's rule, on the smaller boards the policy adaptation
    // carries the beam's line further; the beam alone does everything else.
    if (rule == ScoringRule::Game && board.columns() * board.rows() <= solver::RelayCells)
        return solver::SolveWith(board, rule, options, solver::RelayTuning);
    return solver::SolveWith(board, rule, options, solver::BeamTuning);
}

namespace {

// Plays the line on the grid; the points of its moves, or nullopt at the
// first move that is not a group of two or more.
std::optional<int> PlayLine(
    solver::Grid& grid, const SolverBoard& board, const std::vector<SolverMove>& moves)
{
    solver::Marks marks;
    int points = 0;
    for (const SolverMove& move : moves) {
        if (move.Column < 1 || move.Column > board.columns() || move.Row < 1 || move.Row > board.rows())
            return std::nullopt;
        const int cell = grid.cellAt(move.Column, move.Row);
        if (solver::GroupSizeAt(grid, cell, marks) < 2)
            return std::nullopt;
        points += solver::GroupPoints(solver::PlayMove(grid, cell));
    }
    return points;
}

} // namespace

std::optional<int> ScoreLine(const SolverBoard& board, ScoringRule rule, const std::vector<SolverMove>& moves)
{
    solver::Grid grid = solver::ToGrid(board);
    const std::optional<int> points = PlayLine(grid, board, moves);
    if (!points)
        return std::nullopt;
    return *points + solver::EndPoints(grid, rule);
}

std::optional<SolverBoard> BoardAfterLine(const SolverBoard& board, const std::vector<SolverMove>& moves)
{
    solver::Grid grid = solver::ToGrid(board);
    if (!PlayLine(grid, board, moves))
        return std::nullopt;
    SolverBoard after(board.columns(), board.rows(), board.kinds());
    for (int c = 1; c <= board.columns(); ++c)
        for (int r = 1; r <= board.rows(); ++r) {
            const int kind = grid.cell[static_cast<std::size_t>(grid.cellAt(c, r))];
            after.set(c, r, kind == 0 ? EmptyCell : kind);
        }
    return after;
}

std::optional<SolverMove> NextMoveOnLine(
    const SolverBoard& start, const std::vector<SolverMove>& line, const SolverBoard& now)
{
    std::optional<SolverBoard> board = start;
    for (const SolverMove& move : line) {
        if (*board == now)
            return move;
        board = BoardAfterLine(*board, {move});
        if (!board)
            return std::nullopt;
    }
    return std::nullopt;
}

} // namespace engine
