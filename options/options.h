// Option store and two-language message table.
//
// Every option of the program lives here at a fixed index: 20 integer
// settings and 20 text settings of 10000 bytes.  The window fills the store
// from its settings file and controls, the conversion run reads its options
// from it and leaves its results in it.  Nothing here calls the platform.
#pragma once

#include <cstdint>

enum : int {
  SETTING_COUNT = 20,
  SETTING_TEXT_SIZE = 10000,           // bytes per text, terminator included
  SETTING_TEXT_MAX = SETTING_TEXT_SIZE - 1,
};

// Indexes into settingValues.
enum : int {
  VAL_LANGUAGE = 0,
  VAL_WINDOW_LEFT = 1,
  VAL_WINDOW_TOP = 2,
  VAL_WINDOW_RIGHT = 3,
  VAL_WINDOW_BOTTOM = 4,
  VAL_FORMAT_OPTION_VALUE = 7,
  VAL_INPUT_FORMAT = 10,
  VAL_PROJECT_KIND = 11,
  VAL_OUTPUT_NAME_WITH_REV = 12,
};

// Indexes into settingTexts.
enum : int {
  TXT_INPUT_NETLIST_PATH = 0,
  TXT_PROJECT_PATH = 1,
  TXT_NO_MOUNT_SYMBOL = 2,
  TXT_CATEGORY_CSV_PATH = 3,
  TXT_REPORT_PATH = 4,
  TXT_RESULT_TEXT = 5,
  TXT_VERSION_SELECT = 6,
  TXT_FORMAT_OPTION = 7,
};

// Input formats (values of VAL_INPUT_FORMAT).
enum : int {
  FORMAT_CADVANCE = 0,
  FORMAT_MM2_COLMO = 1,
  FORMAT_RFU = 2,
  FORMAT_PROTEL = 3,
  FORMAT_TELESIS = 4,
  FORMAT_CCF = 5,
  FORMAT_PADS = 6,
};

// Target projects (values of VAL_PROJECT_KIND).  KiCad 6 and later read
// their netlists as UTF-8 and keep their projects in "*.kicad_pro".
enum : int {
  PROJECT_KIND_KICAD5 = 0,
  PROJECT_KIND_KICAD6 = 1,
};

// Message pairs; the text of pair p is slot 2*p + language.
enum : int {
  MSG_CANT_CHANGE_WHILE_RUNNING = 0,
  MSG_CANT_OPEN_INPUT = 10,
  MSG_CANT_CREATE_OUTPUT = 11,
  MSG_FORMAT_ERROR = 12,
  MSG_CANT_OPEN_CSV = 13,
  MSG_FORMAT_OPTION_ERROR = 14,
  MSG_CANT_WRITE_OUTPUT = 15,
  MESSAGE_PAIR_COUNT = 20,
};

extern int32_t settingValues[SETTING_COUNT];
extern char settingTexts[SETTING_COUNT][SETTING_TEXT_SIZE];

// All values to 0, all texts empty.
void resetSettings();

// Bounded copy of src into text setting `index` (at most 9999 characters).
void setSettingText(int index, const char* src);

// The text of message pair `pair` in the current language.  A language
// outside 0..1 reads as Japanese, and unused pairs give the empty text.
const char* messageText(int pair);

// The corrections applied after the settings file is read (or found
// missing): a language other than 0 or 1 becomes 0, and a format option
// that does not begin with '0'..'3' becomes "1".
void correctSettings();
