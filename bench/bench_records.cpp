// The record file and the table at the sizes a long-kept record reaches.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "RecordFile.h"
#include "RecordRow.h"
#include "RecordTable.h"

using namespace records;

namespace {

// Rows as the game makes them, of many sizes of board and score, in random
// order; the same rows at every run.
std::vector<RecordRow> GameRows(std::size_t count)
{
    std::mt19937 random(2006);
    std::vector<RecordRow> rows;
    rows.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        GameFigures f;
        f.RowCount = std::uniform_int_distribution<int>(8, 40)(random);
        f.ColumnCount = std::uniform_int_distribution<int>(8, 40)(random);
        f.KindCount = std::uniform_int_distribution<int>(3, 6)(random);
        f.PanelTotal = f.RowCount * f.ColumnCount;
        f.RemainingPanels = std::uniform_int_distribution<int>(0, f.PanelTotal / 4)(random);
        f.BonusPoints = 100 * std::uniform_int_distribution<int>(0, f.KindCount)(random);
        f.UndoCharge = 10 * std::uniform_int_distribution<int>(0, i % 100 == 0 ? 5000 : 20)(random);
        f.PotionCharge = 100 * std::uniform_int_distribution<int>(0, 3)(random);
        f.ErasePoints = std::uniform_int_distribution<int>(0, 50000)(random);
        f.Score = f.ErasePoints + f.BonusPoints - f.RemainingPanels - f.UndoCharge - f.PotionCharge;
        f.StandardScore = static_cast<double>(f.Score) / f.PanelTotal;
        char name[24];
        std::snprintf(name, sizeof name, "player%u", static_cast<unsigned>(random() % 1000));
        char time[32];
        std::snprintf(time, sizeof time, "%04u/%02u/%02u %02u:%02u:%02u",
            2000 + static_cast<unsigned>(random() % 30), 1 + static_cast<unsigned>(random() % 12),
            1 + static_cast<unsigned>(random() % 28), static_cast<unsigned>(random() % 24),
            static_cast<unsigned>(random() % 60), static_cast<unsigned>(random() % 60));
        rows.push_back(MakeRecordRow(name, f, time));
    }
    return rows;
}

void BM_ReadRecordFile(benchmark::State& state)
{
    const std::string bytes = WriteRecordFile(GameRows(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state) {
        std::vector<RecordRow> rows = ReadRecordFile(bytes);
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["rows/s"] = benchmark::Counter(
        static_cast<double>(state.range(0)), benchmark::Counter::kIsIterationInvariantRate);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ReadRecordFile)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_WriteRecordFile(benchmark::State& state)
{
    const std::vector<RecordRow> rows = GameRows(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::string bytes = WriteRecordFile(rows);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.counters["rows/s"] = benchmark::Counter(
        static_cast<double>(state.range(0)), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_WriteRecordFile)->Arg(100'000)->Unit(benchmark::kMillisecond);

// A click on a figure column of an unsorted table; the column's direction
// turns at every click, so the runs alternate ascending and descending.
void BM_SortByFigureColumn(benchmark::State& state)
{
    const std::vector<RecordRow> rows = GameRows(static_cast<std::size_t>(state.range(0)));
    RecordTable table;
    for (auto _ : state) {
        state.PauseTiming();
        table.replaceRows(rows);
        state.ResumeTiming();
        table.sortByColumn(static_cast<int>(state.range(1)));
        benchmark::DoNotOptimize(table.row(0));
    }
}
BENCHMARK(BM_SortByFigureColumn)
    ->Args({100'000, 2})
    ->Args({100'000, 1})
    ->Args({100'000, 0})
    ->Unit(benchmark::kMillisecond);

} // namespace
