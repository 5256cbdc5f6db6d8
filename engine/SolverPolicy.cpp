// Nested rollout policy adaptation: playouts that draw each move with a
// weight learnt from the best lines found so far.
//
// A move is known by its code, a hash of the numbers its group's panels had
// in the dealt board (panels keep their numbers as they fall and slide), so
// that what is learnt about erasing a group carries over to other positions
// where the same panels form it. A search of level l runs `iterations`
// searches of level l - 1, each from a copy of its own weights, and after
// each one moves its weights toward the best line it has seen; level 1 runs
// playouts. When the top level ends, the search starts again from even
// weights while budget is left.
//
// From level 2 up, and with no line to start from, the top level races its
// starts: four start from even weights and run a quarter of their searches
// each, the better two run another quarter, and the best one runs the
// second half; then a new race begins. Searches from different starts end
// far apart, so the budget of two whole searches goes mostly to the ones
// that lead, rather than evenly to two starts. The kind with most panels at
// the start is
// held back in the playouts, as in the beam's, through a fixed low weight.
// Given a line to start from (the beam's, in the relay), the search learns
// from it at each start and keeps it as its best until it finds a better
// one.
//
// The arithmetic is plain IEEE double with no fused operations (the build
// compiles this file so) and an exponential of its own, so that a seed and
// a budget give the same line on every machine.
#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cmath>
#include <memory>
#include <vector>

#include "SolverSearch.h"

