// Move resolution, the after-change recount and the end test.
#include "Engine.h"

namespace engine {

namespace {

bool PlainKind(const GameState& game, int value)
{
    return value >= 1 && value <= game.KindCount;
}

} // namespace

bool ResolveMove(GameState& game, int column, int row)
{
    // A move erases the group the latest hover outlined, and only when the
    // click lands on it: a stale group size (no hover since the board
    // changed) or a click beside the marks erases nothing.
    if (game.GroupSize < 2 || game.GroupMark[column][row] == 0)
        return false;

    // The marks must be one group of plain panels of the clicked kind, and
    // the history must have room for the whole move: checked before anything
    // changes, so a broken state is refused whole.
    const int kind = game.Board[column][row];
    if (!PlainKind(game, kind))
        throw InvariantError("a move on a cell that holds no plain kind");
    int marked = 0;
    for (int c = 1; c <= game.ColumnCount; ++c) {
        for (int r = 1; r <= game.RowCount; ++r) {
            if (game.GroupMark[c][r] == 0)
                continue;
            if (game.Board[c][r] != kind)
                throw InvariantError("a marked cell outside the clicked group");
            ++marked;
        }
    }
    if (marked != game.GroupSize)
        throw InvariantError("the marks are not the hovered group");
    if (game.History.room() < static_cast<std::size_t>(marked + game.ColumnCount + 1))
        throw InvariantError("no room in the history for a move");

    // The rightmost column still holding panels, found before anything is
    // erased; columns beyond it are empty.
    int lastColumn = game.ColumnCount;
    while (lastColumn >= 1 && game.Board[lastColumn][1] == EmptyCell)
        --lastColumn;

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
            game.History.push(CellTag(c, r));
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

    game.History.push(Pack({erased, closed, kind}));

    game.RemainingPanels -= erased;
    game.Score += MovePoints(erased);
    return true;
}

void RecountAndRedraw(GameState& game, BoardView& view)
{
    // Every cell must hold a plain kind or nothing: a potion target's offset
    // is taken off before any refresh. Checked before anything changes.
    for (int c = 1; c <= game.ColumnCount; ++c)
        for (int r = 1; r <= game.RowCount; ++r)
            if (game.Board[c][r] != EmptyCell && !PlainKind(game, game.Board[c][r]))
                throw InvariantError("a refresh of a board that holds no plain kind");

    for (int& count : game.KindCounts)
        count = 0;
    game.RemainingPanels = 0;
    for (int c = 1; c <= game.ColumnCount; ++c) {
        for (int r = 1; r <= game.RowCount; ++r) {
            const int value = game.Board[c][r];
            view.clearCell(c, r);
            if (value == EmptyCell)
                continue; // an empty cell shows nothing
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

void SettleBoard(GameState& game, BoardView& view)
{
    for (int c = 1; c <= game.ColumnCount; ++c) {
        for (int r = 1; r <= game.RowCount; ++r) {
            if (game.Board[c][r] >= PotionTargetOffset)
                game.Board[c][r] -= PotionTargetOffset;
            game.GroupMark[c][r] = 0;
        }
    }
    RecountAndRedraw(game, view);
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
