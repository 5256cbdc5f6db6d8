// The record file and the table at the sizes a long-kept record reaches.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <malloc.h>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "RecordDisk.h"
#include "RecordFile.h"
#include "RecordRow.h"
#include "RecordTable.h"

using namespace records;

// Every allocation through operator new is counted, so a benchmark can tell
// how much the heap holds (live) and held at most (peak).
namespace {
std::atomic<long long> LiveBytes{0};
std::atomic<long long> PeakBytes{0};

void Count(long long bytes)
{
    const long long now = LiveBytes += bytes;
    long long peak = PeakBytes.load();
    while (now > peak && !PeakBytes.compare_exchange_weak(peak, now)) { }
}
} // namespace

void* operator new(std::size_t size)
{
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    Count(static_cast<long long>(malloc_usable_size(p)));
    return p;
}

void operator delete(void* p) noexcept
{
    if (p != nullptr) {
        Count(-static_cast<long long>(malloc_usable_size(p)));
        std::free(p);
    }
}

void operator delete(void* p, std::size_t) noexcept
{
    operator delete(p);
}

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

// --- loading the record file at start-up ----------------------------------------

// A record file of game rows of about this many bytes, made once per size in
// the temporary directory.
std::filesystem::path RecordFileOf(std::size_t bytes)
{
    const auto path
        = std::filesystem::temp_directory_path() / ("zemmick-bench-" + std::to_string(bytes) + ".dat");
    if (std::filesystem::exists(path) && std::filesystem::file_size(path) >= bytes) {
        return path;
    }
    const std::string block = WriteRecordFile(GameRows(10'000));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (std::size_t written = 0; written < bytes; written += block.size()) {
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
    return path;
}

// What the table window does at start-up: the file's bytes into memory, the
// rows out of them into the table, both within the read's limits.
void LoadTable(const std::filesystem::path& path, RecordTable& table)
{
    std::string bytes;
    ReadRegularFile(path.c_str(), MaxRecordFileBytes, bytes);
    ReadRecordFile(bytes, table, MaxRecordRows);
}

// Start-up with a record file of 100 MB: the time to load it, and the heap it
// needs at most and keeps.
void BM_LoadRecordFile100MB(benchmark::State& state)
{
    const auto path = RecordFileOf(100'000'000);
    long long rows = 0;
    long long peak = 0;
    long long kept = 0;
    for (auto _ : state) {
        const long long before = LiveBytes;
        PeakBytes = before;
        RecordTable table;
        LoadTable(path, table);
        rows = table.rowCount();
        peak = PeakBytes - before;
        kept = LiveBytes - before;
        benchmark::DoNotOptimize(table.rowCount());
    }
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["peakMB"] = static_cast<double>(peak) / 1e6;
    state.counters["keptMB"] = static_cast<double>(kept) / 1e6;
}
BENCHMARK(BM_LoadRecordFile100MB)->Unit(benchmark::kMillisecond)->Iterations(3);

// The heap a table of 100,000 game rows holds once loaded from its file.
void BM_TableMemoryPer100kRows(benchmark::State& state)
{
    const std::string bytes = WriteRecordFile(GameRows(100'000));
    long long kept = 0;
    long long peak = 0;
    for (auto _ : state) {
        const long long before = LiveBytes;
        PeakBytes = before;
        RecordTable table;
        ReadRecordFile(bytes, table, MaxRecordRows);
        kept = LiveBytes - before;
        peak = PeakBytes - before;
        benchmark::DoNotOptimize(table.rowCount());
    }
    state.counters["fileMB"] = static_cast<double>(bytes.size()) / 1e6;
    state.counters["keptMB"] = static_cast<double>(kept) / 1e6;
    state.counters["peakMB"] = static_cast<double>(peak) / 1e6;
}
BENCHMARK(BM_TableMemoryPer100kRows)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
