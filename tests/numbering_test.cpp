// Report numbering (directory listing, highest pair, increment, the
// previous report with a header) and reading back a previous report.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cctype>
#include <random>
#include <string>

#include "run/category.h"
#include "run/previous.h"
#include "tests/test_support.h"

namespace {

const char kStatusHeader[] =
    "Status,Category,Value,Reference number,PCB attribute,Forced mark,Footprint code\r\n";

struct Names {
  std::string number;
  std::string report;
  bool hasPrevious;
  std::string previous;
};

Names names(const std::string& input) {
  static ReportNames found;
  findReportNames(input.c_str(), &found);
  return {found.number, found.reportPath, found.hasPrevious, found.previousPath};
}

void writeReport(const TempDir& dir, const std::string& number, bool withHeader = true) {
  writeFile(dir.file("board.net_f" + number + ".csv"),
            withHeader ? std::string("Input=x\r\n") + kStatusHeader : "Input=x\r\n");
}

void readReport(const std::string& bytes) {
  static ByteSource source;
  bindPreviousTable();
  clearTextPool();
  openMemorySource(&source, bytes.data(), bytes.size());
  readPreviousReport(&source);
}

// A row as "category|value|reference|pcb|mark|code".
std::string row(int i) {
  const PreviousRow& r = previousTable[i];
  return std::string(r.category) + "|" + r.value + "|" + r.reference + "|" + r.pcbAttribute + "|" +
         r.forcedMark + "|" + r.footprintCode;
}

}  // namespace

TEST(ReportNumbering, FollowsTheHighestReport) {
  TempDir dir;
  std::string input = dir.file("board.net");
  Names n = names(input);
  EXPECT_EQ(n.number, "00");
  EXPECT_EQ(n.report, input + "_f00.csv");
  EXPECT_FALSE(n.hasPrevious);

  for (int i = 0; i <= 7; i++) writeReport(dir, "0" + std::to_string(i));
  n = names(input);
  EXPECT_EQ(n.number, "08");
  EXPECT_EQ(n.report, input + "_f08.csv");
  EXPECT_TRUE(n.hasPrevious);
  EXPECT_EQ(n.previous, input + "_f07.csv");

  // Another input's reports, and names that are not two digits, do not count.
  writeReport(dir, "5x");
  writeReport(dir, "AB");
  writeReport(dir, "\xff\xfe");
  writeReport(dir, "123");
  writeFile(dir.file("board.ne_f09.csv"), kStatusHeader);
  writeFile(dir.file("board.net_f09.csv.bak"), kStatusHeader);
  EXPECT_EQ(names(input).number, "08");
}

TEST(ReportNumbering, GapsNineAndNinetyNine) {
  TempDir dir;
  std::string input = dir.file("board.net");
  writeReport(dir, "05");
  Names n = names(input);
  EXPECT_EQ(n.number, "06");
  EXPECT_EQ(n.previous, input + "_f05.csv");

  writeReport(dir, "09");
  EXPECT_EQ(names(input).number, "10");
  writeReport(dir, "39");
  EXPECT_EQ(names(input).number, "40");

  // At 99 the run reads report 99 and then writes its own under that name.
  writeReport(dir, "99");
  n = names(input);
  EXPECT_EQ(n.number, "99");
  EXPECT_EQ(n.report, input + "_f99.csv");
  EXPECT_EQ(n.previous, input + "_f99.csv");
}

TEST(ReportNumbering, IncrementComparesSignedBytes) {
  auto next = [](const char* pair) {
    char out[3] = {0, 0, 0};
    nextReportNumber(pair, out);
    return std::string(out);
  };
  EXPECT_EQ(next("00"), "01");
  EXPECT_EQ(next("19"), "20");
  EXPECT_EQ(next("99"), "99");
  EXPECT_EQ(next("1Z"), "20");                // 'Z' is above '9'
  EXPECT_EQ(next("A9"), "A9");                // so is 'A'
  EXPECT_EQ(next("0\x80"), "0\x81");          // a high byte is below '9'
  EXPECT_EQ(next("\xf0" "9"), "\xf1" "0");
}

