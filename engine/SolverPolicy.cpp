// Nested rollout policy adaptation: playouts that draw each move with a
// weight learnt from the best lines found so far.
//
// A move is known by its code, the number of the group's first panel in the
// dealt board (panels keep their numbers as they fall and slide), so that
// what is learnt about erasing a group carries over to other positions
// where the same panels form it. A search of level l runs `iterations`
// searches of level l - 1, each from a copy of its own weights, and after
// each one moves its weights toward the best line it has seen; level 1 runs
// playouts. When the top level ends, the search starts again from even
// weights while budget is left. The kind with most panels at the start is
// held back in the playouts, as in the beam's, through a fixed low weight.
//
// The arithmetic is plain IEEE double with no fused operations (the build
// compiles this file so) and an exponential of its own, so that a seed and
// a budget give the same line on every machine.
#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "SolverSearch.h"

namespace engine::solver {

namespace {

constexpr int MaxMoves = Side * Side / 2;
constexpr double Alpha = 1.0;
// The weight of a move of the held-back kind, against 1 for the others:
// about e^-12.
constexpr double HeldBack = 6.14421235332821e-06;

// e^x from basic operations only: 2^(x log2 e) as a power of two times a
// polynomial on [0, 1), good to a few parts in 10^10, which is all a weight
// needs.
double Exp(double x)
{
    const double y = std::clamp(x, -700.0, 700.0) * 1.4426950408889634;
    const double k = std::floor(y);
    const double f = (y - k) * 0.6931471805599453; // in [0, ln 2)
    // Taylor series of e^f to the 11th power.
    double p = 1.0 / 39916800.0;
    for (const double c : {1.0 / 3628800.0, 1.0 / 362880.0, 1.0 / 40320.0, 1.0 / 5040.0, 1.0 / 720.0,
             1.0 / 120.0, 1.0 / 24.0, 1.0 / 6.0, 0.5, 1.0, 1.0})
        p = p * f + c;
    return std::ldexp(p, static_cast<int>(k));
}

class PolicySearch {
public:
    PolicySearch(const Grid& root, ScoringRule rule, const SolverOptions& options, int levels, int iterations)
        : root_(root)
        , rule_(rule)
        , options_(options)
        , random_(options.Seed)
        , budget_(std::max<std::int64_t>(options.Budget, 1))
        , stopCheck_(options)
        , levels_(std::clamp(levels, 1, 4))
        , iterations_(std::max(iterations, 1))
    {
        // Panels are numbered column by column from the bottom left.
        int n = 0;
        for (int c = 1; c <= root_.columns; ++c)
            for (int r = 1; r <= root_.height[static_cast<std::size_t>(c)]; ++r)
                rootIds_[static_cast<std::size_t>(root_.cellAt(c, r))] = static_cast<std::uint16_t>(n++);
        int most = 1;
        for (int k = 2; k <= root_.kinds; ++k)
            if (root_.count[static_cast<std::size_t>(k)] > root_.count[static_cast<std::size_t>(most)])
                most = k;
        heldBack_ = most;
        for (int l = 0; l <= levels_; ++l) {
            weights_[static_cast<std::size_t>(l)].assign(static_cast<std::size_t>(std::max(n, 1)), 0.0);
            lines_[static_cast<std::size_t>(l)].reserve(MaxMoves);
        }
        exps_.assign(static_cast<std::size_t>(std::max(n, 1)), 1.0);
        best_.reserve(MaxMoves);
        changes_.reserve(static_cast<std::size_t>(MaxMoves) * 8);
    }

