// The few platform calls the window logic makes.  The Windows program
// implements them over user32, gdi32, comdlg32 and shell32 (win32_main.cpp);
// the unit tests link a recording double instead.  Controls are named by
// their control id (their row in the control table), the main window is
// implied.  Texts are handed over as the bytes they are (code page 932 in the
// Windows program).
#pragma once

#include <cstdint>

#include "window/control_table.h"

enum : int { BAR_HORIZONTAL = 0, BAR_VERTICAL = 1 };

// Scroll-bar codes as the scroll messages carry them.
enum : int {
  SCROLL_LINE_UP = 0,
  SCROLL_LINE_DOWN = 1,
  SCROLL_PAGE_UP = 2,
  SCROLL_PAGE_DOWN = 3,
  SCROLL_THUMB_POSITION = 4,
  SCROLL_THUMB_TRACK = 5,
  SCROLL_TOP = 6,
  SCROLL_BOTTOM = 7,
  SCROLL_END = 8,
};

struct ScrollBarState {
  int min, max, page, pos, trackPos;
};

// Child controls.
bool uiCreateControl(int id, const char* className, uint32_t style, int x, int y, int width,
                     int height);
void uiSetControlText(int id, const char* text);
// Reads the control's text into buf of `size` bytes (always terminated);
// buf stays as it is when the control does not exist.
void uiGetControlText(int id, char* buf, int size);
void uiSetCheck(int id, bool checked);
void uiEnableControl(int id, bool enabled);

// The main window.
void uiInvalidateAll();  // the whole client area, with erasing
void uiUpdateNow();      // paint what is invalid at once
void uiScrollClient(int dx, int dy);
void uiMoveMainWindow(int x, int y, int width, int height);
void uiSizeMainWindow(int width, int height);  // keeps the position, brought to the top
bool uiGetMainWindowRect(int* left, int* top, int* right, int* bottom);
void uiQuit(int exitCode);

// The full path of a relative name against the current directory; returns
// its length, 0 on failure, or more than size - 1 when it does not fit.
int uiFullPathName(const char* name, char* buf, int size);
// Width and height of the virtual screen (all monitors).
void uiGetVirtualScreenSize(int* width, int* height);

// Scroll bars: reading all of a bar; setting the position (the platform
// clamps it) and reading back where it landed; setting range and page.
void uiGetScrollBar(int bar, ScrollBarState* state);
int uiSetScrollPosition(int bar, int pos);
void uiSetScrollRange(int bar, int max, int page);

// Text measured in the window's text font at a character height of
// fontHeight pixels: the extent of one line, and the height text takes
// word-wrapped to `width` pixels (line feeds break lines).
void uiMeasureText(int fontHeight, const char* text, int* width, int* height);
int uiMeasureWrappedHeight(int fontHeight, const char* text, int width);
// The width of the mark of a radio button or check box.
int uiCheckMarkWidth();
// The font a control draws its text in.
void uiSetControlFont(int id, int fontHeight);

// Painting, valid only while the paint handler runs; texts are drawn in the
// font last set.
void uiSetPaintFont(int fontHeight);
void uiDrawText(const PixelRect& rect, const char* text, uint32_t format);
void uiDrawEdge(const PixelRect& rect, uint32_t edgeType, uint32_t borderFlags);

// A read-only box with a vertical scroll bar at rect (client pixels) that
// shows text (line feeds break lines) in a font of fontHeight, for a text
// too long to be painted whole; and hiding it again.
void uiShowTextBox(const PixelRect& rect, const char* text, int fontHeight);
void uiHideTextBox();

// A modal box with an OK button, owned by the main window.
void uiMessageBox(const char* text, const char* caption);
// The open-file dialog with one filter ("label\0pattern\0\0"); `file` holds
// the initial name and receives the chosen full path.  True when the user
// confirmed.
bool uiOpenFileDialog(const char* filter, char* file, int size);
// Opens the file with the program the system associates with it.
void uiShellOpen(const char* path);
