// Warnings: each board gives exactly its kinds of loss, with their counts and
// first examples, one line each in both languages right before "Completed",
// and exit status 3 under --strict.  Whole files give no warning at all.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "netlist/losses.h"
#include "options/options.h"
#include "run/run.h"
#include "tests/test_support.h"

// Boards name only the fields they set; the rest keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

struct Expect {
  int kind;
  int count;
  std::string example;
};

struct Board {
  std::string name;
  std::string format;
  std::string input;
  std::vector<Expect> expect;
  std::string category = "Category,PCB,Footprint\nR,R0603,Resistor_SMD:R_0603\n";
  std::string previous;  // the report board.in_f00.csv, when not empty
  std::string failure;   // the message of a run that fails
  std::string absent;    // text that neither the netlist nor the report may hold
};

std::string repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; i++) out += text;
  return out;
}

std::string pads(const std::string& parts, const std::string& nets, const char* end = "*END*\n") {
  return "*PADS-PCB*\n*PART*\n" + parts + "*NET*\n" + nets + end;
}

std::vector<Board> boards() {
  const std::string parts = "R1 10k@R0603\nR2 1k@R0603\n";
  const std::string nets = "*SIGNAL* A\nR1.1 R2.1\n*SIGNAL* B\nR1.2 R2.2\n";
  std::string manyParts, manyPins, manyRows = "Category,PCB,Footprint\n";
  for (int i = 1; i <= 6003; i++) manyParts += "R" + std::to_string(i) + " 1k@R0603\n";
  for (int i = 1; i <= 20002; i++) manyPins += "R1." + std::to_string(i) + "\n";
  for (int i = 0; i < 6001; i++) manyRows += "R,P" + std::to_string(i) + ",L:F\n";
  const std::string cadvance = "$NET_LIST{comp{R1[1k]{P};R2[1k]{P};}nets{A={R1-1,R2-1};}";
  const std::string mm2 = "$NET\nA;R1-1,R2-1\n$END\n$PTS\nP!1k;R1\nP!1k;R2\n";
  const std::string telesis = "$PACKAGES\nP ! 1k ; R1 R2\n$NETS\nA ; R1.1 R2.1\n";
  const std::string ccf = "$CCF{\nDEFINITION{\n1k.R0603:R1,R2;\n}\nNET{\nA:R1(1),R2(1);\n}\n";
  const std::string protel = "[\nR1\nR0603\n1k\n]\n[\nR2\nR0603\n1k\n]\n(\nA\nR1-1\nR2-1\n";
  const std::string x24(24, 'x'), x2m(2200000, 'x');
  const std::string status = "Status,Category,Value,Reference number,PCB attribute,Forced mark,"
                             "Footprint code\n";
  return {
      {"parts over capacity", "pads", pads(manyParts, nets),
       {{LOSS_PARTS_OVER_CAPACITY, 3, "R6001"}}},
      {"pins over capacity", "pads", pads(parts, "*SIGNAL* A\n" + manyPins),
       {{LOSS_PINS_OVER_CAPACITY, 2, "R1.20001"}}},
      {"pins over capacity, CCF", "ccf",
       "$CCF{\nDEFINITION{\n1k.R0603:R1;\n}\nNET{\nA:" + repeat("R1(1),\n", 20001) +
           "R1(2);\n}\n}\n",
       {{LOSS_PINS_OVER_CAPACITY, 2, "R1(1)"}}},
      {"read limit, CADVANCE", "cadvance", cadvance + std::string(2100000, 'x') + "}",
       {{LOSS_READ_LIMIT, 1, x24}}},
      {"read limit, MM-2/Colmo", "mm2", mm2 + repeat("\n", 2100000) + "$END\n",
       {{LOSS_READ_LIMIT, 1, std::string(24, '?')}}},
      {"read limit, TELESIS", "telesis", telesis + repeat("$NETS\n", 400000) + "$END\n",
       {{LOSS_READ_LIMIT, 1, "$NETS?$NETS?$NETS?$NETS?"}}},
      {.name = "read limit inside a node fails", .format = "cadvance",
       .input = "$NET_LIST{comp{R1[1k]{P};}nets{A={" + x2m, .expect = {{LOSS_READ_LIMIT, 1, x24}},
       .failure = "-7 Input too long: reading stopped at the read limit of 2100000 bytes\n"},
      {"cut texts of each kind", "pads",
       pads("ABCDEFGHIJKLMNOPQRSTUVWXYZ 10k@R0603\nABCDEFGHIJKLMNOPQRSTXYZ 1k@R0603\nR1 " +
                std::string(101, 'v') + "@R0603\nR2 1k@" + std::string(122, 'p') + "\n",
            "*SIGNAL* " + std::string(51, 'N') +
                "\nABCDEFGHIJKLMNOPQRSTUVWXYZ.1 R1.12345678901 R2.1\n"),
       {{LOSS_CUT_REFERENCE, 3, "ABCDEFGHIJKLMNOPQRST"},
        {LOSS_CUT_VALUE, 1, std::string(40, 'v') + "..."},
        {LOSS_CUT_PCB_ATTRIBUTE, 1, std::string(40, 'p') + "..."},
        {LOSS_CUT_PIN, 1, "1234567890"},
        {LOSS_CUT_NET_NAME, 1, std::string(40, 'N') + "..."},
        {LOSS_DUPLICATE_REFERENCE, 1, "ABCDEFGHIJKLMNOPQRST"}}},
      {"pin without part", "pads", pads(parts, "*SIGNAL* A\nR1.1 R2.1 .3\n"),
       {{LOSS_PIN_WITHOUT_PART, 1, ".3"}}},
      {"duplicate reference", "pads", pads("R1 10k@R0603\n" + parts, nets),
       {{LOSS_DUPLICATE_REFERENCE, 1, "R1"}}},
      {"pin in two nets", "pads", pads(parts, nets + "*SIGNAL* C\nR2.1\n"),
       {{LOSS_PIN_IN_TWO_NETS, 1, "R2.1"}}},
      {"no *END*", "pads", pads(parts, nets, ""), {{LOSS_NO_CLOSING_MARK, 1, "*END*"}}},
      {"no last }, CADVANCE", "cadvance", cadvance, {{LOSS_NO_CLOSING_MARK, 1, "}"}}},
      {"no $END, MM-2/Colmo", "mm2", mm2, {{LOSS_NO_CLOSING_MARK, 1, "$END"}}},
      {"no $END, TELESIS", "telesis", telesis, {{LOSS_NO_CLOSING_MARK, 1, "$END"}}},
      {"no last }, CCF", "ccf", ccf, {{LOSS_NO_CLOSING_MARK, 1, "}"}}},
      {"no ), Protel", "protel", protel, {{LOSS_NO_CLOSING_MARK, 1, ")"}}},
      {.name = "category rows over capacity", .format = "pads", .input = pads(parts, nets),
       .expect = {{LOSS_CATEGORY_ROWS_OVER_CAPACITY, 1, "R P6000"}}, .category = manyRows},
      {.name = "text pool full", .format = "pads", .input = pads(parts, nets),
       .expect = {{LOSS_TEXT_POOL_FULL, 1, std::string(40, 'b') + "..."}},
       .category = "Category,PCB,Footprint\nR,R0603,\"" + std::string(2000000, 'a') +
                   "\"\nR,R0805,\"" + std::string(300000, 'b') + "\"\n"},
      {.name = "category file without rows", .format = "pads", .input = pads(parts, nets),
       .expect = {{LOSS_CATEGORY_WITHOUT_ROWS, 1, "R,R0603,Resistor_SMD:R_0603"}},
       .category = "R,R0603,Resistor_SMD:R_0603\n"},
      {.name = "previous report without rows", .format = "pads", .input = pads(parts, nets),
       .expect = {{LOSS_PREVIOUS_WITHOUT_ROWS, 1, "Input=board.in"}},
       .previous = "Input=board.in\nOutput=board.net\n" + status},
      {.name = "over-long category line", .format = "pads", .input = pads(parts, nets),
       .expect = {{LOSS_LONG_CATEGORY_LINE, 1, "R,R0805,L:F," + std::string(18, 'x')}},
       .category = "Category,PCB,Footprint\nR,R0805,L:F," + std::string(2100200 - 12, 'x') +
                   "R,R0603,Evil:Footprint\n",
       .absent = "Evil"},
      {.name = "over-long report line", .format = "pads", .input = pads(parts, nets),
       .expect = {{LOSS_LONG_REPORT_LINE, 1, "new,R,\"`" + std::string(22, 'v')}},
       .previous = status + "keep,R,\"`10k\",R1,\"R0603\",,\"L:F\"\nnew,R,\"`" +
                   std::string(2200000, 'v') + "\"\n"},
      {"NUL in a TELESIS net name", "telesis",
       telesis + std::string("N\0X ; R1.2\nC ; R2.2\n$END\n", 25), {}},
  };
}