TEST(ReportNumbering, PreviousReportMustHaveRows) {
  TempDir dir;
  std::string input = dir.file("board.net");
  writeReport(dir, "00");
  writeReport(dir, "01", false);  // a run that failed before its rows
  writeReport(dir, "02", false);
  Names n = names(input);
  EXPECT_EQ(n.number, "03");
  EXPECT_TRUE(n.hasPrevious);
  EXPECT_EQ(n.previous, input + "_f00.csv");

  // No report with rows: nothing to read, the number stays as found.
  TempDir other;
  std::string input2 = other.file("board.net");
  writeReport(other, "00", false);
  n = names(input2);
  EXPECT_EQ(n.number, "01");
  EXPECT_FALSE(n.hasPrevious);
  EXPECT_EQ(n.previous, "");

  // The header is found behind a line of more than the line buffer.
  writeFile(other.file("board.net_f00.csv"),
            std::string(3000000, 'x') + "\r\n" + kStatusHeader);
  EXPECT_TRUE(names(input2).hasPrevious);

  // A report that cannot be read is taken as the previous one, so that the
  // run says so instead of dropping the user's edits.
  ASSERT_EQ(mkdir(dir.file("board.net_f04.csv").c_str(), 0755), 0);
  n = names(input);
  EXPECT_EQ(n.number, "05");
  EXPECT_EQ(n.previous, input + "_f04.csv");
  EXPECT_EQ(reportHasHeader(n.previous.c_str()), -1);
}

TEST(ReportNumbering, HundredsOfOddNames) {
  TempDir dir;
  std::string input = dir.file("board.net");
  std::mt19937 random(11);
  auto oddByte = [&] {
    char c;
    do c = static_cast<char>(random() % 256);
    while (c == '/' || c == '\0');
    return c;
  };
  for (int i = 0; i < 400; i++) {
    std::string pair = {oddByte(), oddByte()};
    if (isdigit(static_cast<unsigned char>(pair[0])) && isdigit(static_cast<unsigned char>(pair[1])))
      pair[0] = 'x';
    writeFile(dir.file("board.net_f" + pair + ".csv"), "Status\r\n");
    std::string junk;
    for (int k = 0; k < 1 + i % 40; k++) junk += oddByte();
    writeFile(dir.file(junk), "Status\r\n");
  }
  writeReport(dir, "41");
  writeReport(dir, "42", false);
  Names n = names(input);
  EXPECT_EQ(n.number, "43");
  EXPECT_EQ(n.previous, input + "_f41.csv");
}

TEST(PreviousReport, ColumnsAsWrittenAndAsEdited) {
  readReport(std::string("Input=board.net\r\nOutput=board.net\r\n") +
             "(dup index) R P = Lib:R\r\n"
             "new,X,\"`skipped\",X1,\"P\",,\"Lib:X\"\r\n" + kStatusHeader +
             "new,R,\"`10k\",R1,\"R0603\",,\"Lib:R\"\r\n"
             "keep,R,10k  ,R2,R0603 ,x,Lib:R2\r\n"
             "keep,R,`4k7,R3,`R0603,,`Lib:R3\r\n"
             "new,C,\"`NM(1u)\x82\xA0\tx\",C1,\"`C(0603)\",,\"`Lib:C1\"\r\n"
             "new,L,\"`1/4\"\",L1,\"P\"\"x\",mark,\"Lib:L1\"\r\n"
             "new,\"Q\",\"`1\",\"Q1\",\"P\",\"x\",\"Lib:Q\"\r\n"
             "new,U,\"`a\",U1,\"P\",,Lib:U1\x82\xA0tail\r\n"
             "new,J\r\n"
             "\r\n"
             "new,K,\"`unterminated\r\n"
             "\"total parts=10\"\r\n"
             "new,Z,\"`after\",Z1,\"P\",,\"Lib:Z\"\r\n");
  ASSERT_EQ(previousCount, 10);
  EXPECT_EQ(row(0), "R|10k|R1|R0603||Lib:R");
  EXPECT_EQ(row(1), "R|10k|R2|R0603|x|Lib:R2");
  EXPECT_EQ(row(2), "R|4k7|R3|R0603||Lib:R3");
  EXPECT_EQ(row(3), "C|NM_1u____x|C1|C(0603)||Lib:C1");
  EXPECT_EQ(row(4), "L|1/4|L1|P|mark|Lib:L1");
  EXPECT_EQ(row(5), "Q|1|Q1|P|x|Lib:Q");  // every cell quoted, as spreadsheets may save
  EXPECT_EQ(row(6), "U|a|U1|P||Lib:U1");
  EXPECT_EQ(row(7), "J|||||");
  EXPECT_EQ(row(8), "|||||");
  EXPECT_EQ(row(9), "K|unterminated||||");
  for (int i = 0; i < previousCount; i++) EXPECT_STREQ(previousTable[i].currentFootprint, "");
}

