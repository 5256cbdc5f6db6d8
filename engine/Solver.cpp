// The search for the best line: nested Monte-Carlo search over random
// playouts that keep one kind back for a big final group.
#include "Solver.h"

#include <algorithm>
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
    // One group per kind gives the most, as (a + b - 2)^2 exceeds
    // (a - 2)^2 + (b - 2)^2. A lone panel of a kind can never go.
    int points = 0;
    bool clearable = true;
    for (int k = 1; k <= grid.kinds; ++k) {
        const int c = grid.count[static_cast<std::size_t>(k)];
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

namespace {

constexpr int MaxMoves = Side * Side / 2;
constexpr int MaxLevel = 4;

class Searcher {
public:
    Searcher(const Grid& root, ScoringRule rule, const SolverOptions& options)
        : root_(root)
        , rule_(rule)
        , options_(options)
        , random_(options.Seed)
        , budget_(std::max<std::int64_t>(options.Budget, 1))
        , started_(std::chrono::steady_clock::now())
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
        const int level = std::clamp(tuning.level, 0, MaxLevel);
        width_ = tuning.width;
        // One full search after the other until the budget is spent; each
        // starts from the root with the random source where the last left it.
        do {
            Grid grid = root_;
            if (level == 0)
                playout(grid, 0);
            else
                nested(level, grid, 0);
        } while (!stop_);
    }

    SolverResult result() const
    {
        SolverResult result;
        result.Score = bestScore_;
        result.Nodes = nodes_;
        result.Playouts = playouts_;
        result.Cut = cut_;
        Grid grid = root_;
        for (const Cell cell : best_) {
            result.Moves.push_back({grid.columnOf(cell), grid.rowOf(cell)});
            PlayMove(grid, cell);
        }
        return result;
    }

private:
    // Counts a node and looks at the budget, the cancellation and the clock
    // every few thousand nodes (well under a millisecond apart).
    void count(int n)
    {
        nodes_ += n;
        if (nodes_ >= budget_)
            stop_ = true;
        if (nodes_ >= nextCheck_) {
            nextCheck_ = nodes_ + 4096;
            if (options_.Stop.stop_requested()
                || (options_.TimeLimit.count() > 0
                    && std::chrono::steady_clock::now() - started_ >= options_.TimeLimit)) {
                stop_ = true;
                cut_ = true;
            }
        }
    }

    // A line from the root ending with `tail` reached `score`.
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

    static int tabuKind(const Grid& grid)
    {
        int tabu = 1;
        for (int k = 2; k <= grid.kinds; ++k)
            if (grid.count[static_cast<std::size_t>(k)] > grid.count[static_cast<std::size_t>(tabu)])
                tabu = k;
        return tabu;
    }

    // Random moves to the end of the game, keeping back the kind with most
    // panels while other moves exist, so that it can gather into one big
    // group. A cell is drawn at random and played when it belongs to a
    // group; after a few misses the whole board is listed. Returns the final
    // score (`points` already gathered plus the playout's); the moves are in
    // playout_.
    int playout(Grid& grid, int points)
    {
        const int tabu = tabuKind(grid);
        int played = 0;
        int gathered = 0;
        while (grid.panels > 0) {
            int cell = -1;
            for (int attempt = 0; attempt < 8 && cell < 0; ++attempt) {
                const int c = 1 + random_.below(grid.columns);
                const int at = grid.cellAt(c, 1 + random_.below(grid.height[static_cast<std::size_t>(c)]));
                const std::uint8_t* p = &grid.cell[static_cast<std::size_t>(at)];
                const int s = grid.stride;
                if (*p != tabu && (p[1] == *p || p[-1] == *p || p[s] == *p || p[-s] == *p))
                    cell = at;
            }
            if (cell < 0)
                cell = PickMove(grid, tabu, random_, mask_);
            if (cell < 0)
                break;
            playout_[static_cast<std::size_t>(played++)] = static_cast<Cell>(cell);
            gathered += GroupPoints(PlayMove(grid, cell));
        }
        ++playouts_;
        count(played + 1);
        const int score = points + gathered + EndPoints(grid, rule_);
        offer(score, playout_.data(), played);
        playoutLength_ = played;
        return score;
    }

    // Nested Monte-Carlo search: at each step every move (or a sample of
    // `width_`) is tried with a search one level lower, and the step follows
    // the best line seen from here. Returns the best score; the line is in
    // lines_[level].
    int nested(int level, Grid& grid, int points)
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
            const std::size_t played = path_.size() - base;
            if (level == 1 && width_ > 0 && n > width_) {
                // A random sample of the moves; the step still follows the
                // best line seen, whether its next move is sampled or not.
                for (int i = 0; i < width_; ++i)
                    std::swap(moves[static_cast<std::size_t>(i)],
                        moves[static_cast<std::size_t>(i + random_.below(n - i))]);
                n = width_;
            }
            for (int i = 0; i < n && !stop_; ++i) {
                const MoveInfo move = moves[static_cast<std::size_t>(i)];
                Grid child = grid;
                PlayMove(child, move.cell);
                count(1);
                path_.push_back(move.cell);
                const int childPoints = points + GroupPoints(move.size);
                int score;
                const Cell* tail;
                std::size_t tailLength;
                if (level == 1) {
                    score = playout(child, childPoints);
                    tail = playout_.data();
                    tailLength = static_cast<std::size_t>(playoutLength_);
                } else {
                    score = nested(level - 1, child, childPoints);
                    tail = lines_[static_cast<std::size_t>(level - 1)].data();
                    tailLength = lines_[static_cast<std::size_t>(level - 1)].size();
                }
                if (score > bestScore) {
                    bestScore = score;
                    best.assign(path_.begin() + static_cast<std::ptrdiff_t>(base), path_.end());
                    best.insert(best.end(), tail, tail + tailLength);
                }
                path_.pop_back();
            }
            if (stop_)
                break;
            // Follow the best line one step.
            const Cell next = best[played];
            const int erased = PlayMove(grid, next);
            points += GroupPoints(erased);
            path_.push_back(next);
        }
        path_.resize(base);
        return bestScore;
    }

    const Grid root_;
    const ScoringRule rule_;
    const SolverOptions& options_;
    Random random_;
    const std::int64_t budget_;
    const std::chrono::steady_clock::time_point started_;
    std::int64_t nodes_ = 0;
    std::int64_t playouts_ = 0;
    std::int64_t nextCheck_ = 0;
    bool stop_ = false;
    bool cut_ = false;
    int width_ = 0;

    int bestScore_ = INT_MIN;
    std::vector<Cell> best_;
    std::vector<Cell> path_; // moves from the root to the node being searched
    std::array<std::vector<Cell>, MaxLevel + 1> lines_;
    std::array<std::vector<MoveInfo>, MaxLevel + 1> moves_;
    std::array<Cell, MaxMoves> playout_{};
    int playoutLength_ = 0;
    MoveMask mask_{};
    Marks marks_;
};

} // namespace

SolverResult SolveWith(
    const SolverBoard& board, ScoringRule rule, const SolverOptions& options, const Tuning& tuning)
{
    const Grid grid = ToGrid(board);
    auto searcher = std::make_unique<Searcher>(grid, rule, options);
    searcher->run(tuning);
    return searcher->result();
}

Tuning ChooseTuning(const SolverBoard&, ScoringRule, std::int64_t)
{
    return Tuning{1, 0};
}

} // namespace solver

SolverResult Solve(const SolverBoard& board, ScoringRule rule, const SolverOptions& options)
{
    return solver::SolveWith(board, rule, options, solver::ChooseTuning(board, rule, options.Budget));
}

std::optional<int> ScoreLine(const SolverBoard& board, ScoringRule rule, const std::vector<SolverMove>& moves)
{
    solver::Grid grid = solver::ToGrid(board);
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
    return points + solver::EndPoints(grid, rule);
}

} // namespace engine
