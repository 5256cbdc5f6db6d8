// The solver's search methods, below the public interface of Solver.h: the
// conversion to the search's board, the scoring rules, random playouts and
// the nested search. Internal; the benchmarks reach in to compare methods.
#pragma once

#include <climits>
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

// An upper bound of the points still to be had from the grid, moves and end
// together: every kind erased in one group.
int PointsBound(const Grid& grid, ScoringRule rule);

// How the search spends its budget.
struct Tuning {
    // Nesting level of the search: 0 is repeated random playouts, 1 tries
    // every move with a playout at each step, 2 with a level-1 search...
    int level = 1;
    // At most this many moves are tried per step at the lowest tree level
    // (the next move of the best line so far among them); 0 for all.
    int width = 0;
};

// The search with a given tuning.
SolverResult SolveWith(
    const SolverBoard& board, ScoringRule rule, const SolverOptions& options, const Tuning& tuning);

// The tuning Solve picks for a board.
Tuning ChooseTuning(const SolverBoard& board, ScoringRule rule, std::int64_t budget);

} // namespace engine::solver
