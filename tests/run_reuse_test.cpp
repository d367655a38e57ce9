// Conversions one after another in one process, as the window program runs
// them.  Records an earlier run bound and sorted are bound again as a later
// run fills them, so every later run must write exactly what a fresh
// process writes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

#include "options/options.h"
#include "run/run.h"
#include "tests/test_support.h"

namespace {

struct Case {
  const char* dir;  // under tests/golden, with the board's inputs in board/in
  const char* input;
  const char* category;
  const char* format;
  int formatNumber;
};

const Case kCases[] = {
    {"examples", "board.asc", "Korvandelith.csv", "pads", 6},
    {"pads", "board.asc", "cat.csv", "pads", 6},
    {"cadvance", "board.net.in", "category.csv", "cadvance", 0},
    {"mm2", "board.net.in", "category.csv", "mm2", 1},
    {"protel", "board.net.in", "category.csv", "protel", 3},
    {"telesis", "board.in", "parts.csv", "telesis", 4},
    {"ccf", "board.in", "parts.csv", "ccf", 5},
};

void copyInputs(const Case& c, const TempDir& dir) {
  std::string from = sourceDir() + (std::string(c.dir) == "examples"
                                        ? "/examples/"
                                        : "/tests/golden/" + std::string(c.dir) + "/board/in/");
  for (const std::string& name : {std::string(c.input), std::string(c.category)})
    writeFile(dir.file(name), readFile(from + name));
  writeFile(dir.file("board.pro"), "");
}

void runInProcess(const Case& c, const TempDir& dir) {
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  ASSERT_EQ(chdir(dir.path.c_str()), 0);
  resetSettings();
  setSettingText(TXT_INPUT_NETLIST_PATH, c.input);
  setSettingText(TXT_PROJECT_PATH, "board.pro");
  setSettingText(TXT_CATEGORY_CSV_PATH, c.category);
  setSettingText(TXT_FORMAT_OPTION, "0");
  settingValues[VAL_INPUT_FORMAT] = c.formatNumber;
  runConversion();
  ASSERT_EQ(chdir(cwd), 0);
}

}  // namespace

TEST(RunReuse, EveryRunAfterOthersWritesWhatAFreshProcessWrites) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.dir);
    TempDir here, fresh;
    copyInputs(c, here);
    copyInputs(c, fresh);
    runInProcess(c, here);
    runCli({"--input", c.input, "--format", c.format, "--format-option", "0", "--project",
            "board.pro", "--category", c.category},
           fresh.path);
    ASSERT_EQ(listDir(here.path), listDir(fresh.path));
    for (const std::string& name : listDir(fresh.path))
      EXPECT_EQ(readFile(here.file(name)), readFile(fresh.file(name))) << name;
  }
}
