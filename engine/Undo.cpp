// Undo, restart and new board.
#include "Engine.h"

namespace engine {

namespace {

// The newest move's entries must be what a move pushes, and the board must
// hold plain kinds only: checked before anything is popped or moved.
SummaryEntry CheckedNewestMove(const GameState& game)
{
    const MoveHistory& history = game.History;
    const SummaryEntry move = UnpackSummary(history.at(history.top()));
    if (move.erased < 2 || move.closed > game.ColumnCount || move.kind < 1 || move.kind > game.KindCount
        || history.top() < static_cast<std::size_t>(1 + move.closed + move.erased))
        throw InvariantError("the history's newest entry is no move");
    std::size_t i = history.top() - 1;
    for (int k = 0; k < move.closed; ++k, --i)
        if (history.at(i) < 1 || history.at(i) > game.ColumnCount)
            throw InvariantError("a column entry outside the board");
    for (int k = 0; k < move.erased; ++k, --i) {
        const CellRef cell = CellFromTag(history.at(i));
        if (cell.column < 1 || cell.column > game.ColumnCount || cell.row < 1 || cell.row > game.RowCount)
            throw InvariantError("a cell entry outside the board");
    }
    for (int c = 1; c <= game.ColumnCount; ++c)
        for (int r = 1; r <= game.RowCount; ++r)
            if (game.Board[c][r] >= PotionTargetOffset)
                throw InvariantError("an undo with a potion target on the board");
    return move;
}

} // namespace

bool UndoMove(GameState& game)
{
    if (game.History.empty())
        return false;
    const SummaryEntry move = CheckedNewestMove(game);
    game.History.pop();

    // Reopen the closed columns, leftmost first, so each comes back at its
    // old place. Only empty columns ever move into the border column.
    for (int i = 0; i < move.closed; ++i) {
        const int column = game.History.pop();
        for (int j = game.ColumnCount; j >= column; --j)
            for (int y = 1; y <= game.RowCount; ++y)
                game.Board[j + 1][y] = game.Board[j][y];
        for (int y = 1; y <= game.RowCount; ++y)
            game.Board[column][y] = EmptyCell;
    }

    // Put the panels back, lowest row of a column first, so every panel
    // returns to the row it had. Only empty cells move into the border row.
    for (int i = 0; i < move.erased; ++i) {
        const CellRef cell = CellFromTag(game.History.pop());
        for (int j = game.RowCount; j >= cell.row; --j)
            game.Board[cell.column][j + 1] = game.Board[cell.column][j];
        game.Board[cell.column][cell.row] = move.kind;
    }

    // The move's own points come off, and 10 more.
    game.Score -= MovePoints(move.erased) + UndoCharge;
    game.UndoPoints -= UndoCharge;

    for (int c = 1; c <= game.ColumnCount; ++c)
        for (int r = 1; r <= game.RowCount; ++r)
            game.GroupMark[c][r] = 0;
    return true;
}

void RestartBoard(GameState& game)
{
    for (int c = 1; c <= game.ColumnCount; ++c)
        for (int r = 1; r <= game.RowCount; ++r) {
            const int dealt = game.InitialBoard[c][r];
            if (dealt != EmptyCell && (dealt < 1 || dealt > game.KindCount))
                throw InvariantError("a restart of a deal that holds no plain kind");
        }

    game.RemainingPanels = 0;
    for (int c = 1; c <= game.ColumnCount; ++c) {
        for (int r = 1; r <= game.RowCount; ++r) {
            game.Board[c][r] = game.InitialBoard[c][r];
            game.GroupMark[c][r] = 0;
            // A dealt board is full; a board loaded with holes keeps them.
            if (game.Board[c][r] != EmptyCell)
                ++game.RemainingPanels;
        }
    }

    ResetLedger(game);
}

void DealNewBoard(GameState& game)
{
    for (int c = 1; c <= game.ColumnCount; ++c)
        for (int r = 1; r <= game.RowCount; ++r)
            game.InitialBoard[c][r] = game.DealKind();
}

} // namespace engine
