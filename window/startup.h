// The life of the main window apart from its commands: the character cell,
// the settings file's name, the creation of the child controls from the
// control table, the window's placement on the screen, and saving the
// settings when the window is destroyed.
#pragma once

#include "window/ui.h"

enum : int { SETTINGS_PATH_SIZE = 1000 };

// Full path of the settings file; empty when none is read or written.
extern char settingsPath[SETTINGS_PATH_SIZE];

// What the logic needs of the window font's text metrics.
struct FontMetrics {
  int averageWidth;
  int pitchAndFamily;  // bit 0 set for a variable-pitch font
  int height;
  int externalLeading;
};

// Sets charWidth and lineHeight: a variable-pitch font's average width
// counts one and a half times.
void setCharacterCell(const FontMetrics& metrics);

// The default outer size of the main window for the current cell.
int defaultWindowWidth();
int defaultWindowHeight();

// From the full path of the program's name in the current directory (and
// its length as the platform reported it), forms settingsPath and the
// default category file path (SETTINGS_PATH_SIZE bytes); both empty when
// the path failed or does not fit.
void formSettingsPaths(const char* fullPath, int length, char* categoryPath);

struct WindowPlacement {
  int x, y, width, height;
};

// Where the window opens: the saved rectangle, moved to the left or top edge
// when its corner lies too far right or down for the virtual screen, and the
// default size when the saved one is degenerate.
WindowPlacement placeWindow(int screenWidth, int screenHeight);

// Window creation: cell, settings, child controls, labels, placement.
void createWindowContent(const FontMetrics& metrics);

// Window destruction: saves the settings file and ends the message loop.
void destroyWindowContent();
