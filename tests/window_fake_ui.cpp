// The recording stand-in for the window's platform calls.
#include "tests/window_fake_ui.h"

#include <cstring>

FakeUi fakeUi;

namespace {

void logCall(const std::string& line) { fakeUi.log.push_back(line); }

// The platform's rule: the page is at most the range's size, the position
// lies between the minimum and maximum - page + 1.
void clampBar(ScrollBarState* bar) {
  int size = bar->max - bar->min + 1;
  if (bar->page > size) bar->page = size;
  if (bar->page < 0) bar->page = 0;
  int highest = bar->max - (bar->page > 0 ? bar->page - 1 : 0);
  if (bar->pos > highest) bar->pos = highest;
  if (bar->pos < bar->min) bar->pos = bar->min;
}

}  // namespace

void resetFakeUi() {
  fakeUi = FakeUi{};
  for (FakeControl& c : fakeUi.controls) c.enabled = true;
  fakeUi.screenWidth = 1920;
  fakeUi.screenHeight = 1080;
  fakeUi.quitCode = -1;
  fakeUi.checkMarkWidth = 13;
}

int fakeTextWidth(int fontHeight, const std::string& text) {
  int width = 0;
  for (unsigned char c : text) {
    if (c < 0x80) width += fontHeight / 2;
    else if (c >= 0xC0) width += fontHeight;
  }
  return width;
}

void uiMeasureText(int fontHeight, const char* text, int* width, int* height) {
  *width = fakeTextWidth(fontHeight, text);
  *height = fontHeight;
}

// Greedy word wrap at blanks, line feeds break lines; a word wider than the
// box does not fit at all.
int uiMeasureWrappedHeight(int fontHeight, const char* text, int width) {
  int lines = 0;
  std::string rest = text;
  while (!rest.empty()) {
    size_t end = rest.find('\n');
    std::string line = rest.substr(0, end);
    rest = end == std::string::npos ? "" : rest.substr(end + 1);
    lines++;
    int used = 0;
    size_t start = 0;
    while (start <= line.size()) {
      size_t blank = line.find(' ', start);
      std::string word = line.substr(start, blank == std::string::npos ? std::string::npos : blank - start);
      int w = fakeTextWidth(fontHeight, word);
      if (w > width) return 1 << 30;
      int needed = used == 0 ? w : used + fontHeight / 2 + w;
      if (needed > width) {
        lines++;
        used = w;
      } else {
        used = needed;
      }
      if (blank == std::string::npos) break;
      start = blank + 1;
    }
  }
  return lines * fontHeight;
}

int uiCheckMarkWidth() { return fakeUi.checkMarkWidth; }

void uiSetControlFont(int id, int fontHeight) { fakeUi.controlFont[id] = fontHeight; }

void uiSetPaintFont(int fontHeight) { fakeUi.paintFont = fontHeight; }

bool fakeLogged(const std::string& prefix) {
  for (const std::string& line : fakeUi.log)
    if (line.compare(0, prefix.size(), prefix) == 0) return true;
  return false;
}

bool uiCreateControl(int id, const char* className, uint32_t style, int x, int y, int width,
                     int height) {
  FakeControl& c = fakeUi.controls[id];
  c.created = true;
  c.className = className;
  c.style = style;
  c.x = x;
  c.y = y;
  c.width = width;
  c.height = height;
  c.text = " ";
  return true;
}

void uiSetControlText(int id, const char* text) { fakeUi.controls[id].text = text; }

void uiGetControlText(int id, char* buf, int size) {
  if (!fakeUi.controls[id].created) return;
  const std::string& text = fakeUi.controls[id].text;
  size_t n = text.size() < static_cast<size_t>(size - 1) ? text.size() : size - 1;
  memcpy(buf, text.data(), n);
  buf[n] = '\0';
  logCall("get text " + std::to_string(id));
}

