// The window thread while the solver works: the longest time one event
// takes to handle on a 40 x 40 board while the par of the deal is searched
// on its worker (and, for comparison, with no search running), and how long
// a hint takes to show on that board.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <algorithm>
#include <ctime>
#include <random>
#include <vector>

#include "BackgroundSearch.h"
#include "BenchApplication.h"
#include "Zemmick1.h"

namespace {

void Deal40()
{
    const int c = Game.ColumnCount, r = Game.RowCount, k = Game.KindCount;
    Game.ColumnCount = Game.RowCount = 40;
    Game.KindCount = 3;
    Form1->ReplaceBoard(c, r, k);
    QCoreApplication::processEvents();
}

// Processor time of the calling thread: what the window thread itself
// spends, whatever else the machine runs.
double ThreadMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

struct Timing {
    std::vector<double> wall, cpu;
};

// A player's events: the pointer over random cells, a click on every
// tenth (a move when it lands on a group), now and then an undo, about a
// hundred a second. Each event is timed with everything it sets off on the window thread (its
// handling, the repaint, results arriving from the workers).
void PlayFor(int events, std::mt19937& random, Timing& timing)
{
    QElapsedTimer timer;
    for (int i = 0; i < events; ++i) {
        const int c = std::uniform_int_distribution(1, Game.ColumnCount)(random);
        const int r = std::uniform_int_distribution(1, Game.RowCount)(random);
        TImage* cell = Form1->CellImages[c][r];
        const QPointF at(16, 16);
        timer.start();
        const double cpu = ThreadMs();
        QMouseEvent move(
            QEvent::MouseMove, at, cell->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(cell, &move);
        if (i % 10 == 9)
            Form1->Image0Click(cell);
        if (i % 50 == 49)
            Form1->BtnPreviousClick(nullptr);
        QCoreApplication::processEvents();
        timing.wall.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        timing.cpu.push_back(ThreadMs() - cpu);
        // A player's pointer reports about a hundred moves a second; between
        // them the window thread waits for events as it does in the program.
        QElapsedTimer pause;
        pause.start();
        while (pause.elapsed() < 10)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
}

void Report(benchmark::State& state, Timing& timing)
{
    std::sort(timing.wall.begin(), timing.wall.end());
    std::sort(timing.cpu.begin(), timing.cpu.end());
    const std::size_t n = timing.wall.size();
    state.counters["events"] = static_cast<double>(n);
    state.counters["max_ms"] = timing.wall.back();
    state.counters["p99_ms"] = timing.wall[n * 99 / 100];
    state.counters["median_ms"] = timing.wall[n / 2];
    state.counters["max_cpu_ms"] = timing.cpu.back();
}

// Events while the par of each new 40 x 40 deal is searched with the
// program's budget; `search` 0 measures the same play with no search.
void EventsWhileParSearch(benchmark::State& state)
{
    const bool search = state.range(0) != 0;
    std::mt19937 random(7);
    Timing timing;
    int searchedDeals = 0;
    for (auto _ : state) {
        Form1->ParSearch->setBudget(search ? engine::ParBudget : 1);
        Deal40();
        // Play until the par is known (with a search) or for 400 events.
        while (search ? !Form1->Par.has_value() : timing.wall.size() < 400)
            PlayFor(20, random, timing);
        searchedDeals += search ? 1 : 0;
    }
    state.counters["deals"] = searchedDeals;
    Report(state, timing);
}
BENCHMARK(EventsWhileParSearch)->Arg(1)->Arg(0)->Iterations(3)->Unit(benchmark::kSecond);

// From the hint key to the hint's hover on a fresh 40 x 40 deal, while its
// par is searched on the other worker.
void HintOn40x40(benchmark::State& state)
{
    Form1->ParSearch->setBudget(engine::ParBudget);
    Form1->HintSearch->setBudget(engine::HintBudget);
    std::vector<double> ms;
    QElapsedTimer timer;
    for (auto _ : state) {
        Deal40();
        Form1->FormMouseMove(nullptr);
        Game.GroupSize = 0;
        timer.start();
        Form1->HintClick(nullptr);
        while (Game.GroupSize < 2)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    state.counters["max_ms"] = ms.back();
    state.counters["median_ms"] = ms[ms.size() / 2];
}
BENCHMARK(HintOn40x40)->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    BenchApplication bench;
    bench.app().CreateForms();
    QCoreApplication::processEvents();
    BenchApplication::Run(argc, argv);
    bench.app().DestroyForms();
    return 0;
}
