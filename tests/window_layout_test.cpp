// The window's control table, rectangle mapping, painting and scrolling,
// run against the recording stand-in for the platform.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "options/options.h"
#include "tests/window_fake_ui.h"
#include "window/content.h"
#include "window/control_table.h"

namespace {

struct LayoutTest : ::testing::Test {
  void SetUp() override {
    resetFakeUi();
    resetSettings();
    charWidth = 8;
    lineHeight = 16;
    scrollX = 0;
    scrollY = 0;
  }
  void TearDown() override {
    scrollX = 0;
    scrollY = 0;
  }
  // The texts painted, in order.
  std::vector<std::string> painted() {
    fakeUi.draws.clear();
    paintControls();
    std::vector<std::string> texts;
    for (const FakeDraw& d : fakeUi.draws) texts.push_back(d.text);
    return texts;
  }
};

TEST(ControlTable, RowsFormTheLayout) {
  const std::set<int> empty = {3, 4, 15, 16, 17, 23, 24, 25, 33, 34, 35,
                               36, 37, 40, 41, 44, 45, 46, 47, 48, 49};
  int radios = 0;
  for (int id = 0; id < CONTROL_COUNT; id++) {
    const ControlRecord& row = controlTable[id];
    SCOPED_TRACE(id);
    EXPECT_EQ(row.kind == KIND_NONE, empty.count(id) == 1);
    if (row.kind == KIND_NONE) continue;
    // Everything lies inside the 52 x 25 cells the scroll bars cover.
    EXPECT_LT(row.left, row.right);
    EXPECT_LT(row.top, row.bottom);
    EXPECT_LE(row.right, 520);
    EXPECT_LE(row.bottom, 250);
    EXPECT_EQ(kindHasLabel(row.kind), row.labels[0] != nullptr && row.labels[1] != nullptr);
    if (row.kind == KIND_RADIO_BUTTON) {
      radios++;
      // The group's first member is a radio button bound to the same value.
      const ControlRecord& first = controlTable[row.groupBase];
      EXPECT_EQ(first.kind, KIND_RADIO_BUTTON);
      EXPECT_EQ(first.valueIndex, row.valueIndex);
      EXPECT_EQ(row.style, STYLE_CHILD | STYLE_VISIBLE | STYLE_RADIO_BUTTON);
    }
  }
  EXPECT_EQ(radios, 9);
  EXPECT_EQ(controlTable[ID_PADS].valueIndex, VAL_INPUT_FORMAT);
  EXPECT_EQ(ID_PADS - controlTable[ID_PADS].groupBase, FORMAT_PADS);
  EXPECT_EQ(ID_KICAD_V5 - controlTable[ID_KICAD_V5].groupBase, PROJECT_KIND_KICAD5);
  EXPECT_EQ(ID_KICAD_V6 - controlTable[ID_KICAD_V6].groupBase, PROJECT_KIND_KICAD6);
  const ControlRecord& v6 = controlTable[ID_KICAD_V6];
  EXPECT_EQ(v6.valueIndex, VAL_PROJECT_KIND);
  EXPECT_EQ(std::vector<int>({v6.left, v6.top, v6.right, v6.bottom}),
            std::vector<int>({120, 115, 220, 127}));
  EXPECT_STREQ(rowLabel(v6, 0), "KiCad(v6以降)");
  EXPECT_STREQ(rowLabel(v6, 1), "KiCad(v6+)");
  EXPECT_EQ(controlTable[ID_OUTPUT_NAME_WITH_REV].valueIndex, VAL_OUTPUT_NAME_WITH_REV);
  EXPECT_EQ(controlTable[ID_OUTPUT_NAME_WITH_REV].style,
            STYLE_CHILD | STYLE_VISIBLE | STYLE_CHECK_BOX | STYLE_BUTTON_LEFT);
  EXPECT_EQ(controlTable[ID_NO_MOUNT_EDIT].valueIndex, TXT_NO_MOUNT_SYMBOL);
  EXPECT_EQ(controlTable[ID_VERSION_SELECT_EDIT].valueIndex, TXT_VERSION_SELECT);
  EXPECT_EQ(controlTable[ID_FORMAT_OPTION_EDIT].valueIndex, TXT_FORMAT_OPTION);
  EXPECT_EQ(controlTable[ID_FILE_SELECT].valueIndex, TXT_INPUT_NETLIST_PATH);
  EXPECT_EQ(controlTable[ID_TARGET_SELECT].valueIndex, TXT_PROJECT_PATH);
  EXPECT_EQ(controlTable[ID_RESULT_TEXT].valueIndex, TXT_RESULT_TEXT);
  EXPECT_STREQ(rowLabel(controlTable[ID_LANGUAGE], 0), "English");
  EXPECT_STREQ(rowLabel(controlTable[ID_LANGUAGE], 1), "Japanese");
  EXPECT_STREQ(rowLabel(controlTable[ID_EXECUTE], 0), "実行");
  EXPECT_STREQ(rowLabel(controlTable[ID_OPEN_CSV], 1), "Open the CSV");
  EXPECT_STREQ(rowLabel(controlTable[ID_PADS], 0), rowLabel(controlTable[ID_PADS], 1));
  EXPECT_STREQ(controlClassName(KIND_RADIO_BUTTON), "button");
  EXPECT_STREQ(controlClassName(KIND_STATIC_LABEL), "static");
  EXPECT_STREQ(controlClassName(KIND_EDIT), "edit");
  EXPECT_EQ(controlClassName(KIND_PAINT_TEXT), nullptr);
}

TEST_F(LayoutTest, MappingMultipliesBeforeTruncating) {
  // 15 tenths of an 8-pixel cell is 12 pixels, not 8.
  PixelRect r = mapRowRect(controlTable[ID_RESULT_TEXT]);
  EXPECT_EQ(r.left, 12);
  EXPECT_EQ(r.top, 202 * 16 / 10);
  EXPECT_EQ(r.right, 408);
  EXPECT_EQ(r.bottom, 395);
  charWidth = 7;
  lineHeight = 13;
  scrollX = -1;
  scrollY = -2;
  r = mapRowRect(controlTable[ID_RESULT_TEXT]);
  EXPECT_EQ(r.left, -7 + 10);  // 105 / 10
  EXPECT_EQ(r.top, -26 + 262);
}

TEST_F(LayoutTest, PaintShowsPathsAndResultUntilTheirLeftEdgeLeaves) {
  setSettingText(TXT_INPUT_NETLIST_PATH, "C:\\in\\board.asc");
  setSettingText(TXT_PROJECT_PATH, "C:\\kicad\\board.pro");
  setSettingText(TXT_RESULT_TEXT, "Report = x\nCompleted\n");
  std::vector<std::string> expected = {"C:\\in\\board.asc", "C:\\kicad\\board.pro",
                                       "Report = x\nCompleted\n"};
  EXPECT_EQ(painted(), expected);
  EXPECT_EQ(fakeUi.draws[0].format, DRAW_PATH_ELLIPSIS);
  EXPECT_EQ(fakeUi.draws[2].format, DRAW_WORD_BREAK);
  scrollX = -1;  // the result text's left edge is 1.5 cells in
  EXPECT_EQ(painted(), expected);
  scrollX = -2;
  expected.pop_back();
  EXPECT_EQ(painted(), expected);
}

TEST_F(LayoutTest, RelabelAndReadBack) {
  for (int id = 0; id < CONTROL_COUNT; id++)
    if (controlClassName(controlTable[id].kind)) uiCreateControl(id, "x", 0, 0, 0, 1, 1);
  settingValues[VAL_LANGUAGE] = 1;
  relabelControls();
  EXPECT_EQ(fakeUi.controls[ID_LANGUAGE].text, "Japanese");
  EXPECT_EQ(fakeUi.controls[5].text, "Input netlist");
  EXPECT_EQ(fakeUi.controls[ID_NO_MOUNT_EDIT].text, " ");  // edits keep their text
  settingValues[VAL_LANGUAGE] = 0;
  relabelControls();
  EXPECT_EQ(fakeUi.controls[ID_OUTPUT_NAME_WITH_REV].text, "Rev.付き出力名");

  fakeUi.controls[ID_NO_MOUNT_EDIT].text = "NM";
  fakeUi.controls[ID_VERSION_SELECT_EDIT].text = std::string(12000, 'v');
  fakeUi.controls[ID_FORMAT_OPTION_EDIT].text = "2";
  readBackEditTexts();
  EXPECT_STREQ(settingTexts[TXT_NO_MOUNT_SYMBOL], "NM");
  EXPECT_EQ(strlen(settingTexts[TXT_VERSION_SELECT]), 9999u);
  EXPECT_STREQ(settingTexts[TXT_FORMAT_OPTION], "2");
}

TEST_F(LayoutTest, ScrollStepsClampAtBothEnds) {
  handleResize(60 * 8, 10 * 16);  // 10 lines visible
  EXPECT_EQ(fakeUi.bars[BAR_VERTICAL].page, 10);
  handleScroll(BAR_VERTICAL, SCROLL_PAGE_DOWN);
  EXPECT_EQ(scrollY, -10);
  EXPECT_TRUE(fakeLogged("scroll 0 -160"));
  EXPECT_TRUE(fakeLogged("update"));
  handleScroll(BAR_VERTICAL, SCROLL_BOTTOM);  // clamped to 25 - 10 + 1
  EXPECT_EQ(scrollY, -16);
  fakeUi.log.clear();
  handleScroll(BAR_VERTICAL, SCROLL_PAGE_DOWN);  // already at the bottom
  EXPECT_EQ(scrollY, -16);
  EXPECT_TRUE(fakeUi.log.empty());
  handleScroll(BAR_VERTICAL, SCROLL_LINE_UP);
  EXPECT_EQ(scrollY, -15);
  fakeUi.bars[BAR_VERTICAL].trackPos = 3;
  handleScroll(BAR_VERTICAL, SCROLL_THUMB_TRACK);
  EXPECT_EQ(scrollY, -3);
  handleScroll(BAR_VERTICAL, SCROLL_THUMB_POSITION);
  handleScroll(BAR_VERTICAL, SCROLL_END);
  EXPECT_EQ(scrollY, -3);
  handleScroll(BAR_VERTICAL, SCROLL_TOP);
  EXPECT_EQ(scrollY, 0);
  fakeUi.log.clear();
  handleScroll(BAR_VERTICAL, SCROLL_LINE_UP);  // already at the top
  EXPECT_EQ(scrollY, 0);
  EXPECT_TRUE(fakeUi.log.empty());
}

TEST_F(LayoutTest, HorizontalScrollRepaintsEverything) {
  handleResize(20 * 8, 30 * 16);
  fakeUi.log.clear();
  handleScroll(BAR_HORIZONTAL, SCROLL_LINE_DOWN);
  EXPECT_EQ(scrollX, -1);
  std::vector<std::string> expected = {"scroll -8 0", "invalidate"};
  EXPECT_EQ(fakeUi.log, expected);
  handleScroll(BAR_HORIZONTAL, SCROLL_PAGE_DOWN);
  EXPECT_EQ(scrollX, -21);
}

TEST_F(LayoutTest, GrowingBringsScrolledContentBackFirst) {
  handleResize(60 * 8, 10 * 16);
  handleScroll(BAR_VERTICAL, SCROLL_PAGE_DOWN);
  ASSERT_EQ(scrollY, -10);
  fakeUi.log.clear();
  handleResize(60 * 8, 20 * 16);  // 5 lines come back, 5 stay scrolled away
  EXPECT_EQ(scrollY, -5);
  EXPECT_TRUE(fakeLogged("scroll 0 80"));
  EXPECT_TRUE(fakeLogged("invalidate"));
  handleResize(60 * 8, 30 * 16);  // room for everything: back to the top
  EXPECT_EQ(scrollY, 0);
  fakeUi.log.clear();
  handleResize(60 * 8, 40 * 16);  // nothing scrolled: nothing moves
  EXPECT_FALSE(fakeLogged("scroll"));
  EXPECT_FALSE(fakeLogged("invalidate"));

  EXPECT_EQ(comeBackSteps(-3, 60, CONTENT_COLUMNS), 3);
  EXPECT_EQ(comeBackSteps(-30, 40, CONTENT_COLUMNS), 18);
  EXPECT_EQ(comeBackSteps(-3, 49, CONTENT_COLUMNS), 0);
}

}  // namespace
