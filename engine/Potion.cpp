// The magic potion: one panel gets a new kind, three times a game.
#include "Engine.h"

namespace engine {

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