    void run()
    {
        if (!root_.moveRemains()) {
            offer(EndPoints(root_, rule_), lines_[0]);
            return;
        }
        while (!stop_) {
            std::fill(weights_[static_cast<std::size_t>(levels_)].begin(),
                weights_[static_cast<std::size_t>(levels_)].end(), 0.0);
            level(levels_);
        }
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
    struct Coded {
        Cell cell;
        std::uint8_t kind;
        int code; // the lowest panel number in the group
    };

    // Every group of two or more, with its code; returns how many.
    int list(const Grid& grid, const PanelIds& ids)
    {
        marks_.next();
        int n = 0;
        for (int c = 1; c <= grid.columns; ++c) {
            for (int r = 1; r <= grid.height[static_cast<std::size_t>(c)]; ++r) {
                const int at = grid.cellAt(c, r);
                if (marks_.seen(at))
                    continue;
                CollectGroup(grid, at, group_, marks_);
                if (group_.size < 2)
                    continue;
                int code = INT_MAX;
                for (int i = 0; i < group_.size; ++i)
                    code = std::min<int>(code, ids[group_.cells[static_cast<std::size_t>(i)]]);
                moves_[static_cast<std::size_t>(n++)]
                    = {static_cast<Cell>(at), static_cast<std::uint8_t>(group_.kind), code};
            }
        }
        return n;
    }

    // The weight of each listed move under the weights of `level`, in
    // shares_; returns their sum.
    double weigh(int n)
    {
        double sum = 0;
        for (int i = 0; i < n; ++i) {
            const Coded& m = moves_[static_cast<std::size_t>(i)];
            double w = exps_[static_cast<std::size_t>(m.code)];
            if (m.kind == heldBack_)
                w *= HeldBack;
            shares_[static_cast<std::size_t>(i)] = w;
            sum += w;
        }
        return sum;
    }

    void refreshExps(int level)
    {
        const std::vector<double>& w = weights_[static_cast<std::size_t>(level)];
        for (std::size_t i = 0; i < w.size(); ++i)
            exps_[i] = Exp(w[i]);
    }

    // One playout with the weights of `level`; the line in `line`.
    int playout(int level, std::vector<Cell>& line)
    {
        // Every playout follows a change of the weights: a copy or an
        // adaptation.
        refreshExps(level);
        Grid grid = root_;
        PanelIds ids = rootIds_;
        line.clear();
        int points = 0;
        for (;;) {
            const int n = list(grid, ids);
            if (n == 0)
                break;
            const double sum = weigh(n);
            double r = static_cast<double>(random_.next()) * (1.0 / 4294967296.0) * sum;
            int i = 0;
            for (; i < n - 1; ++i) {
                r -= shares_[static_cast<std::size_t>(i)];
                if (r < 0)
                    break;
            }
            const Cell cell = moves_[static_cast<std::size_t>(i)].cell;
            line.push_back(cell);
            points += GroupPoints(PlayMove(grid, cell, ids));
        }
        const int score = points + EndPoints(grid, rule_);
        ++playouts_;
        count(static_cast<int>(line.size()) + 1);
        offer(score, line);
        return score;
    }

    // Moves the weights of `level` toward the line: the line's move gains
    // Alpha at each step, and every move there loses Alpha times its chance.
    void adapt(int level, const std::vector<Cell>& line)
    {
        refreshExps(level);
        changes_.clear();
        Grid grid = root_;
        PanelIds ids = rootIds_;
        for (const Cell cell : line) {
            const int n = list(grid, ids);
            const double sum = weigh(n);
            for (int i = 0; i < n; ++i) {
                const Coded& m = moves_[static_cast<std::size_t>(i)];
                changes_.push_back({m.code, -Alpha * shares_[static_cast<std::size_t>(i)] / sum});
                if (m.cell == cell)
                    changes_.push_back({m.code, Alpha});
            }
            PlayMove(grid, cell, ids);
        }
        std::vector<double>& w = weights_[static_cast<std::size_t>(level)];
        for (const auto& [code, change] : changes_)
            w[static_cast<std::size_t>(code)] += change;
        count(static_cast<int>(line.size()) + 1);
    }

    int level(int l)
    {
        int best = INT_MIN;
        std::vector<Cell>& bestLine = lines_[static_cast<std::size_t>(l)];
        for (int i = 0; i < iterations_ && !stop_; ++i) {
            int score;
            if (l == 1) {
                score = playout(1, lines_[0]);
            } else {
                weights_[static_cast<std::size_t>(l - 1)] = weights_[static_cast<std::size_t>(l)];
                score = level(l - 1);
            }
            if (score >= best) {
                best = score;
                bestLine = lines_[static_cast<std::size_t>(l - 1)];
            }
            if (stop_)
                break;
            adapt(l, bestLine);
        }
        return best;
    }

    // Counts nodes. The budget and the time limits end the search only once
    // it has a line; a cancellation is looked for at every playout and
    // every adaptation, a few milliseconds apart at most.
    void count(int n)
    {
        nodes_ += n;
        if (options_.Stop.stop_requested()) {
            stop_ = true;
            cut_ = true;
        }
        if (bestScore_ == INT_MIN)
            return;
        if (nodes_ >= budget_)
            stop_ = true;
        if (++sinceClock_ >= 16) {
            sinceClock_ = 0;
            if (stopCheck_.due()) {
                stop_ = true;
                cut_ = true;
            }
        }
    }

    void offer(int score, const std::vector<Cell>& line)
    {
        if (score <= bestScore_)
            return;
        bestScore_ = score;
        best_ = line;
        if (options_.OnImprove)
            options_.OnImprove(score);
    }

    const Grid root_;
    PanelIds rootIds_{};
    const ScoringRule rule_;
    const SolverOptions& options_;
    Random random_;
    const std::int64_t budget_;
    const StopCheck stopCheck_;
    const int levels_;
    const int iterations_;
    int heldBack_ = 0;

    std::array<std::vector<double>, 5> weights_; // per level
    std::vector<double> exps_; // e^weight, of the level last refreshed
    std::array<std::vector<Cell>, 5> lines_; // the best line of each level
    std::vector<std::pair<int, double>> changes_;
    std::array<Coded, MaxMoves> moves_{};
    std::array<double, MaxMoves> shares_{};
    Group group_;
    Marks marks_;

    std::int64_t nodes_ = 0;
    std::int64_t playouts_ = 0;
    int sinceClock_ = 0;
    bool stop_ = false;
    bool cut_ = false;
    int bestScore_ = INT_MIN;
    std::vector<Cell> best_;
};

} // namespace

SolverResult SolveByPolicy(
    const Grid& grid, ScoringRule rule, const SolverOptions& options, const Tuning& tuning)
{
    auto search = std::make_unique<PolicySearch>(grid, rule, options, tuning.level, tuning.width);
    search->run();
    return search->result();
}

} // namespace engine::solver
