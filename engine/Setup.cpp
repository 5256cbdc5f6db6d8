// Board setup: the undo store, the counters, the deal and the border.
#include "Engine.h"

namespace engine {

bool SetupBoard(GameState& game)
{
    for (int& count : game.KindCounts)
        count = 0;

    game.History.clear();
    if (!game.History.obtain(MoveHistory::capacityFor(game.ColumnCount, game.RowCount)))
        return false;

    game.PanelTotal = game.RemainingPanels = game.ColumnCount * game.RowCount;
    ResetLedger(game);

    // Column by column from the left, each from the bottom row up: the order
    // in which a new deal draws its kinds too.
    for (int c = 1; c <= game.ColumnCount; ++c) {
        for (int r = 1; r <= game.RowCount; ++r) {
            game.GroupMark[c][r] = 0;
            const int kind = game.DealKind();
            game.Board[c][r] = kind;
            game.InitialBoard[c][r] = kind;
            ++game.KindCounts[kind];
        }
    }

    // The empty border lets every search and shift look one cell beyond the
    // playing area. Cells beyond it, left over from a larger board, are
    // never read.
    for (int c = 1; c <= game.ColumnCount; ++c) {
        game.Board[c][0] = EmptyCell;
        game.Board[c][game.RowCount + 1] = EmptyCell;
    }
    for (int r = 1; r <= game.RowCount; ++r) {
        game.Board[0][r] = EmptyCell;
        game.Board[game.ColumnCount + 1][r] = EmptyCell;
    }

    return true;
}

void ResetLedger(GameState& game)
{
    game.Score = -game.RemainingPanels;
    game.UndoPoints = 0;
    game.BonusPoints = 0;
    game.History.clear();
    game.PotionsLeft = PotionUses;
    game.PotionPoints = 0;
    game.GroupSize = 0;
}

} // namespace engine
