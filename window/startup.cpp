// Window creation and destruction: the cell, the settings file, the child
// controls and the placement of the window.
#include "window/startup.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "options/options.h"
#include "options/settings_file.h"
#include "window/content.h"
#include "window/text_fit.h"

char settingsPath[SETTINGS_PATH_SIZE];

namespace {

const char programName[] = "Korvandelith" ".exe";
char defaultCategoryPath[SETTINGS_PATH_SIZE];

// Sets the initial state of one freshly created control from its setting.
void initialiseControl(int id, const ControlRecord& row) {
  char number[50];
  switch (row.kind) {
    case KIND_RADIO_BUTTON:
      uiSetCheck(id, settingValues[row.valueIndex] == id - row.groupBase);
      break;
    case KIND_CHECK_BOX:
      uiSetCheck(id, settingValues[row.valueIndex] != 0);
      break;
    case KIND_STATIC_TEXT:
    case KIND_EDIT:
      uiSetControlText(id, settingTexts[row.valueIndex]);
      break;
    case KIND_STATIC_DECIMAL:
      snprintf(number, sizeof number, "%d", static_cast<int>(settingValues[row.valueIndex]));
      uiSetControlText(id, number);
      break;
    case KIND_STATIC_HEX:
      snprintf(number, sizeof number, "%x", static_cast<unsigned>(settingValues[row.valueIndex]));
      uiSetControlText(id, number);
      break;
    default:
      break;  // labels come with the label pass
  }
  if (row.kind != KIND_RADIO_BUTTON && row.groupBase == GROUP_BASE_DISABLED)
    uiEnableControl(id, false);
}

void createControls() {
  for (int id = 0; id < CONTROL_COUNT; id++) {
    const ControlRecord& row = controlTable[id];
    const char* className = controlClassName(row.kind);
    if (className == nullptr) continue;
    PixelRect rect = mapRowRect(row);
    uiCreateControl(id, className, row.style, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top);
    initialiseControl(id, row);
  }
}

}  // namespace

void setCharacterCell(const FontMetrics& metrics) {
  charWidth = metrics.averageWidth;
  if (metrics.pitchAndFamily & 1) charWidth = charWidth * 3 / 2;
  lineHeight = metrics.height + metrics.externalLeading;
  baseFontHeight = metrics.height;
  // A font reporting no size would leave nothing to divide the client by.
  if (charWidth < 1) charWidth = 1;
  if (lineHeight < 1) lineHeight = 1;
}

int defaultWindowWidth() { return charWidth * 540 / 10 + 10; }

int defaultWindowHeight() { return lineHeight * 290 / 10; }

void formSettingsPaths(const char* fullPath, int length, char* categoryPath) {
  settingsPath[0] = '\0';
  categoryPath[0] = '\0';
  if (length < 3 || length > SETTINGS_PATH_SIZE - 1) return;
  if (strnlen(fullPath, SETTINGS_PATH_SIZE) != static_cast<size_t>(length)) return;
  size_t stem = static_cast<size_t>(length) - 3;  // without "exe"
  memcpy(settingsPath, fullPath, stem);
  memcpy(settingsPath + stem, "ini", 4);
  memcpy(categoryPath, fullPath, stem);
  memcpy(categoryPath + stem, "csv", 4);
}

WindowPlacement placeWindow(int screenWidth, int screenHeight) {
  int32_t* v = settingValues;
  // Saved values may be anything: the arithmetic runs in 64 bits.
  int64_t width = static_cast<int64_t>(v[VAL_WINDOW_RIGHT]) - v[VAL_WINDOW_LEFT];
  int64_t height = static_cast<int64_t>(v[VAL_WINDOW_BOTTOM]) - v[VAL_WINDOW_TOP];
  if (static_cast<int64_t>(v[VAL_WINDOW_LEFT]) + 200 > screenWidth) {
    v[VAL_WINDOW_RIGHT] = screenWidth;
    v[VAL_WINDOW_LEFT] = 0;
  }
  if (static_cast<int64_t>(v[VAL_WINDOW_TOP]) + 150 > screenHeight) {
    v[VAL_WINDOW_BOTTOM] = screenHeight;
    v[VAL_WINDOW_TOP] = 0;
  }
  if (width <= 5 || height <= 5 || width > INT32_MAX || height > INT32_MAX) {
    width = defaultWindowWidth();
    height = defaultWindowHeight();
  }
  // A window whose saved place lies left of or above the screen (a settings
  // file from a larger screen, or a damaged one) would open where it can be
  // neither seen nor reached by the mouse or the keyboard focus: it comes
  // back to the screen's edge, keeping its size.  A window larger than the
  // screen counts as the screen's size, as the platform shows it no larger.
  int64_t shownWidth = width < screenWidth ? width : screenWidth;
  int64_t shownHeight = height < screenHeight ? height : screenHeight;
  if (static_cast<int64_t>(v[VAL_WINDOW_LEFT]) + shownWidth < 200) v[VAL_WINDOW_LEFT] = 0;
  if (static_cast<int64_t>(v[VAL_WINDOW_TOP]) + shownHeight < 150) v[VAL_WINDOW_TOP] = 0;
  return {v[VAL_WINDOW_LEFT], v[VAL_WINDOW_TOP], static_cast<int>(width), static_cast<int>(height)};
}

void createWindowContent(const FontMetrics& metrics) {
  setCharacterCell(metrics);
  scrollX = 0;
  scrollY = 0;
  static char fullPath[SETTINGS_PATH_SIZE];
  int length = uiFullPathName(programName, fullPath, SETTINGS_PATH_SIZE);
  formSettingsPaths(fullPath, length, defaultCategoryPath);
  // Reset, default category file, the settings file, the two corrections.
  startSettings(settingsPath, defaultCategoryPath);
  createControls();
  relabelControls();
  fitControlFonts();
  int screenWidth = 0;
  int screenHeight = 0;
  uiGetVirtualScreenSize(&screenWidth, &screenHeight);
  WindowPlacement place = placeWindow(screenWidth, screenHeight);
  uiMoveMainWindow(place.x, place.y, place.width, place.height);
}

void destroyWindowContent() {
  if (settingsPath[0] != '\0') {
    readBackEditTexts();
    int left, top, right, bottom;
    if (uiGetMainWindowRect(&left, &top, &right, &bottom)) {
      settingValues[VAL_WINDOW_LEFT] = left;
      settingValues[VAL_WINDOW_TOP] = top;
      settingValues[VAL_WINDOW_RIGHT] = right;
      settingValues[VAL_WINDOW_BOTTOM] = bottom;
    }
    if (!writeSettingsFile(settingsPath)) {
      // The old file stays whole; the user learns that this session's
      // settings were not kept.
      static char text[SETTINGS_PATH_SIZE + 100];
      snprintf(text, sizeof text, "%s%s", messageText(MSG_CANT_WRITE_OUTPUT), settingsPath);
      uiMessageBox(text, "Error");
    }
  }
  uiQuit(0);
}
