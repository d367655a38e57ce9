// Runs through korvandelith-cli: the failure table, the format option,
// project paths, settings and usage errors.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace {

const char kBoard[] =
    "*PADS-PCB*\n*PART*\nR1 10k@R0603\nC1 100n@C0603\nU1 LM358@Lib:SOIC8\n*NET*\n"
    "*SIGNAL* VCC\nU1.8 R1.1\n*SIGNAL* GND\nU1.4 C1.2\n*SIGNAL* IN\nR1.2 C1.1 U1.3\n*END*\n";

struct Board {
  TempDir dir;
  Board() {
    writeFile(dir.file("board.asc"), crlf(kBoard));
    writeFile(dir.file("board.pro"), "");
    writeFile(dir.file("cat.csv"), crlf("Category,PCB,Footprint\nR,R0603,Resistor_SMD:R_0603\n"));
  }
  CliResult run(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"--input",    "board.asc", "--format",   "pads",
                                     "--project",  "board.pro", "--category", "cat.csv",
                                     "--language", "en"};
    args.insert(args.end(), extra.begin(), extra.end());
    return runCli(args, dir.path);
  }
  std::vector<std::string> files() { return listDir(dir.path); }
};

const std::vector<std::string> kInputs = {"board.asc", "board.pro", "cat.csv"};

std::vector<std::string> withInputs(std::vector<std::string> more) {
  more.insert(more.end(), kInputs.begin(), kInputs.end());
  std::sort(more.begin(), more.end());
  return more;
}

}  // namespace

TEST(RunCli, FormatOptionIsCheckedByItsFirstCharacter) {
  for (const char* bad : {"a", "4", "", " 1"}) {
    Board b;
    CliResult r = b.run({"--format-option", bad});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, std::string("Format option error\n") + bad);
    EXPECT_EQ(b.files(), withInputs({}));
  }
  Board b;
  writeFile(b.dir.file("s.ini"), "");
  EXPECT_EQ(b.run({"--format-option", "12", "--settings", "s.ini", "--save"}).status, 0);
  std::string ini = readFile(b.dir.file("s.ini"));
  // Line 9 holds value 7, the numeric format option.
  size_t at = 0;
  for (int line = 0; line < 8; line++) at = ini.find("\r\n", at) + 2;
  EXPECT_EQ(ini.substr(at, 3), "1\r\n");
  // The CADVANCE format always takes format option 1.
  b.run({"--format-option", "3", "--format", "cadvance", "--settings", "s.ini", "--save"});
  ini = readFile(b.dir.file("s.ini"));
  EXPECT_EQ(ini.substr(at, 3), "1\r\n");
  b.run({"--format-option", "3", "--settings", "s.ini", "--save"});
  ini = readFile(b.dir.file("s.ini"));
  EXPECT_EQ(ini.substr(at, 3), "3\r\n");
}

