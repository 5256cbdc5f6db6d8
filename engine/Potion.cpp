// The magic potion: one panel gets a new kind, three times a game.
#include "Engine.h"

namespace engine {

void StartPotionMode(GameState& game)
{
    game.PotionMode = true;
}

void EndPotionMode(GameState& game, BoardView& view)
{
    for (int c = 1; c <= game.ColumnCount; ++c) {
        for (int r = 1; r <= game.RowCount; ++r) {
            if (game.Board[c][r] < PotionTargetOffset)
                continue;
            game.Board[c][r] -= PotionTargetOffset;
            game.GroupMark[c][r] = 0;
            view.clearCell(c, r);
            view.drawPicture(c, r, game.Board[c][r]);
            view.prepareCanvas(c, r);
        }
    }
    game.PotionMode = false;
}

bool RerollPanel(GameState& game, BoardView& view, int column, int row)
{
    if (game.Board[column][row] == EmptyCell)
        return false;

    // The current kind, with the potion target's offset taken off. There
    // are at least three kinds, so the loop ends.
    const int current = game.Board[column][row] % PotionTargetOffset;
    int kind = game.DealKind();
    while (kind == current)
        kind = game.DealKind();

    game.Board[column][row] = kind;
    game.GroupMark[column][row] = 0;
    view.clearCell(column, row);
    view.drawPicture(column, row, kind);
    view.prepareCanvas(column, row);
    return true;
}

void ChargePotion(GameState& game)
{
    --game.PotionsLeft;
    game.PotionPoints -= PotionCharge;
    game.Score -= PotionCharge;
    game.GroupSize = 0;
}

} // namespace engine
