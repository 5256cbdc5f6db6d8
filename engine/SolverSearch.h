// The solver's search methods, below the public interface of Solver.h: the
// conversion to the search's board, the scoring rules, random playouts and
// the nested search. Internal; the benchmarks reach in to compare methods.
#pragma once

#include <climits>
#include <optional>
#include <vector>

#include "Solver.h"
#include "SolverGrid.h"

namespace engine::solver {

Grid ToGrid(const SolverBoard& board);

// Points for erasing a group of n panels, under both rules.
inline int GroupPoints(int n)
{
    return (n - 2) * (n - 2);
}

// The points the rule adds when no move is left on the grid.
int EndPoints(const Grid& grid, ScoringRule rule);

// Plays a line of the search's cells on the grid, appending each move to
// `moves` as the game names it when it is played; returns the points of the
// moves. The line must be one the search found from this grid.
int PlayLineOfCells(Grid& grid, const std::vector<Cell>& line, std::vector<SolverMove>& moves);

// An upper bound of the points still to be had from the grid, moves and end
// together: every kind erased in one group.
int PointsBound(const Grid& grid, ScoringRule rule);
int PointsBound(const Grid::Counts& count, int kinds, ScoringRule rule);

// Stop conditions other than the budget: cancellation and the time limits.
class StopCheck {
public:
    explicit StopCheck(const SolverOptions& options);
    // A cancellation came, or a time limit passed.
    bool due() const;
    bool cancelled() const { return options_.Stop.stop_requested(); }
    // With a time limit: about how many more nodes fit in the time left, at
    // the pace of the `done` nodes so far; nullopt without a limit.
    std::optional<std::int64_t> nodesLeft(std::int64_t done) const;
    static std::chrono::nanoseconds ThreadCpuTime();

private:
    const SolverOptions& options_;
    const std::chrono::steady_clock::time_point wallStart_;
    const std::chrono::nanoseconds cpuStart_;
};

enum class Method { Nested, Beam, Policy, Relay };

// How the search spends its budget.
struct Tuning {
    Method method = Method::Beam;
    // Nested: the nesting level; 0 is random playouts and nothing else, 1
    // tries every move with a playout at each step, 2 with a level-1
    // search... Policy and Relay: the policy adaptation's nesting level, 1
    // to 4.
    int level = 1;
    // Nested: at most this many moves are tried per step at level 1, 0 for
    // all. Beam: the beam's width, 0 to fit it to the budget. Policy and
    // Relay: the policy adaptation's searches one level down at each level;
    // Relay: 0 to fit them to the nodes left after the beam.
    int width = 0;
    // Beam and Relay: at most this many moves of each beam state are tried,
    // 0 for all.
    int sample = 0;
    // Beam, Relay and Nested: the random playouts hold the kind with the
    // second most panels back as they hold the first, behind every other
    // kind, rather than only sparing it while other moves are easily found.
    bool spareStrictly = false;
};

// What Solve uses on boards too large for the exact search: a beam fitted
// to the budget, trying 8 moves of each state, whose playouts hold the two
// kinds with most panels back strictly. The benchmarks compare it with the
// other tunings. On 20 x 20 boards with 4 kinds and 40 x 40 with 3, holding
// the second kind strictly scored a few hundredths more for the same time;
// on 19 x 9 with 5 kinds, in the relay, it scored less.
inline constexpr Tuning BeamTuning{Method::Beam, 0, 0, 8, true};

// What Solve uses under the classic rule on boards of up to 400 cells that
// are too large for the exact search: the policy adaptation of level 3 with
// 100 searches per level, its top level racing four starts at a time while
// budget is left. On 15 x 15 boards with 5 kinds it scores higher than the
// beam for the same time.
inline constexpr Tuning PolicyTuning{Method::Policy, 3, 100, 0};
inline constexpr int PolicyCells = 400;

// Under the game's rule on boards of up to 240 cells too large for the
// exact search: the relay of the beam and the policy adaptation. The beam
// gets half of the budget and of the time; the policy adaptation of level 2
// spends the rest, learning from the beam's line at each start and keeping
// it as its best until it finds a better one, with as many searches per
// level as the nodes left call for (width 0). On 19 x 9 boards with 5 kinds
// it scores higher than either alone for the same time; on 20 x 15 and
// larger the beam does better.
inline constexpr Tuning RelayTuning{Method::Relay, 2, 0, 8};
inline constexpr int RelayCells = 240;

// e^x to about ten digits for x in [-700, 700] (beyond, as at the nearer
// end), from basic operations only so that it is the same on every machine:
// the policy adaptation's weight of a move. It is taken for every panel at
// every playout, so it is cheap.
double PolicyExp(double x);

// The policy adaptation (SolverPolicy.cpp); with `start`, a line from the
// grid (as Solve gives it) that the search learns from at each start and
// keeps as its best until it finds a better one.
SolverResult SolveByPolicy(const Grid& grid, ScoringRule rule, const SolverOptions& options,
    const Tuning& tuning, const SolverResult* start = nullptr);

// The search with a given tuning (never the exact one).
SolverResult SolveWith(
    const SolverBoard& board, ScoringRule rule, const SolverOptions& options, const Tuning& tuning);

// True when SolveExactly takes the board.
bool ExactSearchFits(const SolverBoard& board);

} // namespace engine::solver
