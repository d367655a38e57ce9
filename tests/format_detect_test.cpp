// Format detection: every netlist the project carries (the example, the fuzz
// seeds, the real-world samples) is recognised as its own format, and files
// that are no netlist (a README, a PNG, an empty file, a category CSV, the
// seeds of the run's own files) match none.  Also `--format auto` end to end.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "readers/formats.h"
#include "tests/test_support.h"

namespace {

// The format name detection gives, "none" or "tie".
std::string detectedName(const std::string& bytes) {
  Detection d = detectFormatOfBytes(bytes.data(), bytes.size());
  if (d.outcome == DETECT_NO_MATCH) return "none";
  if (d.outcome == DETECT_TIE) return "tie";
  return formatTable[d.inputFormat].name;
}

struct Expectation {
  std::string path;
  std::string format;  // a command-line name, or "none"
};

std::vector<Expectation> projectFiles() {
  const std::string src = sourceDir();
  std::vector<Expectation> files = {
      {src + "/examples/board.asc", "pads"},
      {src + "/examples/Korvandelith.csv", "none"},
      {src + "/README.md", "none"},
      {src + "/docs/guide.md", "none"},
  };
  // A seed named after a format is a netlist of that format; the others are
  // the run's own files (category part file, report, settings).
  for (const std::string& name : listDir(src + "/fuzz/seeds")) {
    std::string stem = name.substr(0, name.find('.'));
    bool netlist = formatNamed(stem.c_str()) != nullptr;
    files.push_back({src + "/fuzz/seeds/" + name, netlist ? stem : "none"});
  }
  // The samples sit in one folder per format.
  const std::string samples = src + "/../shared/samples";
  if (std::filesystem::is_directory(samples)) {
    for (const auto& folder : std::filesystem::directory_iterator(samples)) {
      if (!folder.is_directory()) continue;
      std::string format = folder.path().filename().string();
      for (const std::string& name : listDir(folder.path().string()))
        files.push_back({folder.path().string() + "/" + name, format});
    }
  }
  return files;
}

TEST(FormatDetect, EveryProjectFileIsItsOwnFormatAndOthersMatchNone) {
  int netlists = 0;
  for (const Expectation& e : projectFiles()) {
    EXPECT_EQ(detectedName(readFile(e.path)), e.format) << e.path;
    if (e.format != "none") netlists++;
  }
  EXPECT_GE(netlists, 7);
}

TEST(FormatDetect, NonNetlistsAndAmbiguousFilesAreRefused) {
  static const char pngHead[] = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10\0\0\0\x10\x08\x06\0\0\0";
  const std::string png(pngHead, sizeof pngHead - 1);
  EXPECT_EQ(detectedName(png), "none");
  EXPECT_EQ(detectedName(""), "none");
  // Words of a format inside prose, not at the start of a line, count for nothing.
  EXPECT_EQ(detectedName("The *PART* and $PACKAGES sections, [ and (.\n"), "none");
  // A line that only begins with a bracket opens no Protel block.
  EXPECT_EQ(detectedName("(Allegro netlister)\n[1] see above\n"), "none");
  // Two formats' landmarks in equal number: no single best.
  EXPECT_EQ(detectedName("$PTS\n$PACKAGES\n"), "tie");
}

TEST(FormatDetect, FormatsThatShareKeywordsStayApart) {
  EXPECT_EQ(detectedName("(Allegro netlister)\n$PACKAGES\n! A ; R1\n$NETS\nN ; R1.1\n$END\n"),
            "telesis");
  EXPECT_EQ(detectedName("$PTS\nA!B;R1\n$END\n$NET\nN;R1-1\n$END\n"), "mm2");
  EXPECT_EQ(detectedName("$NET_LIST {\n comp { R1 [1k] {R};}\n nets { N = {R1-1};}}\n"),
            "cadvance");
  EXPECT_EQ(detectedName("$CCF\n{\nNET\n{\nN : R1(1);\n}\n}\n"), "ccf");
  EXPECT_EQ(detectedName("[\nR1\nR0603\n10k\n]\n(\nN\nR1-1\n)\n"), "protel");
  EXPECT_EQ(detectedName("(\nN\nR1-1\n"), "protel");  // nets alone, cut short
  // Only the first bytes count: a landmark past them is not seen.
  std::string late(SNIFF_PREFIX, ' ');
  EXPECT_EQ(detectedName(late + "\n*PADS-PCB*\n*PART*\n"), "none");
}

TEST(FormatDetect, CliPicksTheFormatAndNamesItOrRefusesWithExitTwo) {
  TempDir dir;
  const std::string src = sourceDir();
  writeFile(dir.file("board.pro"), "");
  writeFile(dir.file("board.tel"), readFile(src + "/fuzz/seeds/telesis.txt"));
  writeFile(dir.file("parts.csv"), readFile(src + "/examples/Korvandelith.csv"));
  writeFile(dir.file("empty.net"), "");

  CliResult ok = runCli({"--input", "board.tel", "--format", "auto", "--project", "board.pro",
                         "--category", "parts.csv"},
                        dir.path);
  EXPECT_NE(ok.err.find("--format auto: telesis\n"), std::string::npos) << ok.err;
  EXPECT_NE(ok.out.find("Completed"), std::string::npos) << ok.out;
  EXPECT_EQ(ok.status, 0);

  for (const char* input : {"parts.csv", "empty.net", "missing.net"}) {
    CliResult r =
        runCli({"--input", input, "--format", "auto", "--project", "board.pro"}, dir.path);
    EXPECT_EQ(r.status, 2) << input;
    EXPECT_EQ(r.out, "") << input;
    EXPECT_EQ(r.err.rfind("korvandelith-cli: --format auto: ", 0), 0u) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;  // one line
  }
}

}  // namespace
