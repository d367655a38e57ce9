// The control table of the main window and the mapping of its rows to
// client pixels.  The Japanese labels are UTF-8 in this source; the Windows
// build stores every narrow literal in code page 932.
#include "window/control_table.h"

#include "options/options.h"
#include "readers/formats.h"

int charWidth = 8;
int lineHeight = 16;
int scrollX = 0;
int scrollY = 0;

namespace {

constexpr uint32_t CHILD = STYLE_CHILD | STYLE_VISIBLE;
constexpr uint32_t BUTTON = CHILD | STYLE_PUSH_BUTTON;
constexpr uint32_t RADIO = CHILD | STYLE_RADIO_BUTTON;
constexpr uint32_t GROUP = CHILD | STYLE_GROUP_BOX;
constexpr uint32_t EDIT = CHILD | STYLE_BORDER | STYLE_EDIT_AUTO_HSCROLL;

#define EMPTY_ROW {KIND_NONE, -1, -1, 0, 0, 0, 0, 0, {nullptr, nullptr}}

}  // namespace

constexpr ControlRecord controlTable[CONTROL_COUNT] = {
    /* 0 */ {KIND_STATIC_LABEL, -1, -1, CHILD | STYLE_STATIC_LEFT, 10, 6, 400, 16,
             {"他CADネットリストをKiCad用に変換します。", "Convert a netlist to KiCad netlist."}},
    /* 1 */ {KIND_PUSH_BUTTON, -1, -1, BUTTON, 410, 5, 500, 17, {"English", "Japanese"}},
    /* 2 */ {KIND_PUSH_BUTTON, -1, -1, BUTTON, 505, 5, 520, 17, {"#", "#"}},
    /* 3 */ EMPTY_ROW,
    /* 4 */ EMPTY_ROW,
    /* 5 */ {KIND_GROUP_BOX, -1, -1, GROUP, 10, 20, 520, 80, {"入力ネットリスト", "Input netlist"}},
    /* 6 */ {KIND_PUSH_BUTTON, 0, -1, BUTTON, 20, 35, 120, 47, {"ファイル選択", "File Select"}},
    /* 7 */ {KIND_PAINT_TEXT, 0, -1, DRAW_PATH_ELLIPSIS, 130, 35, 510, 47, {nullptr, nullptr}},
    /* 8 */ {KIND_RADIO_BUTTON, 10, 8, RADIO, 20, 50, 110, 62, {"CADVANCE", "CADVANCE"}},
    /* 9 */ {KIND_RADIO_BUTTON, 10, 8, RADIO, 120, 50, 220, 62, {"MM-2/Colmo", "MM-2/Colmo"}},
    /* 10 */ {KIND_RADIO_BUTTON, 10, 8, RADIO, 230, 50, 310, 62, {"(RFU)", "(RFU)"}},
    /* 11 */ {KIND_RADIO_BUTTON, 10, 8, RADIO, 310, 50, 410, 62, {"Protel(Altium)", "Protel(Altium)"}},
    /* 12 */ {KIND_RADIO_BUTTON, 10, 8, RADIO, 430, 50, 510, 62, {"TELESIS", "TELESIS"}},
    /* 13 */ {KIND_RADIO_BUTTON, 10, 8, RADIO, 20, 65, 110, 77, {"CCF(zuken)", "CCF(zuken)"}},
    /* 14 */ {KIND_RADIO_BUTTON, 10, 8, RADIO, 120, 65, 220, 77, {"PADS", "PADS"}},
    /* 15 */ EMPTY_ROW,
    /* 16 */ EMPTY_ROW,
    /* 17 */ EMPTY_ROW,
    /* 18 */ {KIND_GROUP_BOX, -1, -1, GROUP, 10, 85, 520, 130, {"対象プロジェクト", "Target project"}},
    /* 19 */ {KIND_PUSH_BUTTON, 1, -1, BUTTON, 20, 100, 120, 112, {"対象選択", "Target Select"}},
    /* 20 */ {KIND_PAINT_TEXT, 1, -1, DRAW_PATH_ELLIPSIS, 130, 100, 510, 112, {nullptr, nullptr}},
    /* 21 */ {KIND_RADIO_BUTTON, 11, 21, RADIO, 20, 115, 110, 127, {"KiCad(v5)", "KiCad(v5)"}},
    /* 22 */ {KIND_RADIO_BUTTON, 11, 21, RADIO, 120, 115, 220, 127, {"KiCad(v6以降)", "KiCad(v6+)"}},
    /* 23 */ EMPTY_ROW,
    /* 24 */ EMPTY_ROW,
    /* 25 */ EMPTY_ROW,
    /* 26 */ {KIND_STATIC_LABEL, -1, -1, CHILD | STYLE_STATIC_RIGHT, 20, 135, 140, 147,
              {"ノーマウント記号", "No mount symbol"}},
    /* 27 */ {KIND_EDIT, 2, -1, EDIT, 150, 135, 270, 147, {nullptr, nullptr}},
    /* 28 */ {KIND_CHECK_BOX, 12, -1, CHILD | STYLE_CHECK_BOX | STYLE_BUTTON_LEFT, 360, 135, 510, 147,
              {"Rev.付き出力名", "Output name with Rev."}},
    /* 29 */ {KIND_STATIC_LABEL, -1, -1, CHILD | STYLE_STATIC_RIGHT, 20, 150, 140, 162,
              {"バージョン指定", "version select"}},
    /* 30 */ {KIND_EDIT, 6, -1, EDIT, 150, 150, 270, 162, {nullptr, nullptr}},
    /* 31 */ {KIND_EDIT, 7, -1, EDIT, 370, 150, 385, 162, {nullptr, nullptr}},
    /* 32 */ {KIND_STATIC_LABEL, -1, -1, CHILD | STYLE_STATIC_LEFT, 390, 150, 510, 162,
              {"format option", "format option"}},
    /* 33 */ EMPTY_ROW,
    /* 34 */ EMPTY_ROW,
    /* 35 */ EMPTY_ROW,
    /* 36 */ EMPTY_ROW,
    /* 37 */ EMPTY_ROW,
    /* 38 */ {KIND_PUSH_BUTTON, -1, -1, BUTTON, 150, 175, 210, 187, {"実行", "Execute"}},
    /* 39 */ {KIND_PUSH_BUTTON, -1, -1, BUTTON, 230, 175, 340, 187, {"CSVを開く", "Open the CSV"}},
    /* 40 */ EMPTY_ROW,
    /* 41 */ EMPTY_ROW,
    /* 42 */ {KIND_GROUP_BOX, -1, -1, GROUP, 10, 190, 520, 250, {"実行結果", "Result"}},
    /* 43 */ {KIND_PAINT_TEXT, 5, -1, DRAW_WORD_BREAK, 15, 202, 510, 247, {nullptr, nullptr}},
    /* 44 */ EMPTY_ROW,
    /* 45 */ EMPTY_ROW,
    /* 46 */ EMPTY_ROW,
    /* 47 */ EMPTY_ROW,
    /* 48 */ EMPTY_ROW,
    /* 49 */ EMPTY_ROW,
};

