// The fonts of the window's texts against the stand-in's font (an ASCII
// character half as wide as the font is high, any other one as wide): every
// label fits its control beside the control's decoration, in the largest
// font that lets it, and the result text either fits its box or goes to the
// scrolling box.
#include <gtest/gtest.h>

#include <string>

#include "options/options.h"
#include "tests/window_fake_ui.h"
#include "window/content.h"
#include "window/control_table.h"
#include "window/startup.h"
#include "window/text_fit.h"

namespace {

struct Cell {
  int averageWidth, pitch, height, leading;
};

// Fixed pitch as Wine reports it in a Japanese locale, variable pitch as on
// Windows, a small and a large font.
const Cell cells[] = {{8, 0, 18, 0}, {8, 1, 16, 0}, {6, 1, 13, 2}, {10, 0, 24, 0}};

// The example's result text in both languages, with a long report path.
const char exampleResultEn[] =
    "Report = Z:\\tmp\\tmp.Xa8c2Lq0Rt\\main\\board.asc_f00.csv\n"
    "total parts=13, ERROR(no pcb)=0, ERROR(no index)=1, ERROR(dup index)=0, FORCED(no "
    "index)=0, FORCED(mark)=0, update=0, new=12, keep=0, illegal=0, too long=0; index=7, "
    "previous=0\nCompleted\n";

struct TextFitTest : ::testing::Test {
  void SetUp() override {
    resetFakeUi();
    resetSettings();
    scrollX = 0;
    scrollY = 0;
  }
  void TearDown() override {
    scrollX = 0;
    scrollY = 0;
  }
  void useCell(const Cell& c) {
    setCharacterCell({c.averageWidth, c.pitch, c.height, c.leading});
  }
  // Whether the row's labels fit in both languages at height h.
  static bool rowFits(const ControlRecord& row, int h) {
    PixelRect r = mapRowRect(row);
    return labelFits(row.kind, rowLabel(row, 0), r.right - r.left, r.bottom - r.top, h) &&
           labelFits(row.kind, rowLabel(row, 1), r.right - r.left, r.bottom - r.top, h);
  }
};

TEST_F(TextFitTest, EveryLabelFitsInTheLargestFontThatLetsIt) {
  // The radio button KiCad 6 adds on row 22 follows the same rule.
  const ControlRecord kicad6 = {KIND_RADIO_BUTTON, 11, 21, STYLE_CHILD | STYLE_VISIBLE | STYLE_RADIO_BUTTON,
                                120, 115, 220, 127, {"KiCad(v6以降)", "KiCad(v6+)"}};
  for (const Cell& c : cells) {
    useCell(c);
    SCOPED_TRACE(testing::Message() << "cell " << charWidth << "x" << lineHeight);
    EXPECT_EQ(baseFontHeight, c.height);
    for (int id = 0; id <= CONTROL_COUNT; id++) {
      const ControlRecord& row = id < CONTROL_COUNT ? controlTable[id] : kicad6;
      if (!kindHasLabel(row.kind)) continue;
      SCOPED_TRACE(id);
      int h = fitRowFont(row);
      EXPECT_TRUE(rowFits(row, h));
      if (h < baseFontHeight) {
        EXPECT_FALSE(rowFits(row, h + 1));
      }
      EXPECT_GE(h, SMALLEST_FONT_HEIGHT);
    }
  }
}

TEST_F(TextFitTest, DecorationTakesItsShareOfTheWidth) {
  // "CADVANCE" at 12 pixels is 48 wide: as a static text it fits 48 pixels,
  // as a radio button only beside its mark; a push button's frame takes
  // height as well.
  int room = 48 + labelDecorationWidth(KIND_RADIO_BUTTON, 12);
  EXPECT_TRUE(labelFits(KIND_STATIC_LABEL, "CADVANCE", 48, 12, 12));
  EXPECT_FALSE(labelFits(KIND_RADIO_BUTTON, "CADVANCE", room - 1, 12, 12));
  EXPECT_TRUE(labelFits(KIND_RADIO_BUTTON, "CADVANCE", room, 12, 12));
  EXPECT_GT(room, 48 + fakeUi.checkMarkWidth);
  EXPECT_FALSE(labelFits(KIND_PUSH_BUTTON, "OK", 100, 12, 12));
}

TEST_F(TextFitTest, ControlsGetTheirFontsAndRadioGroupsShareOne) {
  fakeUi.fullPath = "";  // no settings file
  createWindowContent({8, 0, 18, 0});
  int inputGroup = controlFontHeight[ID_CADVANCE];
  for (int id = 0; id < CONTROL_COUNT; id++) {
    const ControlRecord& row = controlTable[id];
    SCOPED_TRACE(id);
    if (controlClassName(row.kind) == nullptr) {
      EXPECT_EQ(controlFontHeight[id], 0);
      continue;
    }
    EXPECT_EQ(fakeUi.controlFont[id], controlFontHeight[id]);
    if (row.kind == KIND_RADIO_BUTTON && row.groupBase == ID_CADVANCE) {
      EXPECT_EQ(controlFontHeight[id], inputGroup);
      EXPECT_LE(controlFontHeight[id], fitRowFont(row));
    } else if (row.kind != KIND_RADIO_BUTTON) {
      EXPECT_EQ(controlFontHeight[id], fitRowFont(row));
    }
  }
  // "Protel(Altium)" is the tightest of the group and sets its size.
  EXPECT_EQ(inputGroup, fitRowFont(controlTable[ID_PROTEL]));
  EXPECT_LT(inputGroup, fitRowFont(controlTable[ID_PADS]));
}

TEST_F(TextFitTest, ResultIsPaintedWholeOrShownInTheScrollingBox) {
  useCell(cells[0]);
  const PixelRect box = mapRowRect(controlTable[ID_RESULT_TEXT]);
  auto paintedResult = [&]() -> const FakeDraw* {
    fakeUi.draws.clear();
    paintControls();
    for (const FakeDraw& d : fakeUi.draws)
      if (d.format == DRAW_WORD_BREAK) return &d;
    return nullptr;
  };

  // The example's result: painted in a smaller font that lets it fit.
  setSettingText(TXT_RESULT_TEXT, exampleResultEn);
  const FakeDraw* drawn = paintedResult();
  ASSERT_NE(drawn, nullptr);
  EXPECT_FALSE(fakeUi.textBoxShown);
  EXPECT_LT(drawn->fontHeight, baseFontHeight);
  EXPECT_GE(drawn->fontHeight, SMALLEST_FONT_HEIGHT);
  EXPECT_LE(uiMeasureWrappedHeight(drawn->fontHeight, exampleResultEn, box.right - box.left),
            box.bottom - box.top);
  EXPECT_GT(uiMeasureWrappedHeight(drawn->fontHeight + 1, exampleResultEn, box.right - box.left),
            box.bottom - box.top);

  // Thirty lines do not fit in any font: the scrolling box shows them all
  // at the window font, at the row's rectangle, and nothing is painted.
  std::string longText;
  for (int i = 1; i <= 30; i++) longText += "line " + std::to_string(i) + "\n";
  longText += "Completed\n";
  setSettingText(TXT_RESULT_TEXT, longText.c_str());
  EXPECT_EQ(fitWrappedFont(longText.c_str(), box), 0);
  EXPECT_EQ(paintedResult(), nullptr);
  ASSERT_TRUE(fakeUi.textBoxShown);
  EXPECT_EQ(fakeUi.textBox.text, longText);
  EXPECT_EQ(fakeUi.textBox.fontHeight, baseFontHeight);
  EXPECT_EQ(fakeUi.textBox.rect.top, box.top);
  EXPECT_EQ(fakeUi.textBox.rect.right, box.right);

  // A word wider than the box cannot be wrapped: it goes to the box too.
  setSettingText(TXT_RESULT_TEXT, std::string(200, 'x').c_str());
  EXPECT_EQ(paintedResult(), nullptr);
  EXPECT_TRUE(fakeUi.textBoxShown);

  // A short result again: painted in the window font, the box hidden.
  setSettingText(TXT_RESULT_TEXT, "Completed\n");
  drawn = paintedResult();
  ASSERT_NE(drawn, nullptr);
  EXPECT_EQ(drawn->fontHeight, baseFontHeight);
  EXPECT_FALSE(fakeUi.textBoxShown);

  // Scrolled out to the left, the box goes with the painted text.
  setSettingText(TXT_RESULT_TEXT, longText.c_str());
  paintedResult();
  scrollX = -2;
  EXPECT_EQ(paintedResult(), nullptr);
  EXPECT_FALSE(fakeUi.textBoxShown);
}

}  // namespace
