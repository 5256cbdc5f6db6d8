// Undo, restart and new board.
#include "Engine.h"

namespace engine {

bool UndoMove(GameState& game)
{
    if (game.History.empty())
        return false;

    // The summary entry: panels erased, columns closed, kind of the group.
    const int summary = game.History.pop();
    const int erased = summary / 1000;
    const int closed = (summary % 1000) / 10;
    const int kind = summary % 10;

    // Reopen the closed columns, leftmost first, so each comes back at its
    // old place. Only empty columns ever move into the border column.
    for (int i = 0; i < closed; ++i) {
        const int column = game.History.pop();
        for (int j = game.ColumnCount; j >= column; --j)
            for (int y = 1; y <= game.RowCount; ++y)
                game.Board[j + 1][y] = game.Board[j][y];
        for (int y = 1; y <= game.RowCount; ++y)
            game.Board[column][y] = EmptyCell;
    }

    // Put the panels back, lowest row of a column first, so every panel
    // returns to the row it had. Only empty cells move into the border row.
    for (int i = 0; i < erased; ++i) {
        const int entry = game.History.pop();
        const int column = entry / 100;
        const int row = entry % 100;
        for (int j = game.RowCount; j >= row; --j)
            game.Board[column][j + 1] = game.Board[column][j];
        game.Board[column][row] = kind;
    }

    // The move's own points come off, and 10 more.
    game.Score -= MovePoints(erased) + UndoCharge;
    game.UndoPoints -= UndoCharge;

    for (int c = 1; c <= game.ColumnCount; ++c)
        for (int r = 1; r <= game.RowCount; ++r)
            game.GroupMark[c][r] = 0;
    return true;
}

void RestartBoard(GameState& game, BoardView& view)
{
    game.RemainingPanels = 0;
    for (int c = 1; c <= game.ColumnCount; ++c) {
        for (int r = 1; r <= game.RowCount; ++r) {
            view.clearCell(c, r);
            view.prepareCanvas(c, r);
            game.Board[c][r] = game.InitialBoard[c][r];
            game.GroupMark[c][r] = 0;
            view.drawPicture(c, r, game.Board[c][r]);
            ++game.RemainingPanels;
        }
    }

    game.Score = -game.RemainingPanels;
    game.UndoPoints = 0;
    game.BonusPoints = 0;
    game.History.clear();
    game.PotionsLeft = PotionUses;
    game.PotionPoints = 0;
}

void DealNewBoard(GameState& game)
{
    for (int c = 1; c <= game.ColumnCount; ++c)
        for (int r = 1; r <= game.RowCount; ++r)
            game.InitialBoard[c][r] = game.DealKind();
}

} // namespace engine
