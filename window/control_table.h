// The main window's layout as data: one constant row per child control or
// painted item, with its kind, the setting it shows, its window style, its
// position in tenths of a character cell and its label in both languages.
// The row index is the control id.  Also the cell size and scroll offsets
// that turn those positions into client pixels.  No platform calls here.
#pragma once

#include <cstdint>

enum : int { CONTROL_COUNT = 50 };

// ControlKind codes; any other code (-1 marks an empty row) is nothing.
enum : int {
  KIND_NONE = -1,
  KIND_PAINT_LABEL = 1,
  KIND_PAINT_TEXT = 2,
  KIND_PAINT_DECIMAL = 3,
  KIND_PAINT_HEX = 4,
  KIND_PAINT_EDGE = 11,
  KIND_PUSH_BUTTON = 21,
  KIND_RADIO_BUTTON = 22,
  KIND_CHECK_BOX = 23,
  KIND_GROUP_BOX = 24,
  KIND_STATIC_LABEL = 31,
  KIND_STATIC_TEXT = 32,
  KIND_STATIC_DECIMAL = 33,
  KIND_STATIC_HEX = 34,
  KIND_EDIT = 41,
};

// Control ids that the command handling knows by name.
enum : int {
  ID_LANGUAGE = 1,
  ID_DEFAULT_SIZE = 2,
  ID_FILE_SELECT = 6,
  ID_INPUT_FIRST = 8,  // the input-format group: id - 8 is the format
  ID_CADVANCE = 8,
  ID_MM2_COLMO = 9,
  ID_INPUT_RFU = 10,
  ID_PROTEL = 11,
  ID_TELESIS = 12,
  ID_CCF = 13,
  ID_PADS = 14,
  ID_TARGET_SELECT = 19,
  ID_KICAD_V5 = 21,  // the project-kind group: id - 21 is the kind
  ID_KICAD_V6 = 22,
  ID_NO_MOUNT_EDIT = 27,
  ID_OUTPUT_NAME_WITH_REV = 28,
  ID_VERSION_SELECT_EDIT = 30,
  ID_FORMAT_OPTION_EDIT = 31,
  ID_EXECUTE = 38,
  ID_OPEN_CSV = 39,
  ID_RESULT_TEXT = 43,
};

// Window styles and drawing flags, with the values the Windows headers give
// them (the Windows layer checks that they agree).
enum : uint32_t {
  STYLE_CHILD = 0x40000000u,
  STYLE_VISIBLE = 0x10000000u,
  STYLE_BORDER = 0x00800000u,
  STYLE_PUSH_BUTTON = 0x0u,
  STYLE_CHECK_BOX = 0x2u,
  STYLE_RADIO_BUTTON = 0x4u,
  STYLE_GROUP_BOX = 0x7u,
  STYLE_BUTTON_LEFT = 0x100u,
  STYLE_STATIC_LEFT = 0x0u,
  STYLE_STATIC_RIGHT = 0x2u,
  STYLE_EDIT_AUTO_HSCROLL = 0x80u,
  DRAW_WORD_BREAK = 0x10u,
  DRAW_PATH_ELLIPSIS = 0x4000u,
};

// Marks a child control that is created disabled (in the groupBase field).
enum : int { GROUP_BASE_DISABLED = 2 };

struct ControlRecord {
  int32_t kind;
  int32_t valueIndex;  // into settingValues or settingTexts, by kind; -1 unused
  int32_t groupBase;   // radio: first id of its group; edge: border flags;
                       // other controls: 2 = created disabled; -1 unused
  uint32_t style;      // window style, text drawing format or edge type
  int32_t left, top, right, bottom;  // tenths of a cell
  const char* labels[2];             // Japanese, English; null when unused
};

// Defined constexpr, so that the rows the command handling names are
// checked against the ids above when the program is compiled.
extern const ControlRecord controlTable[CONTROL_COUNT];

// The character cell in pixels and the scroll offsets (in cells and lines,
// never positive) of the content's origin from the client area's origin.
extern int charWidth;
extern int lineHeight;
extern int scrollX;
extern int scrollY;

struct PixelRect {
  int left, top, right, bottom;
};

// The client-pixel rectangle of a row for the current cell and scroll
// offsets; each product of tenths and cell size is divided by 10 with
// truncation.
PixelRect mapRowRect(const ControlRecord& row);

// The system control class a row creates ("button", "static", "edit"), or
// null for rows that create no control.
const char* controlClassName(int kind);

// Whether the row's control carries its label as its text.
bool kindHasLabel(int kind);

// The row's label for `language` (anything but 1 reads as Japanese); the
// empty text when the row has none.
const char* rowLabel(const ControlRecord& row, int language);
