// How good the solver's lines are: the quality table and the classic-rule
// totals. Separate from `make bench` because it takes long (see README).
//
//   solver_quality table     [--jobs N] [--update] [--size CxRxK]
//                                                    ratios at 200 ms and 1 s
//   solver_quality reference [--jobs N] [--seconds S] [--skip-stored] [--size CxRxK]
//                                                    the 30-second lines
//   solver_quality classic   [--jobs N] [--boards B] [--seconds S,...]
//   solver_quality methods   [--jobs N]              the search methods compared
//
// Deals come from the game's own deal with seeds 1..30, so every size has
// the same 30 boards at every run. Each search runs on one thread with a
// limit of processor time, so a busy machine slows the run but does not
// change what one core achieves. Every line is replayed through the game's
// hover, move and refresh before its score counts.
//
// bench/solver-reference/ keeps, per size, the best line any run found
// (`reference` makes them with 30 s per deal; `table --update` keeps a line
// of its own that beats one); for 8 x 8 the proven best line of the exact
// search.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "Engine.h"
#include "Solver.h"
#include "SolverSearch.h"

using namespace engine;

namespace {

struct Size {
    int columns, rows, kinds;
    std::string name() const
    {
        return std::to_string(columns) + "x" + std::to_string(rows) + "x" + std::to_string(kinds);
    }
    bool exact() const { return columns * rows <= 64; }
};

const Size Sizes[] = {{19, 9, 5}, {20, 20, 4}, {40, 40, 3}, {8, 8, 3}};
constexpr int Deals = 30;

// Draws nothing: the replays need the game's functions, not its pictures.
struct NoView : BoardView {
    void clearCell(int, int) override { }
    void drawPicture(int, int, int) override { }
    void prepareCanvas(int, int) override { }
    void drawOutline(int, int) override { }
};

void Deal(GameState& g, const Size& size, int seed)
{
    g.ColumnCount = size.columns;
    g.RowCount = size.rows;
    g.KindCount = size.kinds;
    g.Random.seed(static_cast<std::uint32_t>(seed));
    if (!SetupBoard(g)) {
        std::fprintf(stderr, "cannot deal\n");
        std::exit(1);
    }
}

SolverBoard DealtBoard(const Size& size, int seed)
{
    GameState g;
    Deal(g, size, seed);
    return SolverBoard(g);
}

// The score of a line played in the game from the deal: the game's own
// final score, or the classic rule worked out from the sizes of its moves
// and the board left. Nullopt when a move erases nothing.
std::optional<int> Replay(const Size& size, int seed, ScoringRule rule, const std::vector<SolverMove>& moves)
{
    GameState g;
    Deal(g, size, seed);
    NoView view;
    int classic = 0;
    for (const SolverMove& m : moves) {
        if (m.Column < 1 || m.Column > g.ColumnCount || m.Row < 1 || m.Row > g.RowCount)
            return std::nullopt;
        HoverCell(g, view, m.Column, m.Row);
        const int n = g.GroupSize;
        if (n < 2 || !ResolveMove(g, m.Column, m.Row))
            return std::nullopt;
        RecountAndRedraw(g, view);
        classic += (n - 2) * (n - 2);
    }
    if (MoveRemains(g))
        return std::nullopt; // a line goes to the end of the game
    if (rule == ScoringRule::Game)
        return g.Score;
    if (g.RemainingPanels == 0)
        return classic + 1000;
    for (int k = 1; k <= g.KindCount; ++k)
        if (g.KindCounts[k] > 2)
            classic -= (g.KindCounts[k] - 2) * (g.KindCounts[k] - 2);
    return classic;
}

struct Line {
    int score = 0;
    bool proven = false;
    std::vector<SolverMove> moves;
};

std::string ReferencePath(const Size& size)
{
    return std::string(ZEMMICK_REFERENCE_DIR) + "/" + size.name() + ".txt";
}

// One deal per line: seed, score, "proven" or "best", then the moves as
// column,row.
std::map<int, Line> ReadReference(const Size& size)
{
    std::map<int, Line> lines;
    std::ifstream in(ReferencePath(size));
    std::string text;
    while (std::getline(in, text)) {
        if (text.empty() || text[0] == '#')
            continue;
        std::istringstream fields(text);
        int seed = 0;
        Line line;
        std::string kind;
        fields >> seed >> line.score >> kind;
        line.proven = kind == "proven";
        std::string move;
        while (fields >> move) {
            SolverMove m;
            if (std::sscanf(move.c_str(), "%d,%d", &m.Column, &m.Row) != 2) {
                std::fprintf(stderr, "%s: bad move '%s'\n", ReferencePath(size).c_str(), move.c_str());
                std::exit(1);
            }
            line.moves.push_back(m);
        }
        lines[seed] = line;
    }
    return lines;
}

void WriteReference(const Size& size, const std::map<int, Line>& lines)
{
    std::ofstream out(ReferencePath(size));
    out << "# " << size.columns << " x " << size.rows << ", " << size.kinds
        << " kinds, game rule: per deal (the game's deal with that seed) the best line found,\n"
        << "# as seed, score, proven (no better line exists) or best (the best any run found), moves.\n"
        << "# Made by solver_quality reference; solver_quality table replays them.\n";
    for (const auto& [seed, line] : lines) {
        out << seed << ' ' << line.score << ' ' << (line.proven ? "proven" : "best");
        for (const SolverMove& m : line.moves)
            out << ' ' << m.Column << ',' << m.Row;
        out << '\n';
    }
}

// Runs work(i) for i in 0..count-1 on `jobs` threads.
template <typename Work> void Parallel(int count, int jobs, Work work)
{
    std::atomic<int> next{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < std::max(jobs, 1); ++t)
        threads.emplace_back([&] {
            for (int i = next++; i < count; i = next++)
                work(i);
        });
    for (std::thread& t : threads)
        t.join();
}

SolverResult Search(const SolverBoard& board, ScoringRule rule, std::chrono::milliseconds cpu)
{
    SolverOptions options;
    options.Seed = 1;
    options.Budget = INT64_MAX;
    options.CpuTimeLimit = cpu;
    return Solve(board, rule, options);
}

Line Checked(const Size& size, int seed, ScoringRule rule, const SolverResult& result)
{
    const std::optional<int> replayed = Replay(size, seed, rule, result.Moves);
    if (replayed != result.Score) {
        std::fprintf(stderr, "%s deal %d: the line scores %d in the game, the solver said %d\n",
            size.name().c_str(), seed, replayed.value_or(-999999), result.Score);
        std::exit(1);
    }
    return Line{result.Score, result.Proven, result.Moves};
}

int MakeReference(int jobs, int seconds, bool skipStored, const std::string& only)
{
    for (const Size& size : Sizes) {
        if (!only.empty() && size.name() != only)
            continue;
        std::map<int, Line> lines = ReadReference(size);
        const std::map<int, Line> stored = lines;
        std::mutex mutex;
        Parallel(Deals, jobs, [&](int i) {
            const int seed = i + 1;
            if (skipStored && stored.count(seed) > 0)
                return;
            const SolverBoard board = DealtBoard(size, seed);
            Line line;
            if (size.exact()) {
                SolverOptions options;
                options.Budget = INT64_MAX;
                line
                    = Checked(size, seed, ScoringRule::Game, SolveExactly(board, ScoringRule::Game, options));
            } else {
                line = Checked(size, seed, ScoringRule::Game,
                    Search(board, ScoringRule::Game, std::chrono::milliseconds(seconds * 1000)));
            }
            const std::lock_guard lock(mutex);
            const auto old = lines.find(seed);
            std::printf("%s deal %2d: %d%s%s\n", size.name().c_str(), seed, line.score,
                line.proven ? " (proven)" : "",
                old != lines.end() && old->second.score >= line.score ? ", kept the stored line" : "");
            std::fflush(stdout);
            if (old == lines.end() || old->second.score < line.score || (line.proven && !old->second.proven))
                lines[seed] = line;
            WriteReference(size, lines); // after every deal, so that a stopped run loses little
        });
    }
    return 0;
}

// Every size, or the one named (such as 19x9x5).
int Table(int jobs, bool update, const std::string& only)
{
    std::printf("%-9s %5s  %-28s %-28s %s\n", "board", "deals", "mean (min) ratio at 200 ms",
        "mean (min) ratio at 1 s", "best found by");
    for (const Size& size : Sizes) {
        if (!only.empty() && size.name() != only)
            continue;
        std::map<int, Line> reference = ReadReference(size);
        // The stored lines must score what they say, in the game.
        for (const auto& [seed, line] : reference) {
            if (Replay(size, seed, ScoringRule::Game, line.moves) != line.score) {
                std::fprintf(stderr, "%s: the stored line of deal %d does not score %d\n",
                    ReferencePath(size).c_str(), seed, line.score);
                return 1;
            }
        }
        if (static_cast<int>(reference.size()) < Deals) {
            std::fprintf(stderr, "%s: %zu deals stored, %d needed (run solver_quality reference)\n",
                ReferencePath(size).c_str(), reference.size(), Deals);
            return 1;
        }
        struct Result {
            double ratio[2];
            bool optimum[2];
        };
        std::vector<Result> results(Deals);
        std::mutex mutex;
        int improved = 0;
        Parallel(Deals, jobs, [&](int i) {
            const int seed = i + 1;
            const SolverBoard board = DealtBoard(size, seed);
            const Line& best = reference.at(seed);
            const std::chrono::milliseconds limits[]
                = {std::chrono::milliseconds(200), std::chrono::milliseconds(1000)};
            for (int t = 0; t < 2; ++t) {
                const Line line
                    = Checked(size, seed, ScoringRule::Game, Search(board, ScoringRule::Game, limits[t]));
                results[static_cast<std::size_t>(i)].ratio[t] = static_cast<double>(line.score) / best.score;
                results[static_cast<std::size_t>(i)].optimum[t] = line.score >= best.score;
                if (line.score > best.score) {
                    const std::lock_guard lock(mutex);
                    std::printf("  %s deal %d: %d beats the stored %d%s\n", size.name().c_str(), seed,
                        line.score, best.score, best.proven ? " (PROVEN? the stored line is wrong)" : "");
                    ++improved;
                    if (update && line.score > reference[seed].score)
                        reference[seed] = line;
                }
            }
        });
        double mean[2] = {0, 0}, least[2] = {1e9, 1e9};
        int optimum[2] = {0, 0};
        for (const Result& r : results)
            for (int t = 0; t < 2; ++t) {
                mean[t] += r.ratio[t] / Deals;
                least[t] = std::min(least[t], r.ratio[t]);
                optimum[t] += r.optimum[t] ? 1 : 0;
            }
        char cell[2][64];
        for (int t = 0; t < 2; ++t) {
            if (size.exact())
                std::snprintf(cell[t], sizeof cell[t], "%.4f (%.4f), %d/%d optimal", mean[t], least[t],
                    optimum[t], Deals);
            else
                std::snprintf(cell[t], sizeof cell[t], "%.4f (%.4f)", mean[t], least[t]);
        }
        std::printf("%-9s %5d  %-28s %-28s %s\n", size.name().c_str(), Deals, cell[0], cell[1],
            size.exact() ? "the exact search (proven)" : "runs of 30 s");
        if (improved > 0 && update)
            WriteReference(size, reference);
    }
    return 0;
}

int Classic(int jobs, int boards, const std::vector<int>& seconds)
{
    const Size size{15, 15, 5};
    for (const int s : seconds) {
        std::vector<int> scores(static_cast<std::size_t>(boards));
        Parallel(boards, jobs, [&](int i) {
            const int seed = i + 1;
            const SolverBoard board = DealtBoard(size, seed);
            const Line line = Checked(size, seed, ScoringRule::Classic,
                Search(board, ScoringRule::Classic, std::chrono::milliseconds(s * 1000)));
            scores[static_cast<std::size_t>(i)] = line.score;
        });
        long total = 0;
        std::printf("classic rule, 15 x 15, 5 kinds, %d s per position:", s);
        for (const int score : scores) {
            std::printf(" %d", score);
            total += score;
        }
        std::printf("\n  total over %d positions: %ld\n", boards, total);
        std::fflush(stdout);
    }
    return 0;
}

// The search methods side by side at the same budget of nodes (about a
// second of one core), on the first deals of each size. Solve chooses among
// the last three by rule and board size on time, not nodes: the policy
// adaptation's nodes are cheaper than the beam's.
int Methods(int jobs, int deals, std::int64_t budget)
{
    struct Method {
        const char* name;
        solver::Tuning tuning;
    };
    const Method methods[] = {
        {"random playouts, best kept", {solver::Method::Nested, 0, 0, 0}},
        {"nested level 1", {solver::Method::Nested, 1, 0, 0}},
        {"nested level 1, 16 moves a step", {solver::Method::Nested, 1, 16, 0}},
        {"nested level 2", {solver::Method::Nested, 2, 0, 0}},
        {"beam, every move", {solver::Method::Beam, 0, 0, 0}},
        {"beam, 8 moves a state (Solve)", solver::BeamTuning},
        {"beam, then policy adaptation (Solve)", solver::RelayTuning},
        {"policy adaptation, level 3 (Solve)", solver::PolicyTuning},
    };
    const struct {
        Size size;
        ScoringRule rule;
    } boards[] = {{{19, 9, 5}, ScoringRule::Game}, {{20, 20, 4}, ScoringRule::Game},
        {{40, 40, 3}, ScoringRule::Game}, {{15, 15, 5}, ScoringRule::Classic}};
    std::printf(
        "mean score over %d deals at %lld nodes\n%-34s", deals, static_cast<long long>(budget), "method");
    for (const auto& b : boards)
        std::printf(" %12s", (b.size.name() + (b.rule == ScoringRule::Classic ? " cl." : "")).c_str());
    std::printf("\n");
    for (const Method& method : methods) {
        std::printf("%-34s", method.name);
        for (const auto& b : boards) {
            std::vector<double> scores(static_cast<std::size_t>(deals));
            Parallel(deals, jobs, [&](int i) {
                SolverOptions options;
                options.Budget = budget;
                const SolverResult result
                    = solver::SolveWith(DealtBoard(b.size, i + 1), b.rule, options, method.tuning);
                scores[static_cast<std::size_t>(i)] = Checked(b.size, i + 1, b.rule, result).score;
            });
            double mean = 0;
            for (const double score : scores)
                mean += score / deals;
            std::printf(" %12.1f", mean);
            std::fflush(stdout);
        }
        std::printf("\n");
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    int jobs = 1, boards = 20, seconds = 30;
    std::vector<int> classicSeconds{10, 60};
    bool update = false;
    bool skipStored = false;
    std::string size;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : "";
        if (arg == "--jobs")
            jobs = std::atoi(value), ++i;
        else if (arg == "--boards")
            boards = std::atoi(value), ++i;
        else if (arg == "--seconds" && mode == "classic") {
            classicSeconds.clear();
            std::istringstream list(value);
            std::string item;
            while (std::getline(list, item, ','))
                classicSeconds.push_back(std::atoi(item.c_str()));
            ++i;
        } else if (arg == "--seconds")
            seconds = std::atoi(value), ++i;
        else if (arg == "--size")
            size = value, ++i;
        else if (arg == "--update")
            update = true;
        else if (arg == "--skip-stored")
            skipStored = true;
        else {
            std::fprintf(stderr, "unknown argument %s\n", arg.c_str());
            return 2;
        }
    }
    if (mode == "table")
        return Table(jobs, update, size);
    if (mode == "reference")
        return MakeReference(jobs, seconds, skipStored, size);
    if (mode == "classic")
        return Classic(jobs, boards, classicSeconds);
    if (mode == "methods")
        return Methods(jobs, 10, 5'000'000);
    std::fprintf(stderr,
        "usage: solver_quality table|reference|classic|methods [--jobs N] [--update] [--size CxRxK] "
        "[--seconds S[,S...]] [--boards B]\n");
    return 2;
}