int formatNumber(const std::string& name) {
  const char* names[] = {"cadvance", "mm2", "", "protel", "telesis", "ccf", "pads"};
  for (int i = 0; i < 7; i++)
    if (name == names[i]) return i;
  return -1;
}

void writeBoard(const TempDir& dir, const Board& b) {
  writeFile(dir.file("board.in"), crlf(b.input));
  writeFile(dir.file("board.pro"), "");
  writeFile(dir.file("cat.csv"), crlf(b.category));
  if (!b.previous.empty()) writeFile(dir.file("board.in_f00.csv"), crlf(b.previous));
}

// Runs the board in this language and checks the loss record and the lines.
void checkRun(const Board& b, int language) {
  TempDir dir;
  writeBoard(dir, b);
  resetSettings();
  setSettingText(TXT_INPUT_NETLIST_PATH, dir.file("board.in").c_str());
  setSettingText(TXT_PROJECT_PATH, dir.file("board.pro").c_str());
  setSettingText(TXT_CATEGORY_CSV_PATH, dir.file("cat.csv").c_str());
  setSettingText(TXT_FORMAT_OPTION, "0");
  settingValues[VAL_INPUT_FORMAT] = formatNumber(b.format);
  settingValues[VAL_LANGUAGE] = language;
  runConversion();
  std::string result = settingTexts[TXT_RESULT_TEXT];

  int expected[LOSS_KIND_COUNT] = {};
  for (const Expect& e : b.expect) {
    expected[e.kind] = e.count;
    EXPECT_EQ(losses.example[e.kind], e.example) << "kind " << e.kind;
  }
  for (int kind = 0; kind < LOSS_KIND_COUNT; kind++)
    EXPECT_EQ(losses.count[kind], expected[kind]) << "kind " << kind << "\n" << result;

  if (!b.failure.empty()) {
    if (language == 1) {
      EXPECT_NE(result.find("\n" + b.failure), std::string::npos) << result;
    }
    return;
  }
  // The totals line, one warning line per kind, then "Completed".
  const std::string prefix = language == 1 ? "Warning: " : "警告: ";
  size_t at = result.find("\n", result.find("total parts=")) + 1;
  for (size_t k = 0; k < b.expect.size(); k++) {
    EXPECT_EQ(result.compare(at, prefix.size(), prefix), 0) << result;
    at = result.find("\n", at) + 1;
  }
  EXPECT_EQ(result.substr(at), "Completed\n") << result;
  if (!b.absent.empty()) {
    EXPECT_EQ(readFile(dir.file("board.net")).find(b.absent), std::string::npos);
    EXPECT_EQ(readFile(dir.file("board.in_f00.csv")).find(b.absent), std::string::npos);
  }
}

}  // namespace

