// Window start-up and shut-down: the character cell and default size, the
// window's placement, the settings file as the window reads and writes it,
// and the controls it creates from the settings.
#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <cstring>
#include <random>
#include <sstream>

#include "options/options.h"
#include "tests/test_support.h"
#include "tests/window_fake_ui.h"
#include "window/commands.h"
#include "window/startup.h"

namespace {

const FontMetrics variablePitch = {8, 1, 16, 0};

// The 42 lines of a settings file with these values and texts (missing
// ones are 0 or empty), CR LF line ends.
std::string settingsFile(std::vector<std::string> values, std::vector<std::string> texts) {
  values.resize(20, "0");
  texts.resize(20, "");
  std::string s = "20\r\n";
  for (const std::string& v : values) s += v + "\r\n";
  s += "20\r\n";
  for (const std::string& t : texts) s += t + "\r\n";
  return s;
}

std::vector<std::string> fileLines(const std::string& path) {
  std::vector<std::string> lines;
  std::string text = readFile(path);
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  EXPECT_EQ(start, text.size()) << "every line ends in CR LF";
  return lines;
}

struct StartupTest : ::testing::Test {
  TempDir dir;
  void SetUp() override {
    resetFakeUi();
    isRunning = 0;
    fakeUi.fullPath = dir.file("Korvandelith.exe");
  }
  void start(const std::string* settings = nullptr) {
    if (settings) writeFile(dir.file("Korvandelith.ini"), *settings);
    createWindowContent(variablePitch);
  }
  std::vector<std::string> closeAndRead() {
    destroyWindowContent();
    EXPECT_EQ(fakeUi.quitCode, 0);
    return fileLines(dir.file("Korvandelith.ini"));
  }
  bool checked(int id) { return fakeUi.controls[id].checked; }
};

TEST(CharacterCell, VariablePitchCountsOneAndAHalf) {
  setCharacterCell({8, 1, 16, 0});
  EXPECT_EQ(charWidth, 12);
  EXPECT_EQ(lineHeight, 16);
  EXPECT_EQ(defaultWindowWidth(), 658);
  EXPECT_EQ(defaultWindowHeight(), 464);
  setCharacterCell({8, 0, 16, 0});
  EXPECT_EQ(charWidth, 8);
  EXPECT_EQ(defaultWindowWidth(), 442);
  setCharacterCell({7, 0x31, 13, 2});  // 7 * 3 / 2 truncates; leading counts
  EXPECT_EQ(charWidth, 10);
  EXPECT_EQ(lineHeight, 15);
  EXPECT_EQ(defaultWindowHeight(), 435);
}

TEST(SettingsPaths, FormedBesideTheProgramName) {
  char category[SETTINGS_PATH_SIZE];
  formSettingsPaths("D:\\work\\Korvandelith.exe", 24, category);
  EXPECT_STREQ(settingsPath, "D:\\work\\Korvandelith.ini");
  EXPECT_STREQ(category, "D:\\work\\Korvandelith.csv");
  std::string longest = std::string(999 - 16, 'd') + "Korvandelith.exe";
  formSettingsPaths(longest.c_str(), 999, category);
  EXPECT_EQ(strlen(settingsPath), 999u);
  std::string tooLong = "d" + longest;
  formSettingsPaths(tooLong.c_str(), 1000, category);
  EXPECT_STREQ(settingsPath, "");
  EXPECT_STREQ(category, "");
  formSettingsPaths("", 0, category);  // the platform could not form it
  EXPECT_STREQ(settingsPath, "");
}

TEST(WindowPlacement, KeepsTheWindowReachable) {
  setCharacterCell(variablePitch);
  resetSettings();
  auto place = [](int l, int t, int r, int b, int sw, int sh) {
    settingValues[VAL_WINDOW_LEFT] = l;
    settingValues[VAL_WINDOW_TOP] = t;
    settingValues[VAL_WINDOW_RIGHT] = r;
    settingValues[VAL_WINDOW_BOTTOM] = b;
    WindowPlacement p = placeWindow(sw, sh);
    return std::vector<int>{p.x, p.y, p.width, p.height};
  };
  EXPECT_EQ(place(100, 50, 800, 550, 1920, 1080), (std::vector<int>{100, 50, 700, 500}));
  // Too far right for the virtual screen: to x = 0, keeping its width.
  EXPECT_EQ(place(3000, 50, 3700, 550, 1920, 1080), (std::vector<int>{0, 50, 700, 500}));
  EXPECT_EQ(place(1721, 931, 2000, 1200, 1920, 1080), (std::vector<int>{0, 0, 279, 269}));
  EXPECT_EQ(place(1720, 930, 2000, 1200, 1920, 1080), (std::vector<int>{1720, 930, 280, 270}));
  // Degenerate sizes get the default size at the saved position.
  EXPECT_EQ(place(10, 20, 15, 520, 1920, 1080), (std::vector<int>{10, 20, 658, 464}));
  EXPECT_EQ(place(0, 0, 0, 0, 1920, 1080), (std::vector<int>{0, 0, 658, 464}));
  // Values at the ends of the 32-bit range do not overflow.
  EXPECT_EQ(place(INT_MAX, INT_MAX, INT_MAX, INT_MAX, 1920, 1080),
            (std::vector<int>{0, 0, 658, 464}));
  // Left of or above the screen: back to its edge, keeping the size.
  EXPECT_EQ(place(INT_MIN, 10, INT_MAX, 500, 1920, 1080), (std::vector<int>{0, 10, 658, 464}));
  EXPECT_EQ(place(-1000000000, -1000000000, 1000000000, 1000000000, 1920, 1080),
            (std::vector<int>{0, 0, 2000000000, 2000000000}));
  EXPECT_EQ(place(-600, -400, -399, 549, 1920, 1080), (std::vector<int>{0, -400, 201, 949}));
}

TEST_F(StartupTest, FirstStartWithoutSettingsFile) {
  start();
  EXPECT_EQ(std::string(settingsPath), dir.file("Korvandelith.ini"));
  EXPECT_EQ(std::string(settingTexts[TXT_CATEGORY_CSV_PATH]), dir.file("Korvandelith.csv"));
  EXPECT_EQ(fakeUi.controls[0].text, "他CADネットリストをKiCad用に変換します。");
  EXPECT_EQ(fakeUi.controls[ID_LANGUAGE].text, "English");
  EXPECT_TRUE(checked(ID_CADVANCE));
  EXPECT_FALSE(checked(ID_PADS));
  EXPECT_TRUE(checked(ID_KICAD_V5));
  EXPECT_FALSE(checked(ID_KICAD_V6));
  EXPECT_EQ(fakeUi.controls[ID_KICAD_V6].text, "KiCad(v6以降)");
  EXPECT_FALSE(checked(ID_OUTPUT_NAME_WITH_REV));
  EXPECT_EQ(fakeUi.controls[ID_FORMAT_OPTION_EDIT].text, "1");
  EXPECT_EQ(fakeUi.controls[ID_NO_MOUNT_EDIT].text, "");
  EXPECT_EQ(fakeUi.controls[ID_NO_MOUNT_EDIT].className, "edit");
  EXPECT_FALSE(fakeUi.controls[ID_RESULT_TEXT].created);  // painted, not a control
  // Controls sit at their mapped rectangles: 12 x 16 cell.
  const FakeControl& execute = fakeUi.controls[ID_EXECUTE];
  EXPECT_EQ((std::vector<int>{execute.x, execute.y, execute.width, execute.height}),
            (std::vector<int>{180, 280, 72, 19}));
  EXPECT_EQ((std::vector<int>{fakeUi.windowX, fakeUi.windowY, fakeUi.windowWidth,
                              fakeUi.windowHeight}),
            (std::vector<int>{0, 0, 658, 464}));

  fakeUi.controls[ID_VERSION_SELECT_EDIT].text = "A";
  fakeUi.windowX = 40;
  std::vector<std::string> lines = closeAndRead();
  ASSERT_EQ(lines.size(), 42u);
  EXPECT_EQ(lines[0], "20");
  EXPECT_EQ(lines[1 + VAL_WINDOW_LEFT], "40");
  EXPECT_EQ(lines[1 + VAL_WINDOW_RIGHT], "698");
  EXPECT_EQ(lines[21], "20");
  EXPECT_EQ(lines[22 + TXT_CATEGORY_CSV_PATH], dir.file("Korvandelith.csv"));
  EXPECT_EQ(lines[22 + TXT_VERSION_SELECT], "A");
  EXPECT_EQ(lines[22 + TXT_FORMAT_OPTION], "1");
}

TEST_F(StartupTest, SavedSettingsComeBack) {
  std::string file = settingsFile({"1", "10", "20", "700", "520", "0", "0", "0", "0", "0", "6",
                                   "1", "1", "0", "0", "0", "0", "0", "0", "-42"},
                                  {"C:\\b.asc", "C:\\b.pro", "NM", "C:\\cat.csv", "",
                                   "Report = r\aCompleted\a\a", "v2", "2"});
  start(&file);
  EXPECT_EQ(fakeUi.controls[ID_LANGUAGE].text, "Japanese");
  EXPECT_TRUE(checked(ID_PADS));
  EXPECT_FALSE(checked(ID_CADVANCE));
  EXPECT_TRUE(checked(ID_KICAD_V6));  // the KiCad 6+ target
  EXPECT_FALSE(checked(ID_KICAD_V5));
  EXPECT_EQ(fakeUi.controls[ID_KICAD_V6].text, "KiCad(v6+)");
  EXPECT_TRUE(checked(ID_OUTPUT_NAME_WITH_REV));
  EXPECT_EQ(fakeUi.controls[ID_NO_MOUNT_EDIT].text, "NM");
  EXPECT_EQ(fakeUi.controls[ID_FORMAT_OPTION_EDIT].text, "2");
  EXPECT_STREQ(settingTexts[TXT_RESULT_TEXT], "Report = r\nCompleted\n\n");
  EXPECT_STREQ(settingTexts[TXT_CATEGORY_CSV_PATH], "C:\\cat.csv");
  EXPECT_EQ((std::vector<int>{fakeUi.windowX, fakeUi.windowY, fakeUi.windowWidth,
                              fakeUi.windowHeight}),
            (std::vector<int>{10, 20, 690, 500}));
  EXPECT_EQ(closeAndRead().size(), 42u);
  EXPECT_EQ(readFile(dir.file("Korvandelith.ini")), file);  // byte for byte
}

TEST_F(StartupTest, CorrectionsAndShortFiles) {
  // A language of 5 and a format option of 7 are corrected; an input
  // format outside the group checks no radio button.
  std::string file = settingsFile({"5", "0", "0", "0", "0", "0", "0", "0", "0", "0", "99"},
                                  {"", "", "", "", "", "", "", "7"});
  start(&file);
  EXPECT_EQ(settingValues[VAL_LANGUAGE], 0);
  EXPECT_STREQ(settingTexts[TXT_FORMAT_OPTION], "1");
  for (int id = ID_CADVANCE; id <= ID_PADS; id++) EXPECT_FALSE(checked(id)) << id;
  EXPECT_EQ(settingValues[VAL_INPUT_FORMAT], 99);

  // Only the value section, with 25 value lines: the first 20 count, the
  // texts keep their defaults, the category file among them.
  std::string values = "25\r\n";
  for (int i = 0; i < 25; i++) values += std::to_string(i == 0 ? 1 : 100 + i) + "\r\n";
  start(&values);
  EXPECT_EQ(settingValues[VAL_LANGUAGE], 1);
  EXPECT_EQ(settingValues[19], 119);
  EXPECT_EQ(std::string(settingTexts[TXT_CATEGORY_CSV_PATH]), dir.file("Korvandelith.csv"));
  EXPECT_STREQ(settingTexts[TXT_FORMAT_OPTION], "1");

  // 25 value lines, then the texts: the five extra lines are skipped.
  std::string both = values + "2\r\nin.asc\r\nin.pro\r\n";
  start(&both);
  EXPECT_STREQ(settingTexts[TXT_INPUT_NETLIST_PATH], "in.asc");
  EXPECT_STREQ(settingTexts[TXT_PROJECT_PATH], "in.pro");
  // A missing category file path keeps its default.
  EXPECT_EQ(std::string(settingTexts[TXT_CATEGORY_CSV_PATH]), dir.file("Korvandelith.csv"));
}

TEST_F(StartupTest, HostileSettingsFilesStillOpenTheWindow) {
  std::mt19937 random(7);
  std::string noise;
  for (int i = 0; i < 20000; i++) noise += static_cast<char>(random());
  std::string longLine = settingsFile({"0"}, {std::string(100000, 'x'), "next"});
  std::string hugeCount = "2147483647\r\n1\r\n";
  std::string hugerCount = "99999999999999999999\r\n1\r\n";
  std::string negativeCount = "-2147483649\r\n3\r\nA\r\nB\r\nC\r\n";
  std::string badLanguage = settingsFile({"7", "0", "0", "0", "0", "0", "0", "0", "0", "0", "6"},
                                         {"", "", "", "", "", "", "", ""});
  for (const std::string* file : {&noise, &longLine, &hugeCount, &hugerCount, &negativeCount,
                                  &badLanguage}) {
    SCOPED_TRACE(file->substr(0, 20));
    resetFakeUi();
    fakeUi.fullPath = dir.file("Korvandelith.exe");
    start(file);
    EXPECT_TRUE(settingValues[VAL_LANGUAGE] == 0 || settingValues[VAL_LANGUAGE] == 1);
    char first = settingTexts[TXT_FORMAT_OPTION][0];
    EXPECT_TRUE(first >= '0' && first <= '3');
    EXPECT_TRUE(fakeLogged("move"));
    EXPECT_GT(fakeUi.windowWidth, 5);
    for (int i = 0; i < 20; i++) EXPECT_LE(strlen(settingTexts[i]), 9999u);
    std::vector<std::string> lines = closeAndRead();
    EXPECT_EQ(lines.size(), 42u);
    EXPECT_EQ(lines[0], "20");
  }
  // The long line keeps its first 9999 characters; the next setting is intact.
  start(&longLine);
  EXPECT_EQ(strlen(settingTexts[TXT_INPUT_NETLIST_PATH]), 9999u);
  EXPECT_STREQ(settingTexts[TXT_PROJECT_PATH], "next");
  start(&negativeCount);  // no values read; the "3" count reads three texts
  EXPECT_STREQ(settingTexts[TXT_INPUT_NETLIST_PATH], "A");
  EXPECT_STREQ(settingTexts[TXT_NO_MOUNT_SYMBOL], "C");
  start(&hugeCount);
  EXPECT_EQ(settingValues[VAL_LANGUAGE], 1);
}

TEST_F(StartupTest, NoSettingsFileWhenThePathCannotBeFormed) {
  fakeUi.fullPath = "";
  start();
  EXPECT_STREQ(settingsPath, "");
  EXPECT_STREQ(settingTexts[TXT_CATEGORY_CSV_PATH], "");
  EXPECT_TRUE(checked(ID_CADVANCE));
  destroyWindowContent();
  EXPECT_EQ(fakeUi.quitCode, 0);
  EXPECT_FALSE(exists(dir.file("Korvandelith.ini")));
}

TEST_F(StartupTest, UnwritableSettingsFileIsReported) {
  // A directory in the settings file's place can be neither read nor written.
  std::string cmd = "mkdir " + dir.file("Korvandelith.ini");
  ASSERT_EQ(system(cmd.c_str()), 0);
  start();
  EXPECT_TRUE(checked(ID_CADVANCE));
  destroyWindowContent();
  EXPECT_EQ(fakeUi.quitCode, 0);
  ASSERT_EQ(fakeUi.boxes.size(), 1u);
  EXPECT_EQ(fakeUi.boxes[0].text, "出力ファイルに書き込めません\n" + dir.file("Korvandelith.ini"));
  // On a full device the write fails, and the old file is never cut.
  resetFakeUi();
  fakeUi.fullPath = dir.file("sub/Korvandelith.exe");
  ASSERT_EQ(system(("mkdir " + dir.file("sub")).c_str()), 0);
  ASSERT_EQ(symlink("/dev/full", dir.file("sub/Korvandelith.ini").c_str()), 0);
  createWindowContent(variablePitch);
  destroyWindowContent();
  EXPECT_EQ(fakeUi.boxes.size(), 1u);
}

}  // namespace
