// Group search and the hover highlight.
#include "Engine.h"

namespace engine {

int CountGroup(GameState& game, int column, int row, int kind)
{
    // The start cell is not marked here: its first same-kind neighbour
    // reaches back to it, so a lone panel counts 0 and a group its full
    // size. The border of empty cells stops the search at the edges; the
    // depth is at most the group's size (1,600 on the largest board).
    static constexpr int Steps[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    int count = 0;
    for (const auto& step : Steps) {
        const int x = column + step[0];
        const int y = row + step[1];
        if (game.Board[x][y] == kind && game.GroupMark[x][y] == 0) {
            game.GroupMark[x][y] = 1;
            count += 1 + CountGroup(game, x, y, kind);
        }
    }
    return count;
}

void ClearHover(GameState& game, BoardView& view)
{
    for (int c = 1; c <= game.ColumnCount; ++c) {
        for (int r = 1; r <= game.RowCount; ++r) {
            if (game.GroupMark[c][r] == 0)
                continue;
            view.drawOutline(c, r); // the inverting pen takes the old outline off
            game.GroupMark[c][r] = 0;
            if (game.Board[c][r] >= PotionTargetOffset) {
                game.Board[c][r] -= PotionTargetOffset;
                view.clearCell(c, r);
                view.drawPicture(c, r, game.Board[c][r]);
                view.prepareCanvas(c, r);
            }
        }
    }
}

void HoverCell(GameState& game, BoardView& view, int column, int row)
{
    ClearHover(game, view);

    if (game.Board[column][row] == EmptyCell) {
        game.GroupSize = 0; // no potion target on an empty cell either
        return;
    }

    game.GroupSize = CountGroup(game, column, row, game.Board[column][row]);
    if (game.GroupSize >= 2) {
        game.GroupMark[column][row] = 1;
        for (int c = 1; c <= game.ColumnCount; ++c)
            for (int r = 1; r <= game.RowCount; ++r)
                if (game.GroupMark[c][r] == 1)
                    view.drawOutline(c, r);
    }

    if (game.PotionMode) {
        // The flask is drawn over the panel without clearing it, so the
        // panel stays visible around it; the offset tells the next clearing
        // to restore the panel's own picture.
        game.GroupMark[column][row] = 1;
        view.drawPicture(column, row, PotionPicture);
        game.Board[column][row] += PotionTargetOffset;
    }
}

std::string GroupText(int groupSize)
{
    if (groupSize < 2)
        return "0";
    const int bonus = (groupSize - 2) * (groupSize - 2);
    return std::to_string(groupSize) + "(+" + std::to_string(bonus) + ")";
}

} // namespace engine
