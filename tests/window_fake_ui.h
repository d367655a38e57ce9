// A recording stand-in for the window's platform calls, linked into the
// unit tests in place of the Windows layer.  Controls keep their text, check
// mark and enabled state; scroll bars clamp their position the way the
// platform does; every other call is logged as a short line.
#pragma once

#include <string>
#include <vector>

#include "window/ui.h"

struct FakeControl {
  bool created;
  std::string className;
  uint32_t style;
  int x, y, width, height;
  std::string text;
  bool checked;
  bool enabled;
};

struct FakeDraw {
  PixelRect rect;
  std::string text;
  uint32_t format;
  int fontHeight;
};

struct FakeBox {
  std::string text;
  std::string caption;
};

struct FakeUi {
  FakeControl controls[CONTROL_COUNT];
  ScrollBarState bars[2];
  std::vector<std::string> log;
  std::vector<FakeDraw> draws;
  std::vector<FakeBox> boxes;
  std::vector<std::string> shellOpened;
  // What the platform reports.
  std::string fullPath;  // of the program's name; empty = failure
  int screenWidth, screenHeight;
  int windowX, windowY, windowWidth, windowHeight;
  // The file dialog: what it was given and how it answers.
  std::string dialogFilter, dialogInitial;
  int dialogSize;
  bool dialogConfirms;
  std::string dialogChoice;
  int quitCode;  // -1 until uiQuit
  // Fonts: each control's height; the paint font; the mark's width.
  int controlFont[CONTROL_COUNT];
  int paintFont;
  int checkMarkWidth;
  // The scrolling text box: shown or not, where, what.
  bool textBoxShown;
  FakeDraw textBox;
};

// The stand-in's font: at height h an ASCII character is h / 2 wide, any
// other character (one UTF-8 sequence) h wide, and a line is h high.
int fakeTextWidth(int fontHeight, const std::string& text);

extern FakeUi fakeUi;

// A fresh fake: no controls, bars at 0 with range 0..0, a 1920 x 1080 screen.
void resetFakeUi();

// Whether a call starting with `prefix` was logged.
bool fakeLogged(const std::string& prefix);
