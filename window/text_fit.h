// Fonts that let every text of the window show whole inside the rectangle
// the control table gives it.  The cell that positions the controls comes
// from the window's own font; the texts are drawn in fonts of their own,
// each as tall as the window font's characters or smaller: a control takes
// the largest height at which its label, in either language, fits beside
// its decoration (the mark of a radio button or check box, a button's
// border), and the result box the largest at which the whole word-wrapped
// result fits its height.  Measuring is the platform's (window/ui.h).
#pragma once

#include "window/control_table.h"

// Heights in pixels of the fonts tried: from the window font's character
// height down to this.
enum : int { SMALLEST_FONT_HEIGHT = 8 };

// The window font's character height, set with the cell at creation; the
// font of the painted paths and the edit boxes.
extern int baseFontHeight;

// The font height each control was given (0 for rows without a control).
extern int controlFontHeight[CONTROL_COUNT];

// Pixels of a control's width that its label cannot use at this font
// height: the mark and gap of a radio button or check box, the borders of a
// push button, the indents of a group box's title.
int labelDecorationWidth(int kind, int fontHeight);
// Pixels of its height that its label cannot use.
int labelDecorationHeight(int kind);

// Whether text fits on one line in a control of `kind` that is width x
// height pixels, at this font height.
bool labelFits(int kind, const char* text, int width, int height, int fontHeight);

// The largest font height, from baseFontHeight down to SMALLEST_FONT_HEIGHT,
// at which both labels of the row fit its mapped rectangle (an edit box:
// at which a line of text fits its height).  SMALLEST_FONT_HEIGHT when none
// does.
int fitRowFont(const ControlRecord& row);

// Gives every control its font: radio buttons of one group share the
// smallest height any of them needs, so the group reads as one.
void fitControlFonts();

// The largest font height at which text, word-wrapped to the width of
// rect, fits its height; 0 when not even SMALLEST_FONT_HEIGHT does.
int fitWrappedFont(const char* text, const PixelRect& rect);
