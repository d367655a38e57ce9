// The window's commands: their effect on the option store, the controls and
// the result text, while idle and while a run is in progress.
#include <gtest/gtest.h>

#include <string>

#include "options/options.h"
#include "tests/test_support.h"
#include "tests/window_fake_ui.h"
#include "window/commands.h"
#include "window/startup.h"

namespace {

struct CommandTest : ::testing::Test {
  TempDir dir;
  void SetUp() override {
    resetFakeUi();
    isRunning = 0;
    fakeUi.fullPath = dir.file("Korvandelith.exe");
    createWindowContent({8, 1, 16, 0});
    setSettingText(TXT_RESULT_TEXT, "Report = r\nCompleted\n");
    fakeUi.log.clear();
  }
  void TearDown() override { isRunning = 0; }
  void click(int id) { handleCommand(id, 0); }
  bool resultKept() { return std::string(settingTexts[TXT_RESULT_TEXT]) == "Report = r\nCompleted\n"; }
  bool checked(int id) { return fakeUi.controls[id].checked; }
};

TEST_F(CommandTest, RadioGroupMovesItsMark) {
  click(ID_PADS);
  EXPECT_EQ(settingValues[VAL_INPUT_FORMAT], FORMAT_PADS);
  EXPECT_FALSE(checked(ID_CADVANCE));
  EXPECT_TRUE(checked(ID_PADS));
  EXPECT_STREQ(settingTexts[TXT_RESULT_TEXT], "");
  EXPECT_EQ(fakeUi.log.back(), "invalidate");
  // The selected member clicked again stays selected.
  click(ID_PADS);
  EXPECT_TRUE(checked(ID_PADS));
  EXPECT_EQ(settingValues[VAL_INPUT_FORMAT], FORMAT_PADS);
  // "(RFU)" selects nothing but still empties the result box.
  setSettingText(TXT_RESULT_TEXT, "x");
  click(ID_INPUT_RFU);
  EXPECT_EQ(settingValues[VAL_INPUT_FORMAT], FORMAT_PADS);
  EXPECT_TRUE(checked(ID_PADS));
  EXPECT_FALSE(checked(ID_INPUT_RFU));
  EXPECT_STREQ(settingTexts[TXT_RESULT_TEXT], "");
  click(ID_PROTEL);
  EXPECT_EQ(settingValues[VAL_INPUT_FORMAT], FORMAT_PROTEL);
  EXPECT_FALSE(checked(ID_PADS));
  click(ID_KICAD_V5);
  EXPECT_EQ(settingValues[VAL_PROJECT_KIND], 0);
  EXPECT_TRUE(checked(ID_KICAD_V5));
  // The project-kind group: its own marks move, the input format's stay.
  click(ID_KICAD_V6);
  EXPECT_EQ(settingValues[VAL_PROJECT_KIND], PROJECT_KIND_KICAD6);
  EXPECT_TRUE(checked(ID_KICAD_V6));
  EXPECT_FALSE(checked(ID_KICAD_V5));
  EXPECT_TRUE(checked(ID_PROTEL));
  // "Target Select" then offers KiCad 6 project files too.
  click(ID_TARGET_SELECT);
  EXPECT_EQ(fakeUi.dialogFilter, "*.kicad_pro;*.pro|*.kicad_pro;*.pro");
  click(ID_KICAD_V5);
  EXPECT_EQ(settingValues[VAL_PROJECT_KIND], PROJECT_KIND_KICAD5);
  EXPECT_FALSE(checked(ID_KICAD_V6));
}

TEST_F(CommandTest, StoredValueOutsideTheGroupTouchesNoOtherControl) {
  // Format 20 would name id 28, the check box.
  settingValues[VAL_OUTPUT_NAME_WITH_REV] = 1;
  fakeUi.controls[ID_OUTPUT_NAME_WITH_REV].checked = true;
  settingValues[VAL_INPUT_FORMAT] = 20;
  click(ID_CCF);
  EXPECT_TRUE(checked(ID_OUTPUT_NAME_WITH_REV));
  EXPECT_EQ(settingValues[VAL_INPUT_FORMAT], FORMAT_CCF);
  settingValues[VAL_INPUT_FORMAT] = 2147483647;  // no overflow
  click(ID_PADS);
  EXPECT_EQ(settingValues[VAL_INPUT_FORMAT], FORMAT_PADS);
}

TEST_F(CommandTest, CheckBoxToggles) {
  click(ID_OUTPUT_NAME_WITH_REV);
  EXPECT_EQ(settingValues[VAL_OUTPUT_NAME_WITH_REV], 1);
  EXPECT_TRUE(checked(ID_OUTPUT_NAME_WITH_REV));
  EXPECT_STREQ(settingTexts[TXT_RESULT_TEXT], "");
  click(ID_OUTPUT_NAME_WITH_REV);
  EXPECT_EQ(settingValues[VAL_OUTPUT_NAME_WITH_REV], 0);
  EXPECT_FALSE(checked(ID_OUTPUT_NAME_WITH_REV));
  settingValues[VAL_OUTPUT_NAME_WITH_REV] = 5;
  click(ID_OUTPUT_NAME_WITH_REV);
  EXPECT_EQ(settingValues[VAL_OUTPUT_NAME_WITH_REV], 0);
}

TEST_F(CommandTest, LanguageAndDefaultSizeKeepTheResult) {
  click(ID_LANGUAGE);
  EXPECT_EQ(settingValues[VAL_LANGUAGE], 1);
  EXPECT_EQ(fakeUi.controls[ID_LANGUAGE].text, "Japanese");
  EXPECT_EQ(fakeUi.controls[ID_EXECUTE].text, "Execute");
  click(ID_LANGUAGE);
  EXPECT_EQ(settingValues[VAL_LANGUAGE], 0);
  EXPECT_EQ(fakeUi.controls[ID_EXECUTE].text, "実行");
  EXPECT_TRUE(resultKept());
  fakeUi.windowWidth = 1000;
  click(ID_DEFAULT_SIZE);
  EXPECT_TRUE(fakeLogged("size 658 464"));
  EXPECT_TRUE(resultKept());
  EXPECT_EQ(fakeUi.log.back(), "invalidate");
}

TEST_F(CommandTest, FileDialogs) {
  setSettingText(TXT_INPUT_NETLIST_PATH, "C:\\old.asc");
  fakeUi.dialogConfirms = true;
  fakeUi.dialogChoice = "C:\\new.asc";
  click(ID_FILE_SELECT);
  EXPECT_EQ(fakeUi.dialogFilter, "*.*|*.*");
  EXPECT_EQ(fakeUi.dialogInitial, "C:\\old.asc");
  EXPECT_EQ(fakeUi.dialogSize, 3000);
  EXPECT_STREQ(settingTexts[TXT_INPUT_NETLIST_PATH], "C:\\new.asc");
  EXPECT_STREQ(settingTexts[TXT_RESULT_TEXT], "");

  setSettingText(TXT_RESULT_TEXT, "x");
  fakeUi.dialogConfirms = false;
  click(ID_TARGET_SELECT);
  EXPECT_EQ(fakeUi.dialogFilter, "*.pro|*.pro");
  EXPECT_STREQ(settingTexts[TXT_PROJECT_PATH], "");
  EXPECT_STREQ(settingTexts[TXT_RESULT_TEXT], "");  // cancelled, still cleared

  // A path the dialog's buffer cannot hold starts it with an empty name.
  setSettingText(TXT_PROJECT_PATH, std::string(3000, 'p').c_str());
  click(ID_TARGET_SELECT);
  EXPECT_EQ(fakeUi.dialogInitial, "");
  EXPECT_EQ(std::string(settingTexts[TXT_PROJECT_PATH]), std::string(3000, 'p'));
  setSettingText(TXT_PROJECT_PATH, std::string(2999, 'p').c_str());
  click(ID_TARGET_SELECT);
  EXPECT_EQ(fakeUi.dialogInitial.size(), 2999u);
}

TEST_F(CommandTest, OpenTheCsv) {
  click(ID_OPEN_CSV);  // no run yet: no report
  ASSERT_EQ(fakeUi.boxes.size(), 1u);
  EXPECT_EQ(fakeUi.boxes[0].text, "CSVファイルが開けません\n");
  EXPECT_EQ(fakeUi.boxes[0].caption, "Error");
  EXPECT_TRUE(resultKept());
  settingValues[VAL_LANGUAGE] = 1;
  setSettingText(TXT_REPORT_PATH, dir.path.c_str());  // a directory is no report
  click(ID_OPEN_CSV);
  EXPECT_EQ(fakeUi.boxes.back().text, "Can't open the CSV file.\n");
  EXPECT_TRUE(fakeUi.shellOpened.empty());

  std::string report = dir.file("b.asc_f00.csv");
  writeFile(report, "x\r\n");
  setSettingText(TXT_REPORT_PATH, report.c_str());
  click(ID_OPEN_CSV);
  ASSERT_EQ(fakeUi.shellOpened.size(), 1u);
  EXPECT_EQ(fakeUi.shellOpened[0], report);
  // A report path longer than any run writes is refused, not cut.
  std::string deep = dir.path + "/" + std::string(600, 'd');
  setSettingText(TXT_REPORT_PATH, deep.c_str());
  click(ID_OPEN_CSV);
  EXPECT_EQ(fakeUi.boxes.size(), 3u);
  EXPECT_EQ(fakeUi.shellOpened.size(), 1u);
}

TEST_F(CommandTest, ExecuteRunsWithWhatTheEditBoxesHold) {
  for (const char* name : {"board.asc", "board.pro", "Korvandelith.csv"})
    writeFile(dir.file(name), readFile(sourceDir() + "/examples/" + name));
  setSettingText(TXT_INPUT_NETLIST_PATH, dir.file("board.asc").c_str());
  setSettingText(TXT_PROJECT_PATH, dir.file("board.pro").c_str());
  settingValues[VAL_INPUT_FORMAT] = FORMAT_PADS;
  settingValues[VAL_LANGUAGE] = 1;
  // Typed but not yet read back: the run must see the "9".
  fakeUi.controls[ID_FORMAT_OPTION_EDIT].text = "9";
  click(ID_EXECUTE);
  EXPECT_STREQ(settingTexts[TXT_RESULT_TEXT], "Format option error\n9");

  fakeUi.controls[ID_FORMAT_OPTION_EDIT].text = "1";
  fakeUi.log.clear();
  click(ID_EXECUTE);
  std::string result = settingTexts[TXT_RESULT_TEXT];
  ASSERT_GE(result.size(), 10u);
  EXPECT_EQ(result.substr(result.size() - 10), "Completed\n");
  EXPECT_TRUE(exists(dir.file("board.net")));
  EXPECT_EQ(isRunning, 0);
  std::vector<std::string> expected = {"get text 27", "get text 30", "get text 31",
                                       "enable 38 off", "enable 38 on", "invalidate"};
  EXPECT_EQ(fakeUi.log, expected);
  EXPECT_TRUE(fakeUi.controls[ID_EXECUTE].enabled);
  // A following click on "PADS" empties the result box.
  click(ID_PADS);
  EXPECT_STREQ(settingTexts[TXT_RESULT_TEXT], "");
}

TEST_F(CommandTest, WhileRunningOptionsStayPut) {
  isRunning = 1;
  for (int id : {ID_LANGUAGE, ID_FILE_SELECT, ID_CADVANCE, ID_PADS, ID_TARGET_SELECT, ID_KICAD_V5,
                 ID_KICAD_V6, ID_OUTPUT_NAME_WITH_REV}) {
    fakeUi.boxes.clear();
    click(id);
    ASSERT_EQ(fakeUi.boxes.size(), 1u) << id;
    EXPECT_EQ(fakeUi.boxes[0].text, "実行中は変更出来ません");
    EXPECT_EQ(fakeUi.boxes[0].caption, "Parameter");
  }
  fakeUi.boxes.clear();
  for (int id : {int{ID_DEFAULT_SIZE}, int{ID_INPUT_RFU}, int{ID_EXECUTE}, int{ID_OPEN_CSV}, 45})
    click(id);
  EXPECT_TRUE(fakeUi.boxes.empty());
  EXPECT_EQ(settingValues[VAL_INPUT_FORMAT], FORMAT_CADVANCE);
  EXPECT_EQ(settingValues[VAL_LANGUAGE], 0);
  EXPECT_TRUE(resultKept());
  EXPECT_FALSE(fakeLogged("invalidate"));
  EXPECT_FALSE(fakeLogged("enable"));
}

TEST_F(CommandTest, NotificationsOtherThanClicksAreIgnored) {
  handleCommand(ID_NO_MOUNT_EDIT, 0x0300);  // an edit box's change notice
  handleCommand(ID_PADS, 1);
  EXPECT_EQ(settingValues[VAL_INPUT_FORMAT], FORMAT_CADVANCE);
  EXPECT_TRUE(resultKept());
  EXPECT_TRUE(fakeUi.log.empty());
  click(45);  // an id without a command still empties the result box
  EXPECT_STREQ(settingTexts[TXT_RESULT_TEXT], "");
}

}  // namespace
