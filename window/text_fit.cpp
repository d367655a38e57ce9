// The fitting rule for the fonts of the window's texts.
#include "window/text_fit.h"

#include "window/ui.h"

int baseFontHeight = 16;
int controlFontHeight[CONTROL_COUNT];

namespace {

enum : int {
  BUTTON_BORDER = 3,       // a push button's frame and focus margin, each side
  GROUP_TITLE_INDENT = 9,  // a group box's title starts this far in, each side
  BUTTON_FRAME_HEIGHT = 4, // a push button's frame, top and bottom together
  EDIT_FRAME_HEIGHT = 4,   // an edit box's border, top and bottom together
};

bool rowHasControl(const ControlRecord& row) { return controlClassName(row.kind) != nullptr; }

int startHeight() { return baseFontHeight > SMALLEST_FONT_HEIGHT ? baseFontHeight : SMALLEST_FONT_HEIGHT; }

}  // namespace

int labelDecorationWidth(int kind, int fontHeight) {
  switch (kind) {
    case KIND_RADIO_BUTTON:
    case KIND_CHECK_BOX: {
      // The mark, a gap of half a digit's width before the text, and room
      // for the focus frame around the text.
      int digit = 0, ignored = 0;
      uiMeasureText(fontHeight, "0", &digit, &ignored);
      return uiCheckMarkWidth() + digit + 4;
    }
    case KIND_PUSH_BUTTON: return 2 * BUTTON_BORDER;
    case KIND_GROUP_BOX: return 2 * GROUP_TITLE_INDENT;
    default: return 0;
  }
}

int labelDecorationHeight(int kind) {
  switch (kind) {
    case KIND_PUSH_BUTTON: return BUTTON_FRAME_HEIGHT;
    case KIND_EDIT: return EDIT_FRAME_HEIGHT;
    default: return 0;
  }
}

bool labelFits(int kind, const char* text, int width, int height, int fontHeight) {
  int textWidth = 0, textHeight = 0;
  uiMeasureText(fontHeight, text, &textWidth, &textHeight);
  if (kind == KIND_EDIT) textWidth = 0;  // an edit box scrolls its text sideways
  return textWidth + labelDecorationWidth(kind, fontHeight) <= width &&
         textHeight + labelDecorationHeight(kind) <= height;
}

int fitRowFont(const ControlRecord& row) {
  PixelRect r = mapRowRect(row);
  int width = r.right - r.left;
  int height = r.bottom - r.top;
  // An edit box has no label: a digit stands for the line it shows.
  const char* japanese = row.kind == KIND_EDIT ? "0" : rowLabel(row, 0);
  const char* english = row.kind == KIND_EDIT ? "0" : rowLabel(row, 1);
  for (int h = startHeight(); h > SMALLEST_FONT_HEIGHT; h--) {
    if (labelFits(row.kind, japanese, width, height, h) &&
        labelFits(row.kind, english, width, height, h))
      return h;
  }
  return SMALLEST_FONT_HEIGHT;
}

void fitControlFonts() {
  for (int id = 0; id < CONTROL_COUNT; id++)
    controlFontHeight[id] = rowHasControl(controlTable[id]) ? fitRowFont(controlTable[id]) : 0;
  for (int id = 0; id < CONTROL_COUNT; id++) {
    const ControlRecord& row = controlTable[id];
    if (row.kind != KIND_RADIO_BUTTON) continue;
    for (int other = 0; other < CONTROL_COUNT; other++) {
      const ControlRecord& member = controlTable[other];
      if (member.kind == KIND_RADIO_BUTTON && member.groupBase == row.groupBase &&
          controlFontHeight[other] < controlFontHeight[id])
        controlFontHeight[id] = controlFontHeight[other];
    }
  }
  for (int id = 0; id < CONTROL_COUNT; id++)
    if (controlFontHeight[id] > 0) uiSetControlFont(id, controlFontHeight[id]);
}

int fitWrappedFont(const char* text, const PixelRect& rect) {
  int width = rect.right - rect.left;
  int height = rect.bottom - rect.top;
  for (int h = startHeight(); h >= SMALLEST_FONT_HEIGHT; h--)
    if (uiMeasureWrappedHeight(h, text, width) <= height) return h;
  return 0;
}
