// What the other windows see of the main window's unit: the one game in
// play, and the main window's two toggles that the score summary's and the
// record table's close boxes run, so that the buttons' captions follow,
// and the way back to it for the keyboard.
#pragma once

#include "Engine.h"

class QObject;

// The one game: module-wide state of the main window's unit.
extern engine::GameState Game;

// Form1->Button1Click, the score summary's toggle.
void ToggleScoreWindow(QObject* sender);
// Form1->Button2Click, the record table's toggle.
void ToggleRecordWindow(QObject* sender);
// Gives the keyboard back to the main window, when there is one.
void ReturnKeysToGame();
