// What the main window shows and how it scrolls: painting the painted rows
// of the control table, relabelling the controls, reading the edit boxes
// back into the option store, and the resize and scroll handling with its
// arithmetic.  Platform calls go through window/ui.h.
#pragma once

#include "window/ui.h"

// The content's extent for the scroll bars, in cells and lines.
enum : int { CONTENT_COLUMNS = 52, CONTENT_LINES = 25 };

// Draws every painted row that does not start left of the client area.
void paintControls();

// Gives every labelled control its label for the current language.
void relabelControls();

// Copies the text of every edit box, in row order, into its text setting
// (at most 9999 characters).
void readBackEditTexts();

// Size message: brings scrolled-away content back first, then sets both
// bars' range and page.
void handleResize(int width, int height);

// Scroll message for one bar with its scroll code.
void handleScroll(int bar, int code);

// How many cells (or lines) content scrolled to `scroll` (never positive)
// comes back when `visible` of them fit and the content is `extent` long.
int comeBackSteps(int scroll, int visible, int extent);

// The position a scroll code asks for, before the platform clamps it.
int scrollTargetPosition(int code, const ScrollBarState& bar);

// How far the content moves when the bar went from oldPos to newPos: the
// difference, but never past the content's own origin.
int scrollStep(int oldPos, int newPos, int scroll);