void uiSetCheck(int id, bool checked) {
  fakeUi.controls[id].checked = checked;
  logCall("check " + std::to_string(id) + (checked ? " on" : " off"));
}

void uiEnableControl(int id, bool enabled) {
  fakeUi.controls[id].enabled = enabled;
  logCall("enable " + std::to_string(id) + (enabled ? " on" : " off"));
}

void uiInvalidateAll() { logCall("invalidate"); }

void uiUpdateNow() { logCall("update"); }

void uiScrollClient(int dx, int dy) {
  logCall("scroll " + std::to_string(dx) + " " + std::to_string(dy));
}

void uiMoveMainWindow(int x, int y, int width, int height) {
  fakeUi.windowX = x;
  fakeUi.windowY = y;
  fakeUi.windowWidth = width;
  fakeUi.windowHeight = height;
  logCall("move");
}

void uiSizeMainWindow(int width, int height) {
  fakeUi.windowWidth = width;
  fakeUi.windowHeight = height;
  logCall("size " + std::to_string(width) + " " + std::to_string(height));
}

bool uiGetMainWindowRect(int* left, int* top, int* right, int* bottom) {
  *left = fakeUi.windowX;
  *top = fakeUi.windowY;
  *right = fakeUi.windowX + fakeUi.windowWidth;
  *bottom = fakeUi.windowY + fakeUi.windowHeight;
  return true;
}

void uiQuit(int exitCode) { fakeUi.quitCode = exitCode; }

int uiFullPathName(const char*, char* buf, int size) {
  int n = static_cast<int>(fakeUi.fullPath.size());
  if (n > 0 && n < size) memcpy(buf, fakeUi.fullPath.c_str(), n + 1);
  return n < size ? n : n + 1;
}

void uiGetVirtualScreenSize(int* width, int* height) {
  *width = fakeUi.screenWidth;
  *height = fakeUi.screenHeight;
}

void uiGetScrollBar(int bar, ScrollBarState* state) { *state = fakeUi.bars[bar]; }

int uiSetScrollPosition(int bar, int pos) {
  fakeUi.bars[bar].pos = pos;
  clampBar(&fakeUi.bars[bar]);
  return fakeUi.bars[bar].pos;
}

void uiSetScrollRange(int bar, int max, int page) {
  fakeUi.bars[bar].min = 0;
  fakeUi.bars[bar].max = max;
  fakeUi.bars[bar].page = page;
  clampBar(&fakeUi.bars[bar]);
}

void uiDrawText(const PixelRect& rect, const char* text, uint32_t format) {
  fakeUi.draws.push_back({rect, text, format, fakeUi.paintFont});
}

void uiDrawEdge(const PixelRect& rect, uint32_t, uint32_t) {
  fakeUi.draws.push_back({rect, "<edge>", 0, fakeUi.paintFont});
}

void uiShowTextBox(const PixelRect& rect, const char* text, int fontHeight) {
  fakeUi.textBoxShown = true;
  fakeUi.textBox = {rect, text, 0, fontHeight};
}

void uiHideTextBox() { fakeUi.textBoxShown = false; }

void uiMessageBox(const char* text, const char* caption) {
  fakeUi.boxes.push_back({text, caption});
  logCall(std::string("box ") + caption);
}

bool uiOpenFileDialog(const char* filter, char* file, int size) {
  // The filter is "label\0pattern\0\0".
  size_t label = strlen(filter);
  fakeUi.dialogFilter = std::string(filter, label) + "|" + std::string(filter + label + 1);
  fakeUi.dialogInitial = file;
  fakeUi.dialogSize = size;
  if (!fakeUi.dialogConfirms) return false;
  size_t n = fakeUi.dialogChoice.size() < static_cast<size_t>(size - 1) ? fakeUi.dialogChoice.size()
                                                                      : size - 1;
  memcpy(file, fakeUi.dialogChoice.data(), n);
  file[n] = '\0';
  return true;
}

void uiShellOpen(const char* path) { fakeUi.shellOpened.push_back(path); }