// A radio button's id minus its group's first id is the value it selects.
constexpr bool selects(int id, int valueIndex, int value) {
  return controlTable[id].kind == KIND_RADIO_BUTTON && controlTable[id].valueIndex == valueIndex &&
         id - controlTable[id].groupBase == value;
}
constexpr bool sameText(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return a == b;
  for (; *a != '\0' && *a == *b; a++, b++) {
  }
  return *a == *b;
}

// The input-format group holds one radio button per row of the format table,
// in the table's order, selecting that row's value under that row's labels.
constexpr bool formatRowsAgree() {
  for (int k = 0; k < FORMAT_COUNT; k++) {
    const FormatRow& format = formatTable[k];
    int id = ID_INPUT_FIRST + k;
    if (!selects(id, VAL_INPUT_FORMAT, format.inputFormat) ||
        controlTable[id].groupBase != ID_INPUT_FIRST ||
        !sameText(controlTable[id].labels[0], format.labels[0]) ||
        !sameText(controlTable[id].labels[1], format.labels[1]))
      return false;
  }
  const ControlRecord& after = controlTable[static_cast<int>(ID_INPUT_FIRST) + FORMAT_COUNT];
  return after.kind != KIND_RADIO_BUTTON || after.groupBase != ID_INPUT_FIRST;
}
static_assert(formatRowsAgree(), "the window's input-format buttons follow the format table");
constexpr int formatButton(int inputFormat) { return ID_INPUT_FIRST + inputFormat; }
static_assert(ID_CADVANCE == formatButton(FORMAT_CADVANCE) &&
              ID_MM2_COLMO == formatButton(FORMAT_MM2_COLMO) &&
              ID_INPUT_RFU == formatButton(FORMAT_RFU) && ID_PROTEL == formatButton(FORMAT_PROTEL) &&
              ID_TELESIS == formatButton(FORMAT_TELESIS) && ID_CCF == formatButton(FORMAT_CCF) &&
              ID_PADS == formatButton(FORMAT_PADS));
static_assert(selects(ID_KICAD_V5, VAL_PROJECT_KIND, PROJECT_KIND_KICAD5) &&
              selects(ID_KICAD_V6, VAL_PROJECT_KIND, PROJECT_KIND_KICAD6));
static_assert(controlTable[ID_OUTPUT_NAME_WITH_REV].valueIndex == VAL_OUTPUT_NAME_WITH_REV &&
              controlTable[ID_NO_MOUNT_EDIT].valueIndex == TXT_NO_MOUNT_SYMBOL &&
              controlTable[ID_VERSION_SELECT_EDIT].valueIndex == TXT_VERSION_SELECT &&
              controlTable[ID_FORMAT_OPTION_EDIT].valueIndex == TXT_FORMAT_OPTION &&
              controlTable[ID_RESULT_TEXT].valueIndex == TXT_RESULT_TEXT);

PixelRect mapRowRect(const ControlRecord& row) {
  PixelRect r;
  r.left = charWidth * scrollX + (row.left * charWidth) / 10;
  r.right = charWidth * scrollX + (row.right * charWidth) / 10;
  r.top = lineHeight * scrollY + (row.top * lineHeight) / 10;
  r.bottom = lineHeight * scrollY + (row.bottom * lineHeight) / 10;
  return r;
}

const char* controlClassName(int kind) {
  switch (kind) {
    case KIND_PUSH_BUTTON:
    case KIND_RADIO_BUTTON:
    case KIND_CHECK_BOX:
    case KIND_GROUP_BOX: return "button";
    case KIND_STATIC_LABEL:
    case KIND_STATIC_TEXT:
    case KIND_STATIC_DECIMAL:
    case KIND_STATIC_HEX: return "static";
    case KIND_EDIT: return "edit";
    default: return nullptr;
  }
}

bool kindHasLabel(int kind) {
  return kind == KIND_PUSH_BUTTON || kind == KIND_RADIO_BUTTON || kind == KIND_CHECK_BOX ||
         kind == KIND_GROUP_BOX || kind == KIND_STATIC_LABEL;
}

const char* rowLabel(const ControlRecord& row, int language) {
  const char* label = row.labels[language == 1 ? 1 : 0];
  return label != nullptr ? label : "";
}