TEST(RunCli, FailuresBeforeTheOutputLeaveNoFile) {
  {
    Board b;
    CliResult r = b.run({"--input", "missing.asc"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Can't open the input file.\nmissing.asc");
    EXPECT_EQ(b.files(), withInputs({}));
  }
  for (auto [project, shown] : std::vector<std::pair<std::string, std::string>>{
           {"board.PRO", "board.net"},
           {"board.kicad_pro", "board.kicad_net"},
           {"", "net"},
           {"ab", "net"},
           {"nodir/board.pro", "nodir/board.net"},
           {std::string(520, 'p') + ".pro", std::string(520, 'p') + ".net"}}) {
    Board b;
    CliResult r = b.run({"--project", project});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Can't create the output file.\n" + shown);
    EXPECT_EQ(b.files(), withInputs({}));
  }
  {
    // An input path whose report names would not fit is refused.
    Board b;
    std::string longInput = "./" + std::string(510, 'a');
    CliResult r = b.run({"--input", longInput});
    EXPECT_EQ(r.out, "Can't open the input file.\n" + longInput);
    // A directory is not a netlist.
    r = b.run({"--input", "."});
    EXPECT_EQ(r.out, "Can't open the input file.\n.");
    EXPECT_EQ(b.files(), withInputs({}));
  }
}

TEST(RunCli, LaterFailuresLeaveNoNetlist) {
  {
    Board b;
    CliResult r = b.run({"--category", "none.csv"});
    EXPECT_EQ(r.out, "Can't open the input file.\nnone.csv");
    EXPECT_EQ(b.files(), withInputs({}));
    EXPECT_FALSE(exists(b.dir.file("board.net")));
  }
  {
    // A report that cannot be created (the input lies where nothing can be written).
    Board b;
    CliResult r = b.run({"--input", "/proc/version"});
    EXPECT_EQ(r.out, "Can't create the output file.\n/proc/version_f00.csv");
    EXPECT_EQ(b.files(), withInputs({}));
  }
  for (auto [format, code] : std::vector<std::pair<std::string, std::string>>{
           {"2", "-1"}, {"99", "-1"}, {"-7", "-1"}}) {
    Board b;
    CliResult r = b.run({"--format", format});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Report = board.asc_f00.csv\n" + code + " Format error\nboard.asc");
    EXPECT_EQ(b.files(), withInputs({"board.asc_f00.csv"}));
    EXPECT_FALSE(exists(b.dir.file("board.net")));
    std::string report = readFile(b.dir.file("board.asc_f00.csv"));
    EXPECT_EQ(report.rfind("Input=board.asc\r\nOutput=board.net\r\n", 0), 0u);
    EXPECT_EQ(report.find("Status"), std::string::npos);
  }
  {
    Board b;
    writeFile(b.dir.file("board.asc"), crlf("*PART*\nR1 1@2\n"));
    CliResult r = b.run();
    EXPECT_EQ(r.out, "Report = board.asc_f00.csv\n-9 Format error\nboard.asc");
  }
  {
    Board b;
    CliResult r = b.run({"--project-kind", "2"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.substr(r.out.size() - 21), "FAILD! wrong netlist\n");
    EXPECT_NE(r.out.find("\ntotal parts=3"), std::string::npos);
    EXPECT_FALSE(exists(b.dir.file("board.net")));
    EXPECT_NE(readFile(b.dir.file("board.asc_f00.csv")).find("\"total parts=3"), std::string::npos);
  }
}

TEST(RunCli, JapaneseMessages) {
  Board b;
  CliResult r = b.run({"--language", "ja", "--input", "x"});
  EXPECT_EQ(r.out, "入力ファイルが開けません\nx");
  r = b.run({"--language", "0", "--format", "2"});
  EXPECT_EQ(r.out, "Report = board.asc_f00.csv\n-1 フォーマット・エラー\nboard.asc");
}

TEST(RunCli, UsageErrorsRunNothing) {
  for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
           {"--bogus"},
           {"board.asc"},
           {"--input=board.asc"},
           {"--inp", "board.asc"},
           {"--input"},
           {"--language", "fr"},
           {"--format", "gerber"},
           {"--format", "99999999999"},
           {"--project-kind", "x"}}) {
    Board b;
    CliResult r = runCli(args, b.dir.path);
    EXPECT_EQ(r.status, 2) << args[0];
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("Usage: korvandelith-cli"), std::string::npos);
    EXPECT_EQ(b.files(), withInputs({}));
  }
  Board b;
  CliResult r = runCli({"--help"}, b.dir.path);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("Usage: korvandelith-cli", 0), 0u);
  // Every option takes the next argument as its value, whatever it is.
  r = b.run({"--no-mount", "--rev", "--format", "-1"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("-1 Format error"), std::string::npos);
}

