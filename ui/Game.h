// What the other windows see of the main window's unit: the one game in
// play, and the main window's two toggles that the score summary's and the
// record table's close boxes run, so that the buttons' captions follow,
// and the way back to it for the keyboard.
#pragma once

#include "Engine.h"

class QKeyEvent;
class QObject;
class QWidget;

// The one game: module-wide state of the main window's unit.
extern engine::GameState Game;

// Form1->Button1Click, the score summary's toggle.
void ToggleScoreWindow(QObject* sender);
// Form1->Button2Click, the record table's toggle.
void ToggleRecordWindow(QObject* sender);
// Esc on one of the other windows: closes it as its close box does and
// gives the keyboard back to the main window. True when the key was Esc.
bool CloseOnEscape(QWidget* window, const QKeyEvent* event);
