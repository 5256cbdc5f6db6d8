// Move resolution, the after-change recount and the end test.
#include <stdexcept>

#include "Engine.h"

namespace engine {

bool ResolveMove(GameState& game, int column, int row)
{
    // The rightmost column still holding panels, found before anything is
    // erased; columns beyond it are empty.
    int lastColumn = game.ColumnCount;
    while (lastColumn >= 1 && game.Board[lastColumn][1] == EmptyCell)
        --lastColumn;

    // A move erases the group the latest hover outlined, and only when the
    // click lands on it: a stale group size (no hover since the board
    // changed) or a click beside the marks erases nothing.
    if (game.GroupSize < 2 || game.GroupMark[column][row] == 0)
        return false;
    const int kind = game.Board[column][row];
    if (kind < 1 || kind > KindCountMax)
        throw std::logic_error("ResolveMove on a cell that holds no plain kind");

    // Erase and fall. Each column is scanned from the top down, so a mark
    // below the current row still stands on its own, unshifted cell.
    int erased = 0;
    for (int c = 1; c <= lastColumn; ++c) {
        for (int r = game.RowCount; r >= 1; --r) {
            if (game.GroupMark[c][r] == 0)
                continue;
            for (int y = r; y <= game.RowCount; ++y) {
                game.Board[c][y] = game.Board[c][y + 1]; // the top takes the border's -1
                game.GroupMark[c][y] = 0;
            }
            game.History.push(c * 100 + r);
            ++erased;
        }
    }

    // Close up, from the right so that the numbers of the columns still to
    // be tested do not change. The empty column beyond lastColumn (or the
    // border) moves in at the right.
    int closed = 0;
    for (int c = lastColumn; c >= 1; --c) {
        if (game.Board[c][1] != EmptyCell)
            continue;
        for (int x = c; x <= lastColumn; ++x)
            for (int y = 1; y <= game.RowCount; ++y)
                game.Board[x][y] = game.Board[x + 1][y];
        game.History.push(c);
        ++closed;
    }

    game.History.push(erased * 1000 + closed * 10 + kind);

    game.RemainingPanels -= erased;
    game.Score += MovePoints(erased);
    return true;
}

void RecountAndRedraw(GameState& game, BoardView& view)
{
    for (int& count : game.KindCounts)
        count = 0;
    game.RemainingPanels = 0;
    for (int c = 1; c <= game.ColumnCount; ++c) {
        for (int r = 1; r <= game.RowCount; ++r) {
            const int value = game.Board[c][r];
            view.clearCell(c, r);
            if (value < 1)
                continue; // an empty cell shows nothing
            if (value > KindCountMax)
                throw std::logic_error("potion target left on the board");
            ++game.KindCounts[value];
            ++game.RemainingPanels;
            view.drawPicture(c, r, value);
            view.prepareCanvas(c, r);
        }
    }

    // 100 for every kind in play of which no panel is left.
    game.Score -= game.BonusPoints;
    game.BonusPoints = 0;
    for (int kind = 1; kind <= game.KindCount; ++kind)
        if (game.KindCounts[kind] == 0)
            game.BonusPoints += ClearedKindBonus;
    game.Score += game.BonusPoints;

    game.GroupSize = 0;
}

bool MoveRemains(const GameState& game)
{
    // Looking up and to the right finds every joined pair once; the border
    // holds -1 and never matches.
    for (int c = 1; c <= game.ColumnCount; ++c) {
        for (int r = 1; r <= game.RowCount; ++r) {
            const int value = game.Board[c][r];
            if (value != EmptyCell && (value == game.Board[c][r + 1] || value == game.Board[c + 1][r]))
                return true;
        }
    }
    return false;
}

} // namespace engine