TEST(PreviousReport, FieldsCutToTheirCapacity) {
  readReport(std::string(kStatusHeader) + "new," + std::string(15, 'c') + ",\"`" +
             std::string(105, 'v') + "   \"," + std::string(25, 'r') + ",\"" +
             std::string(130, 'p') + "\"," + std::string(12, 'm') + ",\"" +
             std::string(5000, 'f') + "\"\r\n");
  ASSERT_EQ(previousCount, 1);
  const PreviousRow& r = previousTable[0];
  EXPECT_EQ(std::string(r.category), std::string(10, 'c'));
  EXPECT_EQ(std::string(r.value), std::string(100, 'v'));
  EXPECT_EQ(std::string(r.reference), std::string(20, 'r'));
  EXPECT_EQ(std::string(r.pcbAttribute), std::string(121, 'p'));
  EXPECT_EQ(std::string(r.forcedMark), std::string(10, 'm'));
  EXPECT_EQ(std::string(r.footprintCode), std::string(5000, 'f'));
}

TEST(PreviousReport, NoRowsWithoutAHeader) {
  readReport("Input=x\r\nStatu,Category\r\nnew,R,\"`1\",R1,\"P\",,\"L:R\"\r\n");
  EXPECT_EQ(previousCount, 0);
  readReport("Input=x\r\nOutput=y\r\n(dup index) R P = L\r\n");
  EXPECT_EQ(previousCount, 0);
  readReport("");
  EXPECT_EQ(previousCount, 0);
}

TEST(PreviousReport, LimitsAndBadInput) {
  std::string rows = kStatusHeader;
  for (int i = 0; i < 7000; i++) rows += "new,R,\"`1\",R" + std::to_string(i) + ",\"P\",,\"L:R\"\r\n";
  readReport(rows);
  EXPECT_EQ(previousCount, MAX_PREVIOUS);
  EXPECT_STREQ(previousTable[MAX_PREVIOUS - 1].reference, "R5999");

  // A line longer than the buffer keeps its first piece as a row; its rest
  // is skipped, never read as a row of its own.
  readReport(std::string(kStatusHeader) + "new,R,\"`" + std::string(3000000, 'v') +
             "\",R1,\"P\",,\"L:R\"\r\nnew,C,\"`1\",C1,\"P\",,\"L:C\"\r\n");
  ASSERT_EQ(previousCount, 2);
  EXPECT_EQ(row(1), "C|1|C1|P||L:C");

  std::mt19937 random(5);
  for (int round = 0; round < 20; round++) {
    std::string bytes = round % 2 ? kStatusHeader : "";
    for (int i = 0; i < 200000; i++) {
      unsigned r = random() % 16;
      bytes += r < 5 ? ",\"`\r\n"[r] : static_cast<char>(random() % 256);
    }
    readReport(bytes);
    ASSERT_LE(previousCount, MAX_PREVIOUS);
  }
}

TEST(PreviousReport, SpreadsheetFormsAndDoubledQuotes) {
  // Cells with ',' or '"' as the run writes them now, every cell quoted,
  // a byte-order mark and CR-only line ends; a row whose quotes do not
  // close as a spreadsheet's do is read by the older rules.
  readReport(std::string("\xEF\xBB\xBF\"Status\",\"Category\"\r") +
             "new,R,\"`1/4\"\",5%\",\"R1,A\",\"P\"\"x\",\",m\",\"Lib:\"\"q\"\"\"\r"
             "\"keep\",\"C\",\"`1u\",\"C1\",\"`C0603 \",\"\",\"`Lib:C\"\r"
             "new,L,\"`1/4\"\",L1,\"P\",,Lib:L\x82\xA0x\r"
             "\r"
             "\"total parts=4\"\rnew,Z,\"`z\",Z1,\"P\",,\"Lib:Z\"\r");
  ASSERT_EQ(previousCount, 4);
  EXPECT_EQ(row(0), "R|1/4\",5%|R1,A|P\"x|,m|Lib:\"q\"");
  EXPECT_EQ(row(1), "C|1u|C1|C0603||Lib:C");
  EXPECT_EQ(row(2), "L|1/4|L1|P||Lib:L");
  EXPECT_EQ(row(3), "|||||");
}
