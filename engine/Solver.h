// The computer's best line: a search for the moves that bring the most
// points from a board. Plain C++, no Qt; safe to run in a worker thread on
// its own copy of a board, and the same board, rule, seed and budget give the
// same line on every machine.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "GameState.h"

namespace engine {

// How a line is scored from a board.
enum class ScoringRule {
    // The game's own: (n - 2)^2 for each move of n panels; at the end minus
    // one per panel left and plus 100 for each kind 1..KindCount of which no
    // panel is left. From a board as dealt this is the final score the game
    // shows when the line is played without undo or potion.
    Game,
    // The rule of the usual test positions in the search literature:
    // (n - 2)^2 per move; at the end 1,000 more for a cleared board,
    // otherwise minus (c - 2)^2 for each kind with c > 2 panels left.
    Classic,
};

// A board as the game holds it: columns from 1 at the left, rows from 1 at
// the bottom, kinds 1..kinds, EmptyCell (-1) for no panel. Up to 40 x 40
// cells and 9 kinds (the game deals 6 at most).
class SolverBoard {
public:
    static constexpr int MaxKinds = 9;

    SolverBoard() = default;
    // An empty board; throws std::invalid_argument for a size outside
    // 1..40 or kinds outside 0..9.
    SolverBoard(int columns, int rows, int kinds);
    // A copy of the game's board as it stands. A potion target under the
    // pointer counts as the panel it stands on.
    explicit SolverBoard(const GameState& game);
    // A copy of the game's board as dealt (what a restart brings back).
    static SolverBoard AsDealt(const GameState& game);

    int columns() const { return columns_; }
    int rows() const { return rows_; }
    int kinds() const { return kinds_; }
    int at(int column, int row) const { return cells_[index(column, row)]; }
    // value: EmptyCell or 1..kinds(); throws std::invalid_argument otherwise.
    void set(int column, int row, int value);

    // Empty when the game could hold this board: panels rest on the bottom
    // row with no gap below them, and no empty column stands left of one
    // that holds panels. Otherwise a sentence saying what is wrong.
    std::string problem() const;

    friend bool operator==(const SolverBoard&, const SolverBoard&) = default;

private:
    std::size_t index(int column, int row) const;

    int columns_ = 0;
    int rows_ = 0;
    int kinds_ = 0;
    std::array<std::int8_t, 40 * 40> cells_{};
};

// One move: a cell of the group it erases, as the game counts columns and
// rows at the moment the move is played.
struct SolverMove {
    int Column = 0;
    int Row = 0;
    friend bool operator==(const SolverMove&, const SolverMove&) = default;
};

// Budgets, in nodes: one node is one move made on one of the search's own
// boards, in a random playout or in the search tree, so the time a budget
// takes hardly depends on the board's size. Measured in a Release build on
// one core of the development machine (see the solver benchmarks):
//
// HintBudget: the hint's search from the current position; about 0.17 s of
// one core on a 19 x 9 board and 0.6 s on a 40 x 40 one, so that the hint
// shows within a second even when the machine is busy and its core shared.
inline constexpr std::int64_t HintBudget = 1'000'000;
// ParBudget: the par of a dealt board; about 3.5 s of one core on a 19 x 9
// board and 11 s on a 40 x 40 one, searched at low priority behind the game.
inline constexpr std::int64_t ParBudget = 20'000'000;

struct SolverOptions {
    // Seeds the search's own pseudo-random source.
    std::uint64_t Seed = 1;
    // Nodes the search may spend (see above); at least one playout is
    // always made.
    std::int64_t Budget = HintBudget;
    // Cuts for measurements, zero for none: wall-clock time, and processor
    // time of the searching thread (one core's worth of work whatever else
    // runs on the machine). A search cut by time depends on the machine.
    std::chrono::milliseconds TimeLimit{0};
    std::chrono::milliseconds CpuTimeLimit{0};
    // Cancellation: once stop is requested the search returns its best line
    // so far within milliseconds.
    std::stop_token Stop;
    // Called on the searching thread each time a better line is found, with
    // its score.
    std::function<void(int score)> OnImprove;
};

struct SolverResult {
    // The best line found, in the order of play; empty when no move is
    // possible.
    std::vector<SolverMove> Moves;
    // The final score of that line from the board, by the chosen rule.
    int Score = 0;
    // Nodes spent, and the random playouts among them.
    std::int64_t Nodes = 0;
    std::int64_t Playouts = 0;
    // True when cancellation or the time limit ended the search before its
    // budget was spent.
    bool Cut = false;
    // True when the search covered every line (the exact search finished,
    // or a beam never had to leave a position out): Score is the best
    // possible.
    bool Proven = false;
};

// The best line the search finds within the budget.
SolverResult Solve(const SolverBoard& board, ScoringRule rule, const SolverOptions& options = {});

// A search of every line, with a transposition table of at most 48 MB, for
// boards of at most 64 cells and 3 kinds, or 42 cells and 7 kinds (other
// boards throw std::invalid_argument). Half the budget, at most 200,000
// nodes, goes to a quick search whose line is the score to beat. Proven is
// true when the search finished within the budget; otherwise the result is
// the best line seen. Solve uses it for the boards it takes.
SolverResult SolveExactly(const SolverBoard& board, ScoringRule rule, const SolverOptions& options = {});

// Plays a line on a copy of the board and returns its final score by the
// rule; nullopt when a move is not a group of two or more panels when it is
// played.
std::optional<int> ScoreLine(
    const SolverBoard& board, ScoringRule rule, const std::vector<SolverMove>& moves);

// The board a line leaves; nullopt under the same condition as ScoreLine.
std::optional<SolverBoard> BoardAfterLine(const SolverBoard& board, const std::vector<SolverMove>& moves);

// Where a board stands on a line played from `start`: the line's move from
// the first board along it that equals `now`; nullopt when none does, or
// when the line ends there.
std::optional<SolverMove> NextMoveOnLine(
    const SolverBoard& start, const std::vector<SolverMove>& line, const SolverBoard& now);

} // namespace engine
