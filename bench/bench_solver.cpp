// The solver's speed, memory and cancellation: random playouts per second,
// the time the hint's and the par's budgets take, the peak memory of the
// largest searches, and how soon a cancelled search returns. How good its
// lines are is measured by solver_quality (make bench-solver).
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "Engine.h"
#include "Solver.h"
#include "SolverSearch.h"

using namespace engine;

namespace {

// The game's own deal for that seed.
SolverBoard Dealt(const benchmark::State& state, std::uint32_t seed)
{
    GameState g;
    g.ColumnCount = static_cast<int>(state.range(0));
    g.RowCount = static_cast<int>(state.range(1));
    g.KindCount = static_cast<int>(state.range(2));
    g.Random.seed(seed);
    SetupBoard(g);
    return SolverBoard(g);
}

void Label(benchmark::State& state)
{
    state.SetLabel(std::to_string(state.range(0)) + " x " + std::to_string(state.range(1)) + ", "
        + std::to_string(state.range(2)) + " kinds");
}

// Random playouts and nothing else: the search's inner loop.
void Playouts(benchmark::State& state)
{
    const SolverBoard board = Dealt(state, 1);
    std::int64_t playouts = 0;
    std::int64_t nodes = 0;
    std::uint64_t seed = 0;
    for (auto _ : state) {
        SolverOptions options;
        options.Budget = 2'000'000;
        options.Seed = ++seed;
        const SolverResult result
            = solver::SolveWith(board, ScoringRule::Game, options, {solver::Method::Nested, 0});
        playouts += result.Playouts;
        nodes += result.Nodes;
    }
    state.counters["playouts/s"]
        = benchmark::Counter(static_cast<double>(playouts), benchmark::Counter::kIsRate);
    state.counters["nodes/s"] = benchmark::Counter(static_cast<double>(nodes), benchmark::Counter::kIsRate);
    Label(state);
}
BENCHMARK(Playouts)->Args({19, 9, 5})->Args({15, 15, 5})->Args({40, 40, 3})->Unit(benchmark::kMillisecond);

// A whole search with a fixed budget, on five deals in turn: the time the
// hint and the par take, and the nodes per second of the beam search.
void Budgeted(benchmark::State& state, std::int64_t budget)
{
    SolverBoard boards[5];
    for (std::uint32_t i = 0; i < 5; ++i)
        boards[i] = Dealt(state, i + 1);
    std::int64_t nodes = 0;
    double score = 0;
    std::size_t turn = 0;
    for (auto _ : state) {
        SolverOptions options;
        options.Budget = budget;
        const SolverResult result = Solve(boards[turn++ % 5], ScoringRule::Game, options);
        nodes += result.Nodes;
        score += result.Score;
    }
    state.counters["nodes/s"] = benchmark::Counter(static_cast<double>(nodes), benchmark::Counter::kIsRate);
    state.counters["score"] = benchmark::Counter(score, benchmark::Counter::kAvgIterations);
    Label(state);
}
BENCHMARK_CAPTURE(Budgeted, HintBudget, HintBudget)
    ->Args({40, 40, 3})
    ->Args({20, 20, 4})
    ->Args({19, 9, 5})
    ->Args({8, 8, 3})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Budgeted, ParBudget, ParBudget)
    ->Args({40, 40, 3})
    ->Args({20, 20, 4})
    ->Args({19, 9, 5})
    ->Args({8, 8, 3})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(5.0);

// The peak resident memory of a process that runs `work`, and of one that
// runs nothing, in megabytes: a child is forked for each, so that the
// figure is the search's own and not what earlier benchmarks left behind.
double PeakMegabytes(const std::function<void()>& work)
{
    const pid_t child = fork();
    if (child == 0) {
        work();
        _exit(0);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void PeakMemory(benchmark::State& state, std::function<void(const SolverBoard&)> search)
{
    const SolverBoard board = Dealt(state, 1);
    double peak = 0;
    double idle = 0;
    for (auto _ : state) {
        peak = PeakMegabytes([&] { search(board); });
        idle = PeakMegabytes([] {});
    }
    state.counters["peak_MB"] = peak;
    state.counters["idle_MB"] = idle;
    Label(state);
}

void Par(const SolverBoard& board)
{
    SolverOptions options;
    options.Budget = ParBudget;
    benchmark::DoNotOptimize(Solve(board, ScoringRule::Game, options).Score);
}

// The widest beam the board allows, for its first depths.
void WidestBeam(const SolverBoard& board)
{
    SolverOptions options;
    options.Budget = 30'000'000;
    benchmark::DoNotOptimize(
        solver::SolveWith(board, ScoringRule::Game, options, {solver::Method::Beam, 0, 1 << 30, 8}).Score);
}

// The exact search with its largest table.
void Exact(const SolverBoard& board)
{
    SolverOptions options;
    options.Budget = INT64_MAX;
    benchmark::DoNotOptimize(SolveExactly(board, ScoringRule::Game, options).Score);
}

BENCHMARK_CAPTURE(PeakMemory, Par, Par)->Args({40, 40, 3})->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PeakMemory, WidestBeam, WidestBeam)
    ->Args({40, 40, 3})
    ->Args({19, 9, 5})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PeakMemory, Exact, Exact)->Args({8, 8, 3})->Iterations(1)->Unit(benchmark::kMillisecond);

// From the cancellation to the return of the worker, with the search stopped
// at a different moment each time: 0 to 200 ms after its first line.
void CancelLatency(benchmark::State& state)
{
    const SolverBoard board = Dealt(state, 3);
    double longest = 0;
    int round = 0;
    for (auto _ : state) {
        std::mutex mutex;
        std::condition_variable improved;
        bool found = false;
        std::jthread worker([&](std::stop_token stop) {
            SolverOptions options;
            options.Budget = INT64_MAX;
            options.Stop = stop;
            options.OnImprove = [&](int) {
                const std::lock_guard lock(mutex);
                found = true;
                improved.notify_one();
            };
            benchmark::DoNotOptimize(Solve(board, ScoringRule::Game, options).Score);
        });
        {
            std::unique_lock lock(mutex);
            improved.wait(lock, [&] { return found; });
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(round++ * 37 % 200));
        const auto asked = std::chrono::steady_clock::now();
        worker.request_stop();
        worker.join();
        const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - asked).count();
        state.SetIterationTime(took);
        longest = std::max(longest, took);
    }
    state.counters["longest_ms"] = longest * 1000;
    Label(state);
}
BENCHMARK(CancelLatency)
    ->Args({40, 40, 3})
    ->Args({19, 9, 5})
    ->Args({8, 8, 3})
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
