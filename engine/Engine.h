// The steps of the game, as plain functions over the one GameState. They draw
// cells only through a BoardView; labels, dialogs and the other windows are
// the caller's business, and each function says what the caller does next.
#pragma once

#include <string>

#include "BoardView.h"
#include "GameState.h"

namespace engine {

// --- Board setup ----------------------------------------------------------

// Deals a new board for the current settings and resets the counters. False
// when the undo store cannot be obtained: then the kind counts are zero and
// the game has no board (BoardReady() is false) until a setup succeeds. The
// caller creates a cell picture per cell and draws Board[c][r] on it.
bool SetupBoard(GameState& game);

// A fresh game's ledger for the panels on the board: Score is minus
// RemainingPanels, the charges and the bonus are 0, the history is empty and
// the three potion uses are back. Board setup and restart end with it.
void ResetLedger(GameState& game);

// --- Group search and hover -----------------------------------------------

// Number of cells newly marked by a search from (column, row) over the edge
// neighbours of the given kind: 0 for a lone panel, else the group's size.
// GroupMark must be all 0 on entry.
int CountGroup(GameState& game, int column, int row, int kind);

// Removes the outline of the latest hover and restores a potion target to
// its own picture. GroupSize is left as it is.
void ClearHover(GameState& game, BoardView& view);

// The pointer moved over (column, row): clear the old hover, mark and
// outline the new group, and in the potion mode show the potion's target.
void HoverCell(GameState& game, BoardView& view, int column, int row);

// The text shown after "連結" for the latest hover.
std::string GroupText(int groupSize);

// --- Moves ----------------------------------------------------------------

// Erases the outlined group the player clicked, lets the panels above fall,
// closes up empty columns and records the move for undo. False when there is
// nothing to erase; otherwise the caller runs its after-change refresh.
bool ResolveMove(GameState& game, int column, int row);

// Points a move of n panels brings: (n - 2)^2 for the group plus n for the
// panels that no longer count against the score.
inline int MovePoints(int n)
{
    return (n - 2) * (n - 2) + n;
}

// The board part of the after-change refresh: recount the kinds and the
// panels, redraw every cell, recompute the bonus and forget the hover's group
// size, so that no click erases anything before the next hover.
void RecountAndRedraw(GameState& game, BoardView& view);

// Brings a board that a refused step left behind back to plain play: every
// potion offset and mark off, then the recount and redraw above.
void SettleBoard(GameState& game, BoardView& view);

// The end test: true while two edge-joined panels of one kind remain.
bool MoveRemains(const GameState& game);

// --- Magic potion ---------------------------------------------------------

// The potion button: the mode goes on; the next click on a panel re-rolls
// it. EndPotionMode is the one way out of the mode.
void StartPotionMode(GameState& game);

// Ends the potion mode. Whatever came between the latest hover and this
// (a press on one cell released on another, a modal box while the pointer
// moved), no panel keeps the target's offset: each target left gets its own
// picture back and loses its mark.
void EndPotionMode(GameState& game, BoardView& view);

// A click in the potion mode: gives the panel at (column, row) a new kind,
// different from its own, and redraws it. False on an empty cell, where the
// click is ignored and the mode stays on. After true the caller ends the mode
// and then runs ChargePotion.
bool RerollPanel(GameState& game, BoardView& view, int column, int row);

// Takes one potion use and its charge off the ledger.
void ChargePotion(GameState& game);

// --- Undo, restart and new board -------------------------------------------

// Takes back the newest move: reopens its closed columns, puts its panels
// back and charges the undo. False, with nothing changed, when the history is
// empty; otherwise the caller runs its after-change refresh.
//
// Every step here that can meet a broken state (a move, the recount, undo,
// restart) throws InvariantError before it changes anything.
bool UndoMove(GameState& game);

// Puts the board back as dealt and resets the ledger; the caller's
// after-change refresh draws it.
void RestartBoard(GameState& game);

// Deals a new board into InitialBoard, in the order of the first deal. The
// caller then restarts on it.
void DealNewBoard(GameState& game);

// --- Score ledger -----------------------------------------------------------

// Points for erased groups: what is left of Score when the other parts are
// taken out.
inline int ErasePoints(const GameState& g)
{
    return g.Score + g.RemainingPanels - g.UndoPoints - g.BonusPoints - g.PotionPoints;
}
inline int RemainingPanelPoints(const GameState& g)
{
    return -g.RemainingPanels;
}
// Score per cell; 0 before any board exists.
inline double StandardScore(const GameState& g)
{
    return g.PanelTotal == 0 ? 0.0 : static_cast<double>(g.Score) / g.PanelTotal;
}

} // namespace engine
