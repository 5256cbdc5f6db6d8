// A stand-in for the windows: it remembers, per cell, what the engine drew,
// so tests can see outlines, pictures and canvas preparation without Qt.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Engine.h"

struct FakeCell {
    bool cleared = true;
    bool prepared = false;
    bool outlined = false; // odd number of outlines on the current surface
    // The pictures drawn since the last clearing, oldest first: at most a
    // panel and the potion target over it.
    int layers[2] = {};
    int layerCount = 0;

    std::vector<int> pictures() const { return std::vector<int>(layers, layers + layerCount); }
    int shown() const { return layerCount == 0 ? -1 : layers[layerCount - 1]; }
};

// Stricter than the windows: a drawing the view's contract does not allow
// fails the test where it happens. A picture index is 0..6; a panel's picture
// goes only on a cleared cell (else the old one shows through its transparent
// pixels); the potion target only over one panel; an outline only on a
// prepared cell.
class FakeBoardView : public engine::BoardView {
public:
    FakeCell cells[engine::ColumnCountMax + 1][engine::RowCountMax + 1];
    int calls = 0;

    void clearCell(int c, int r) override
    {
        ++calls;
        cells[c][r] = FakeCell{};
    }
    void drawPicture(int c, int r, int index) override
    {
        ++calls;
        FakeCell& cell = cells[c][r];
        if (index < 0 || index > engine::KindCountMax) {
            ADD_FAILURE() << "picture " << index << " drawn on " << c << "," << r;
            return;
        }
        if (index == engine::PotionPicture ? cell.layerCount != 1 : cell.layerCount != 0) {
            ADD_FAILURE() << "picture " << index << " drawn over " << cell.layerCount << " others on " << c
                          << "," << r;
            return;
        }
        cell.cleared = false;
        cell.layers[cell.layerCount++] = index;
    }
    void prepareCanvas(int c, int r) override
    {
        ++calls;
        cells[c][r].cleared = false;
        cells[c][r].prepared = true;
    }
    void drawOutline(int c, int r) override
    {
        ++calls;
        if (!cells[c][r].prepared)
            ADD_FAILURE() << "outline on the unprepared cell " << c << "," << r;
        cells[c][r].outlined = !cells[c][r].outlined;
    }

    // What a freshly set-up board shows: every cell its kind, prepared.
    void showBoard(const engine::GameState& game)
    {
        for (int c = 1; c <= game.ColumnCount; ++c)
            for (int r = 1; r <= game.RowCount; ++r) {
                cells[c][r] = FakeCell{};
                if (game.Board[c][r] >= 1) {
                    cells[c][r].cleared = false;
                    cells[c][r].prepared = true;
                    cells[c][r].layers[0] = game.Board[c][r];
                    cells[c][r].layerCount = 1;
                }
            }
    }

    int outlinedCount(const engine::GameState& game) const
    {
        int n = 0;
        for (int c = 1; c <= game.ColumnCount; ++c)
            for (int r = 1; r <= game.RowCount; ++r)
                n += cells[c][r].outlined ? 1 : 0;
        return n;
    }
};

// Sets up a game whose board is given as text, top row first: a digit is a
// kind, '.' an empty cell. Columns must be packed to the left and panels to
// the bottom. The counters start as after a setup of that board.
inline void LoadBoard(engine::GameState& game, int kinds, const std::vector<std::string>& topDown)
{
    game.RowCount = static_cast<int>(topDown.size());
    game.ColumnCount = static_cast<int>(topDown.front().size());
    game.KindCount = kinds;
    game.Random.seed(7);
    ASSERT_TRUE(engine::SetupBoard(game));
    int panels = 0;
    for (int r = 1; r <= game.RowCount; ++r) {
        const std::string& line = topDown[static_cast<std::size_t>(game.RowCount - r)];
        for (int c = 1; c <= game.ColumnCount; ++c) {
            const char ch = line[static_cast<std::size_t>(c - 1)];
            const int value = ch == '.' ? engine::EmptyCell : ch - '0';
            game.Board[c][r] = value;
            game.InitialBoard[c][r] = value;
            panels += value >= 1 ? 1 : 0;
        }
    }
    for (int& count : game.KindCounts)
        count = 0;
    for (int c = 1; c <= game.ColumnCount; ++c)
        for (int r = 1; r <= game.RowCount; ++r)
            if (game.Board[c][r] >= 1)
                ++game.KindCounts[game.Board[c][r]];
    game.RemainingPanels = panels;
    game.Score = -panels;
}

// The board as text, top row first, in LoadBoard's notation.
inline std::vector<std::string> BoardText(const engine::GameState& game)
{
    std::vector<std::string> lines;
    for (int r = game.RowCount; r >= 1; --r) {
        std::string line;
        for (int c = 1; c <= game.ColumnCount; ++c) {
            const int v = game.Board[c][r];
            line += v == engine::EmptyCell ? '.' : static_cast<char>('0' + v);
        }
        lines.push_back(line);
    }
    return lines;
}

// Hover then click, as the pointer does it.
inline bool Click(engine::GameState& game, engine::BoardView& view, int c, int r)
{
    engine::HoverCell(game, view, c, r);
    if (!engine::ResolveMove(game, c, r))
        return false;
    engine::RecountAndRedraw(game, view);
    return true;
}