TEST(RunCli, SettingsFileIsReadAndSaved) {
  Board b;
  // Values: language 1, input format 6; texts: input, project, category.
  std::string ini = "20\n1\n0\n0\n0\n0\n0\n0\n0\n0\n0\n6\n0\n0\n0\n0\n0\n0\n0\n0\n0\n"
                    "3\nboard.asc\nboard.pro\n\n";
  writeFile(b.dir.file("Korvandelith.ini"), crlf(ini));
  // The default category file is Korvandelith.csv in the current directory.
  CliResult r = runCli({}, b.dir.path);
  EXPECT_EQ(r.out, "Can't open the input file.\n" + b.dir.path + "/Korvandelith.csv");
  writeFile(b.dir.file("Korvandelith.csv"), "");
  r = runCli({"--save"}, b.dir.path);
  EXPECT_EQ(r.status, 0) << r.out;
  std::string saved = readFile(b.dir.file("Korvandelith.ini"));
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < saved.size()) {
    size_t end = saved.find("\r\n", at);
    ASSERT_NE(end, std::string::npos);
    lines.push_back(saved.substr(at, end - at));
    at = end + 2;
  }
  ASSERT_EQ(lines.size(), 42u);
  EXPECT_EQ(lines[0], "20");
  EXPECT_EQ(lines[1], "1");
  EXPECT_EQ(lines[11], "6");
  EXPECT_EQ(lines[21], "20");
  EXPECT_EQ(lines[22], "board.asc");
  EXPECT_EQ(lines[25], b.dir.path + "/Korvandelith.csv");
  EXPECT_EQ(lines[26], "board.asc_f00.csv");
  // The result text keeps its line feeds as 0x07 on one line.
  EXPECT_EQ(lines[27].rfind("Report = board.asc_f00.csv\x07total parts=3", 0), 0u);
  EXPECT_EQ(lines[27].substr(lines[27].size() - 11), "\x07" "Completed\x07");
  EXPECT_EQ(lines[29], "1");  // the corrected format option
}

TEST(RunCli, SettingsFileEdgeCases) {
  Board b;
  // Counts beyond 20 skip the extra lines; a language of 7 becomes 0; a text
  // line of 100,000 characters keeps 9999 and nothing spills over.
  std::string ini = "25\n7\n";
  for (int i = 1; i < 25; i++) ini += (i == 10 ? "6" : "0") + std::string("\n");
  ini += "22\nboard.asc\nboard.pro\n" + std::string(100000, 'n') + "\ncat.csv\n";
  writeFile(b.dir.file("odd.ini"), crlf(ini));
  CliResult r = runCli({"--settings", "odd.ini", "--save"}, b.dir.path);
  EXPECT_EQ(r.status, 0) << r.out;
  std::string saved = readFile(b.dir.file("odd.ini"));
  EXPECT_EQ(saved.rfind("20\r\n0\r\n", 0), 0u);
  EXPECT_NE(saved.find("\r\n" + std::string(9999, 'n') + "\r\ncat.csv\r\n"), std::string::npos);
  // Random bytes, huge and negative counts: the defaults stand, nothing breaks.
  std::mt19937 rng(7);
  std::string noise;
  for (int i = 0; i < 200000; i++) noise += static_cast<char>(rng());
  for (const std::string& text : {noise, std::string("2147483647\n1\n"),
                                  std::string("-5\n-99999999999999\n1\n")}) {
    writeFile(b.dir.file("bad.ini"), text);
    r = runCli({"--settings", "bad.ini", "--input", "none"}, b.dir.path);
    EXPECT_EQ(r.status, 1);
  }
  // A settings file that does not exist reads as none, and --save creates it.
  r = runCli({"--settings", "new.ini", "--save", "--input", "none"}, b.dir.path);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(exists(b.dir.file("new.ini")));
  r = runCli({"--settings", "nodir/new.ini", "--save", "--input", "none"}, b.dir.path);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot write the settings file"), std::string::npos);
}

TEST(RunCli, HostileInputsEndInAFormatError) {
  std::mt19937 rng(11);
  std::string noise;
  for (int i = 0; i < 100000; i++) noise += static_cast<char>(rng());
  std::string big;
  while (big.size() < 10 * 1000 * 1000) big += "R1.1 R2.2 R3.3 R4.4 R5.5 R6.6 R7.7 R8.8\r\n";
  std::vector<std::string> inputs = {
      "", noise, std::string(100000, 'x') + "\r\n" + std::string(100000, '*'),
      "*NET*\r\n*SIGNAL* " + std::string(100000, 'N') + "\r\n" + std::string(100000, '.'),
      "*PART*\r\n*NET*\r\n*SIGNAL* A\r\n" + big};
  for (const std::string& input : inputs) {
    Board b;
    writeFile(b.dir.file("board.asc"), input);
    CliResult r = b.run();
    EXPECT_TRUE(r.status == 0 || r.out.find("Format error\nboard.asc") != std::string::npos)
        << r.out.substr(0, 200);
  }
}