namespace engine::solver {

namespace {

constexpr int MaxMoves = Side * Side / 2;
constexpr double Alpha = 1.0;
// The weight of a move of the held-back kind, against 1 for the others:
// about e^-12.
constexpr double HeldBack = 6.14421235332821e-06;

// 2^k for an integer k well inside the normal exponents, from its bits.
double PowerOfTwo(int k)
{
    return std::bit_cast<double>(static_cast<std::uint64_t>(k + 1023) << 52);
}

// e^x for x in [0, ln 2), from basic operations only: the Taylor series to
// its 11th power, good to a few parts in 10^10. It fills the table below
// once.
double ExpBySeries(double x)
{
    double p = 1.0 / 39916800.0;
    for (const double c : {1.0 / 3628800.0, 1.0 / 362880.0, 1.0 / 40320.0, 1.0 / 5040.0, 1.0 / 720.0,
             1.0 / 120.0, 1.0 / 24.0, 1.0 / 6.0, 0.5, 1.0, 1.0})
        p = p * x + c;
    return p;
}

// 2^(j / 64) for j = 0..63.
const std::array<double, 64> Sixtyfourths = [] {
    std::array<double, 64> table{};
    for (int j = 0; j < 64; ++j)
        table[static_cast<std::size_t>(j)] = ExpBySeries(j * (0.6931471805599453 / 64));
    return table;
}();

} // namespace

double PolicyExp(double x)
{
    // 2^(i / 64) times e^f with f below ln 2 / 64, where five terms of the
    // series are as good as the eleven above.
    const double y = std::clamp(x, -700.0, 700.0) * (1.4426950408889634 * 64);
    const double k = std::floor(y);
    const double f = (y - k) * (0.6931471805599453 / 64); // in [0, ln 2 / 64)
    const double p = 1.0 + f * (1.0 + f * (0.5 + f * (1.0 / 6.0 + f * (1.0 / 24.0 + f * (1.0 / 120.0)))));
    const int i = static_cast<int>(k);
    // i >> 6 rounds down, so that i & 63 is the remainder in 0..63.
    return p * Sixtyfourths[static_cast<std::size_t>(i & 63)] * PowerOfTwo(i >> 6);
}

namespace {

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
            weights_[static_cast<std::size_t>(l)].assign(CodeCount, 0.0);
            exps_[static_cast<std::size_t>(l)].assign(CodeCount, 1.0);
            lines_[static_cast<std::size_t>(l)].reserve();
        }
        touched_.assign(CodeCount, 0);
        best_.reserve(MaxMoves);
    }

    void run()
    {
        if (!root_.moveRemains()) {
            offer(EndPoints(root_, rule_), lines_[0].cells);
            return;
        }
        while (!stop_ && levels_ >= 2 && !started_)
            race();
        while (!stop_) {
            std::fill(weights_[static_cast<std::size_t>(levels_)].begin(),
                weights_[static_cast<std::size_t>(levels_)].end(), 0.0);
            std::fill(exps_[static_cast<std::size_t>(levels_)].begin(),
                exps_[static_cast<std::size_t>(levels_)].end(), 1.0);
            if (started_)
                adapt(levels_, start_);
            level(levels_);
        }
    }

    // Takes a line from the root, as Solve gives it, as the best so far: the
    // search learns from it at each start and keeps it as its top level's
    // best until it finds a better one. A line that leaves the root's moves
    // is not taken.
    void startFrom(const SolverResult& line)
    {
        Grid grid = root_;
        PanelIds ids = rootIds_;
        start_.clear();
        moves_.list(grid, ids);
        int points = 0;
        for (const SolverMove& move : line.Moves) {
            if (move.Column < 1 || move.Column > grid.columns || move.Row < 1
                || move.Row > grid.height[static_cast<std::size_t>(move.Column)])
                return;
            // The group is listed under its first cell in scan order, its
            // lowest cell number.
            marks_.next();
            CollectGroup(grid, grid.cellAt(move.Column, move.Row), group_, marks_);
            const Cell first = *std::min_element(group_.cells.begin(), group_.cells.begin() + group_.size);
            int i = 0;
            while (i < moves_.size() && moves_[i].cell != first)
                ++i;
            if (i == moves_.size())
                return;
            start_.add(moves_.data(), moves_.size(), i, heldBack_);
            MoveSpan span;
            points += GroupPoints(PlayMove(grid, first, ids, span));
            moves_.update(grid, ids, span);
        }
        count(static_cast<int>(start_.cells.size()) + 1);
        started_ = true;
        startScore_ = points + EndPoints(grid, rule_);
        // The one who gave the line has reported its score already.
        if (startScore_ > bestScore_) {
            bestScore_ = startScore_;
            best_ = start_.cells;
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
        PlayLineOfCells(grid, best_, result.Moves);
        return result;
    }

private:
    // A line of play with the moves there were at each step: their codes,
    // flagged when of the held-back kind, and which of them was played.
    struct Line {
        static constexpr std::uint16_t HeldBackFlag = 0x8000;
        static constexpr std::uint16_t CodeMask = 0x7FFF;
        static_assert(CodeCount - 1 <= CodeMask);

        std::vector<Cell> cells; // the moves played
        std::vector<std::uint16_t> codes; // the moves there were, step by step
        std::vector<std::uint32_t> ends; // where each step's moves end in codes
        std::vector<std::uint32_t> chosen; // the one played, as an index in codes

        void reserve()
        {
            cells.reserve(MaxMoves);
            codes.reserve(static_cast<std::size_t>(MaxMoves) * 16);
            ends.reserve(MaxMoves);
            chosen.reserve(MaxMoves);
        }
        void clear()
        {
            cells.clear();
            codes.clear();
            ends.clear();
            chosen.clear();
        }
        void add(const CodedMove* moves, int n, int played, int heldBack)
        {
            cells.push_back(moves[played].cell);
            chosen.push_back(static_cast<std::uint32_t>(codes.size() + static_cast<std::size_t>(played)));
            for (int i = 0; i < n; ++i)
                codes.push_back(static_cast<std::uint16_t>(
                    moves[i].code | (moves[i].kind == heldBack ? HeldBackFlag : 0)));
            ends.push_back(static_cast<std::uint32_t>(codes.size()));
        }
    };

    // The weight of each listed move, e^weight from `exps`, in shares_;
    // returns their sum.
    double weigh(int n, const std::vector<double>& exps)
    {
        double sum = 0;
        for (int i = 0; i < n; ++i) {
            const CodedMove& m = moves_[i];
            double w = exps[m.code];
            if (m.kind == heldBack_)
                w *= HeldBack;
            shares_[static_cast<std::size_t>(i)] = w;
            sum += w;
        }
        return sum;
    }

    // One playout with the weights of `level`; the line in `line`.
    int playout(int level, Line& line)
    {
        const std::vector<double>& exps = exps_[static_cast<std::size_t>(level)];
        Grid grid = root_;
        PanelIds ids = rootIds_;
        line.clear();
        int points = 0;
        moves_.list(grid, ids);
        for (;;) {
            const int n = moves_.size();
            if (n == 0)
                break;
            const double sum = weigh(n, exps);
            double r = static_cast<double>(random_.next()) * (1.0 / 4294967296.0) * sum;
            int i = 0;
            for (; i < n - 1; ++i) {
                r -= shares_[static_cast<std::size_t>(i)];
                if (r < 0)
                    break;
            }
            line.add(moves_.data(), n, i, heldBack_);
            MoveSpan span;
            points += GroupPoints(PlayMove(grid, moves_[i].cell, ids, span));
            moves_.update(grid, ids, span);
        }
        const int score = points + EndPoints(grid, rule_);
        ++playouts_;
        count(static_cast<int>(line.cells.size()) + 1);
        offer(score, line.cells);
        return score;
    }

    // Moves the weights of `level` toward the line: the line's move gains
    // Alpha at each step, and every move there loses Alpha times its chance.
    // The chances are those of the weights before the change: the
    // exponentials are brought up to date at the end, for the codes the line
    // holds. The line holds the moves there were at each step, so no board
    // is played again.
    void adapt(int level, const Line& line)
    {
        std::vector<double>& w = weights_[static_cast<std::size_t>(level)];
        std::vector<double>& exps = exps_[static_cast<std::size_t>(level)];
        std::size_t begin = 0;
        for (std::size_t step = 0; step < line.cells.size(); ++step) {
            const std::size_t end = line.ends[step];
            double sum = 0;
            for (std::size_t i = begin; i < end; ++i) {
                const std::uint16_t code = line.codes[i];
                double share = exps[code & Line::CodeMask];
                if ((code & Line::HeldBackFlag) != 0)
                    share *= HeldBack;
                shares_[i - begin] = share;
                sum += share;
            }
            const double scale = -Alpha / sum;
            for (std::size_t i = begin; i < end; ++i)
                w[line.codes[i] & Line::CodeMask] += shares_[i - begin] * scale;
            w[line.codes[line.chosen[step]] & Line::CodeMask] += Alpha;
            begin = end;
        }
        // A code comes up at many steps of a line; its exponential is taken
        // once.
        if (++touch_ == 0) {
            std::fill(touched_.begin(), touched_.end(), 0);
            touch_ = 1;
        }
        for (const std::uint16_t code : line.codes) {
            const std::size_t c = code & Line::CodeMask;
            if (touched_[c] != touch_) {
                touched_[c] = touch_;
                exps[c] = PolicyExp(w[c]);
            }
        }
        count(static_cast<int>(line.cells.size()) + 1);
    }

    int level(int l)
    {
        int best = INT_MIN;
        if (l == levels_ && started_) {
            best = startScore_;
            lines_[static_cast<std::size_t>(l)] = start_;
        }
        return level(l, iterations_, best);
    }

    // `iterations` more searches of level l from its weights as they stand,
    // with `best` the score of its best line so far (in lines_[l]); returns
    // the score of its best line then.
    int level(int l, int iterations, int best)
    {
        Line& bestLine = lines_[static_cast<std::size_t>(l)];
        for (int i = 0; i < iterations && !stop_; ++i) {
            int score;
            if (l == 1) {
                score = playout(1, lines_[0]);
            } else {
                weights_[static_cast<std::size_t>(l - 1)] = weights_[static_cast<std::size_t>(l)];
                exps_[static_cast<std::size_t>(l - 1)] = exps_[static_cast<std::size_t>(l)];
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

    // One start of the top level: its weights, their exponentials, its best
    // line and that line's score.
    struct Start {
        std::vector<double> weights;
        std::vector<double> exps;
        Line line;
        int score = INT_MIN;
    };

    // One race of the top level's starts (see the top of the file).
    void race()
    {
        const int quarter = std::max(iterations_ / 4, 1);
        const struct {
            std::size_t starts;
            int iterations;
        } stages[] = {{4, quarter}, {2, quarter}, {1, std::max(iterations_ - 2 * quarter, 1)}};
        starts_.resize(stages[0].starts);
        for (Start& start : starts_) {
            start.weights.assign(CodeCount, 0.0);
            start.exps.assign(CodeCount, 1.0);
            start.line.clear();
            start.score = INT_MIN;
        }
        for (const auto& stage : stages) {
            // The leaders go on; of equal scores, the earlier start.
            std::stable_sort(starts_.begin(), starts_.end(),
                [](const Start& a, const Start& b) { return a.score > b.score; });
            for (std::size_t i = 0; i < stage.starts && !stop_; ++i)
                resume(starts_[i], stage.iterations);
        }
    }

    // Runs `iterations` more searches of the top level from where `start`
    // left off.
    void resume(Start& start, int iterations)
    {
        const std::size_t top = static_cast<std::size_t>(levels_);
        weights_[top].swap(start.weights);
        exps_[top].swap(start.exps);
        std::swap(lines_[top], start.line);
        start.score = level(levels_, iterations, start.score);
        weights_[top].swap(start.weights);
        exps_[top].swap(start.exps);
        std::swap(lines_[top], start.line);
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

    std::array<std::vector<double>, 5> weights_; // per level, by code
    std::array<std::vector<double>, 5> exps_; // e^weight, the same way
    std::vector<std::uint32_t> touched_; // by code: the last adaptation that took its exponential
    std::uint32_t touch_ = 0;
    std::array<Line, 5> lines_; // the best line of each level
    Line start_; // the line given to start from, if any
    std::vector<Start> starts_; // the top level's starts in a race
    bool started_ = false;
    int startScore_ = 0;
    Group group_;
    Marks marks_;
    CodedMoves moves_;
    std::array<double, MaxMoves> shares_{};

    std::int64_t nodes_ = 0;
    std::int64_t playouts_ = 0;
    int sinceClock_ = 0;
    bool stop_ = false;
    bool cut_ = false;
    int bestScore_ = INT_MIN;
    std::vector<Cell> best_;
};

} // namespace

SolverResult SolveByPolicy(const Grid& grid, ScoringRule rule, const SolverOptions& options,
    const Tuning& tuning, const SolverResult* start)
{
    auto search = std::make_unique<PolicySearch>(grid, rule, options, tuning.level, tuning.width);
    if (start != nullptr)
        search->startFrom(*start);
    search->run();
    return search->result();
}

} // namespace engine::solver
