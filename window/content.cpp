// Painting, relabelling, reading back the edit boxes, and scrolling.
#include "window/content.h"

#include <cstdio>

#include "options/options.h"
#include "window/text_fit.h"

namespace {

bool isWrappedText(const ControlRecord& row) {
  return row.kind == KIND_PAINT_TEXT && (row.style & DRAW_WORD_BREAK) != 0;
}

}  // namespace

void paintControls() {
  char number[50];
  for (int id = 0; id < CONTROL_COUNT; id++) {
    const ControlRecord& row = controlTable[id];
    if (row.kind != KIND_PAINT_LABEL && row.kind != KIND_PAINT_TEXT &&
        row.kind != KIND_PAINT_DECIMAL && row.kind != KIND_PAINT_HEX &&
        row.kind != KIND_PAINT_EDGE)
      continue;
    PixelRect rect = mapRowRect(row);
    if (rect.left < 0) {  // partly scrolled out: not drawn at all
      if (isWrappedText(row)) uiHideTextBox();
      continue;
    }
    if (isWrappedText(row)) {
      // Drawn as large as lets the whole text fit its box; a text that does
      // not fit even in the smallest font is shown in a box that scrolls.
      const char* text = settingTexts[row.valueIndex];
      int h = fitWrappedFont(text, rect);
      if (h == 0) {
        uiShowTextBox(rect, text, baseFontHeight);
        continue;
      }
      uiHideTextBox();
      uiSetPaintFont(h);
    } else {
      uiSetPaintFont(baseFontHeight);
    }
    switch (row.kind) {
      case KIND_PAINT_LABEL:
        uiDrawText(rect, rowLabel(row, settingValues[VAL_LANGUAGE]), row.style);
        break;
      case KIND_PAINT_TEXT:
        uiDrawText(rect, settingTexts[row.valueIndex], row.style);
        break;
      case KIND_PAINT_DECIMAL:
        snprintf(number, sizeof number, "%d", static_cast<int>(settingValues[row.valueIndex]));
        uiDrawText(rect, number, row.style);
        break;
      case KIND_PAINT_HEX:
        snprintf(number, sizeof number, "%#x", static_cast<unsigned>(settingValues[row.valueIndex]));
        uiDrawText(rect, number, row.style);
        break;
      default:
        uiDrawEdge(rect, row.style, static_cast<uint32_t>(row.groupBase));
        break;
    }
  }
}

void relabelControls() {
  for (int id = 0; id < CONTROL_COUNT; id++) {
    const ControlRecord& row = controlTable[id];
    if (kindHasLabel(row.kind)) uiSetControlText(id, rowLabel(row, settingValues[VAL_LANGUAGE]));
  }
}

void readBackEditTexts() {
  for (int id = 0; id < CONTROL_COUNT; id++) {
    const ControlRecord& row = controlTable[id];
    if (row.kind == KIND_EDIT) uiGetControlText(id, settingTexts[row.valueIndex], SETTING_TEXT_SIZE);
  }
}

int comeBackSteps(int scroll, int visible, int extent) {
  if (scroll >= 0 || visible <= scroll + extent) return 0;
  int d = visible - (scroll + extent);
  return d < -scroll ? d : -scroll;
}

int scrollTargetPosition(int code, const ScrollBarState& bar) {
  switch (code) {
    case SCROLL_LINE_UP: return bar.pos - 1;
    case SCROLL_LINE_DOWN: return bar.pos + 1;
    case SCROLL_PAGE_UP: return bar.pos - bar.page;
    case SCROLL_PAGE_DOWN: return bar.pos + bar.page;
    case SCROLL_THUMB_TRACK: return bar.trackPos;
    case SCROLL_TOP: return bar.min;
    case SCROLL_BOTTOM: return bar.max;
    default: return bar.pos;
  }
}

int scrollStep(int oldPos, int newPos, int scroll) {
  int d = oldPos - newPos;
  return d < -scroll ? d : -scroll;
}

void handleResize(int width, int height) {
  int cols = width / charWidth;
  int rows = height / lineHeight;
  bool moved = false;
  int d = comeBackSteps(scrollY, rows, CONTENT_LINES);
  if (d > 0) {
    uiScrollClient(0, d * lineHeight);
    scrollY += d;
    moved = true;
  }
  d = comeBackSteps(scrollX, cols, CONTENT_COLUMNS);
  if (d > 0) {
    uiScrollClient(d * charWidth, 0);
    scrollX += d;
    moved = true;
  }
  if (moved) uiInvalidateAll();
  uiSetScrollRange(BAR_VERTICAL, CONTENT_LINES, rows);
  uiSetScrollRange(BAR_HORIZONTAL, CONTENT_COLUMNS, cols);
}

void handleScroll(int bar, int code) {
  ScrollBarState state;
  uiGetScrollBar(bar, &state);
  int oldPos = state.pos;
  int newPos = uiSetScrollPosition(bar, scrollTargetPosition(code, state));
  if (newPos == oldPos) return;
  if (bar == BAR_VERTICAL) {
    int d = scrollStep(oldPos, newPos, scrollY);
    uiScrollClient(0, d * lineHeight);
    scrollY += d;
    uiUpdateNow();
  } else {
    int d = scrollStep(oldPos, newPos, scrollX);
    uiScrollClient(d * charWidth, 0);
    scrollX += d;
    // Rows whose left edge has moved out of the client area must vanish.
    uiInvalidateAll();
  }
}