TEST(Warnings, EachBoardGivesExactlyItsLossesInBothLanguages) {
  for (const Board& b : boards()) {
    SCOPED_TRACE(b.name);
    checkRun(b, 1);
    checkRun(b, 0);
    TempDir dir;
    writeBoard(dir, b);
    CliResult r = runCli({"--input", "board.in", "--format", b.format, "--project", "board.pro",
                          "--category", "cat.csv", "--format-option", "0", "--strict"},
                         dir.path);
    EXPECT_EQ(r.status, !b.failure.empty() ? 1 : b.expect.empty() ? 0 : 3) << r.out;
  }
}

TEST(Warnings, WholeFilesGiveNone) {
  const std::string root = sourceDir();
  struct Input {
    std::string path, format;
  } inputs[] = {{root + "/examples/board.asc", "pads"},
                {root + "/fuzz/seeds/cadvance.txt", "cadvance"},
                {root + "/fuzz/seeds/mm2.txt", "mm2"},
                {root + "/fuzz/seeds/protel.txt", "protel"},
                {root + "/fuzz/seeds/telesis.txt", "telesis"},
                {root + "/fuzz/seeds/ccf.txt", "ccf"},
                {root + "/fuzz/seeds/pads.txt", "pads"}};
  std::vector<Input> all(std::begin(inputs), std::end(inputs));
  const std::string samples = root + "/../shared/samples/";
  for (const char* format : {"pads", "protel", "telesis"})
    for (const std::string& name : listDir(samples + format))
      if (name != "parallella-rf.asc")  // a part list without nets: it fails, as it should
        all.push_back({samples + format + "/" + name, format});
  for (const Input& in : all) {
    TempDir dir;
    writeFile(dir.file("board.in"), readFile(in.path));
    writeFile(dir.file("board.pro"), "");
    CliResult r = runCli({"--input", "board.in", "--format", in.format, "--project", "board.pro",
                          "--category", root + "/examples/Korvandelith.csv", "--language", "en",
                          "--strict"},
                         dir.path);
    EXPECT_EQ(r.status, 0) << in.path << "\n" << r.out;
    EXPECT_EQ(r.out.find("Warning"), std::string::npos) << in.path;
  }
}
