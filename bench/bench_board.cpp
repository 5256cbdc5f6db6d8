// The main window's hot paths on the offscreen platform: setting up a board
// with its cell pictures, the hover over a large group and the repaint that
// follows, a move with its refresh, an undo, and the settings command; and
// the record table with 100,000 rows: reading, sorting and saving.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <random>

#include "BenchApplication.h"
#include "Point1.h"
#include "Pointrec1.h"
#include "RecordFile.h"
#include "Zemmick1.h"

namespace {

void Settle()
{
    QCoreApplication::processEvents();
    Form1->repaint();
}

void Replace(int columns, int rows, int kinds)
{
    const int c = Game.ColumnCount, r = Game.RowCount, k = Game.KindCount;
    Game.ColumnCount = columns;
    Game.RowCount = rows;
    Game.KindCount = kinds;
    Form1->ReplaceBoard(c, r, k);
}

// A 40 x 40 board of kind 1 but for a pair of kind 2 at the bottom of the
// last column: one group of 1,598 panels, and the game goes on after it.
void BigGroupBoard()
{
    Replace(40, 40, 3);
    for (int c = 1; c <= 40; ++c)
        for (int r = 1; r <= 40; ++r)
            Game.InitialBoard[c][r] = (c == 40 && r <= 2) ? 2 : 1;
    Form1->BtnRetryClick(nullptr);
    Settle();
}

void RandomBoard()
{
    Replace(40, 40, 3);
    Settle();
}

void SetupBoard(benchmark::State& state)
{
    const int columns = static_cast<int>(state.range(0));
    const int rows = static_cast<int>(state.range(1));
    Replace(columns, rows, 5);
    for (auto _ : state) {
        state.PauseTiming();
        Form1->FormClose(Form1); // the old pictures go outside the timing
        Game.History.release();
        state.ResumeTiming();
        Form1->SetupBoard();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(SetupBoard)->Args({19, 9})->Args({40, 40})->Unit(benchmark::kMillisecond);

void HoverBigGroup(benchmark::State& state)
{
    BigGroupBoard();
    bool left = false;
    for (auto _ : state) {
        left = !left; // alternate cells of the group: every hover redraws it
        Form1->Image0MouseMove(Form1->CellImages[left ? 1 : 2][1]);
    }
    state.counters["group"] = Game.GroupSize;
}
BENCHMARK(HoverBigGroup)->Unit(benchmark::kMicrosecond);

void RepaintAfterHover(benchmark::State& state)
{
    BigGroupBoard();
    bool left = false;
    for (auto _ : state) {
        state.PauseTiming();
        left = !left;
        Form1->Image0MouseMove(Form1->CellImages[left ? 1 : 2][1]);
        state.ResumeTiming();
        Form1->repaint();
    }
}
BENCHMARK(RepaintAfterHover)->Unit(benchmark::kMillisecond);

void GroupSearch(benchmark::State& state)
{
    BigGroupBoard();
    for (auto _ : state) {
        for (int c = 1; c <= 40; ++c)
            for (int r = 1; r <= 40; ++r)
                Game.GroupMark[c][r] = 0;
        benchmark::DoNotOptimize(engine::CountGroup(Game, 1, 1, 1));
    }
}
BENCHMARK(GroupSearch)->Unit(benchmark::kMicrosecond);

void MoveWithRefresh(benchmark::State& state, void (*board)())
{
    board();
    for (auto _ : state) {
        state.PauseTiming();
        Form1->BtnRetryClick(nullptr);
        // The largest group on the board.
        int best = 0, bc = 1, br = 1;
        for (int c = 1; c <= 40 && state.range(0) == 0; ++c)
            for (int r = 1; r <= 40; ++r) {
                Form1->Image0MouseMove(Form1->CellImages[c][r]);
                if (Game.GroupSize > best)
                    best = Game.GroupSize, bc = c, br = r;
            }
        Form1->Image0MouseMove(Form1->CellImages[bc][br]);
        state.ResumeTiming();
        Form1->Image0Click(Form1->CellImages[bc][br]);
    }
}
BENCHMARK_CAPTURE(MoveWithRefresh, big_group, BigGroupBoard)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(MoveWithRefresh, random_board, RandomBoard)
    ->Arg(0)
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

void Undo(benchmark::State& state)
{
    BigGroupBoard();
    for (auto _ : state) {
        state.PauseTiming();
        Form1->Image0MouseMove(Form1->CellImages[1][1]);
        Form1->Image0Click(Form1->CellImages[1][1]);
        state.ResumeTiming();
        Form1->BtnPreviousClick(nullptr);
    }
}
BENCHMARK(Undo)->Unit(benchmark::kMillisecond);

// What follows an OK in the settings dialog, until the event queue is empty
// and the new board is painted.
void SettingsCommand(benchmark::State& state)
{
    const int size = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        Replace(size == 40 ? 19 : 40, size == 40 ? 9 : 40, 5);
        Settle();
        state.ResumeTiming();
        Replace(size, size == 40 ? 40 : 9, 5);
        Form3->FormShow(nullptr);
        Settle();
    }
}
BENCHMARK(SettingsCommand)->Arg(40)->Arg(19)->Unit(benchmark::kMillisecond);

// --- The record table with 100,000 rows --------------------------------------------

void WriteLargeRecordFile(int rows)
{
    std::vector<records::RecordRow> all;
    std::mt19937 random(5);
    for (int i = 0; i < rows; ++i) {
        records::GameFigures f;
        f.Score = static_cast<int>(random() % 4000) - 2000;
        f.PanelTotal = 171;
        f.StandardScore = f.Score / 171.0;
        f.ErasePoints = static_cast<int>(random() % 3000);
        f.RowCount = 9;
        f.ColumnCount = 19;
        f.KindCount = 5;
        all.push_back(records::MakeRecordRow("player" + std::to_string(i % 977), f, "2026/12/08 10:00:00"));
    }
    QFile file(records::RecordFileName);
    file.open(QIODevice::WriteOnly);
    const std::string bytes = records::WriteRecordFile(all);
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

void TableRead(benchmark::State& state)
{
    WriteLargeRecordFile(100000);
    Form4->show();
    for (auto _ : state) {
        Form4->BtnReadClick(nullptr);
        Form4->repaint();
    }
    state.counters["rows"] = Form4->Model->rowCount();
    Form4->hide();
}
BENCHMARK(TableRead)->Unit(benchmark::kMillisecond);

void TableSortByFigure(benchmark::State& state)
{
    WriteLargeRecordFile(100000);
    Form4->BtnReadClick(nullptr);
    Form4->show();
    for (auto _ : state) {
        Form4->ListView1ColumnClick(2);
        Form4->repaint();
    }
    Form4->hide();
}
BENCHMARK(TableSortByFigure)->Unit(benchmark::kMillisecond);

void TableSave(benchmark::State& state)
{
    WriteLargeRecordFile(100000);
    Form4->BtnReadClick(nullptr);
    for (auto _ : state)
        Form4->BtnSaveClick(nullptr);
}
BENCHMARK(TableSave)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    BenchApplication bench;
    bench.app().CreateForms();
    Settle();
    BenchApplication::Run(argc, argv);
    bench.app().DestroyForms();
    return 0;
}
