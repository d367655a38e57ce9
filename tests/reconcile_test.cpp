// Reconciliation: no-mount marks, part preparation, value scaling,
// footprint resolution and the status merge with the previous report.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "run/category.h"
#include "run/previous.h"
#include "run/reconcile.h"
#include "tests/test_support.h"

namespace {

void startTables(const char* marks = "") {
  bindNetlistTables();
  bindCategoryIndex();
  bindPreviousTable();
  clearTextPool();
  readNoMountMarks(marks);
}

void loadIndex(const std::string& rows) {
  static ByteSource source;
  static std::string bytes;
  bytes = "Category,PCB,Code\r\n" + rows;
  openMemorySource(&source, bytes.data(), bytes.size());
  loadCategoryIndex(&source, "");
}

PartRecord& addTestPart(const char* reference, const char* value, const char* pcb) {
  addPart(partTable, &partCount, reference, value, pcb);
  PartRecord& part = partTable[partCount - 1];
  part.forcedMark = emptyText;  // as preparation leaves it
  return part;
}

PreviousRow& addRow(const char* reference, const char* value, const char* pcb, const char* mark,
                    const char* code, const char* category = "") {
  PreviousRow& row = nextPreviousRow();
  previousCount++;
  strcpy(row.reference, reference);
  strcpy(row.value, value);
  strcpy(row.pcbAttribute, pcb);
  strcpy(row.forcedMark, mark);
  strcpy(row.category, category);
  row.footprintCode = storeInTextPool(code, strlen(code));
  row.currentFootprint = emptyText;
  return row;
}

const PartRecord* findPart(const char* reference) {
  for (int i = 0; i < partCount; i++)
    if (strcmp(partTable[i].reference, reference) == 0) return &partTable[i];
  return nullptr;
}

std::string stripped(const char* value, const char* marks) {
  readNoMountMarks(marks);
  char buf[CAP_VALUE + 1];
  strcpy(buf, value);
  applyNoMountMarks(buf);
  return buf;
}

}  // namespace

TEST(NoMountMarks, ReadFromTheText) {
  readNoMountMarks("NM ^DNP NC(");
  ASSERT_EQ(noMountCount, 3);
  EXPECT_STREQ(noMountMarks[0].text, "NM");
  EXPECT_EQ(noMountMarks[0].kind, MARK_PREFIX);
  EXPECT_STREQ(noMountMarks[1].text, "DNP");
  EXPECT_EQ(noMountMarks[1].kind, MARK_SUFFIX);
  EXPECT_STREQ(noMountMarks[2].text, "NC(");
  EXPECT_EQ(noMountMarks[2].kind, MARK_BRACKET_PREFIX);

  readNoMountMarks(" ,,^ ^NC(,  " "ABCDEFGHIJKLMNOPQRSTUVWXYZ(");
  ASSERT_EQ(noMountCount, 3);
  EXPECT_STREQ(noMountMarks[0].text, "^");  // a lone '^' is a prefix mark
  EXPECT_EQ(noMountMarks[0].kind, MARK_PREFIX);
  EXPECT_STREQ(noMountMarks[1].text, "NC(");  // the suffix kind wins
  EXPECT_EQ(noMountMarks[1].kind, MARK_SUFFIX);
  EXPECT_STREQ(noMountMarks[2].text, "ABCDEFGHIJKLMNOPQRST");  // cut before its '('
  EXPECT_EQ(noMountMarks[2].kind, MARK_PREFIX);

  std::string many;
  for (int i = 0; i < 30; i++) many += "M" + std::to_string(i) + " ";
  readNoMountMarks(many.c_str());
  EXPECT_EQ(noMountCount, MAX_NO_MOUNT_MARKS);
  EXPECT_STREQ(noMountMarks[19].text, "M19");
  readNoMountMarks("");
  EXPECT_EQ(noMountCount, 0);
}

TEST(NoMountMarks, FirstMatchOnly) {
  EXPECT_EQ(stripped("NMOS", "NM ^DNP NC("), "OS");
  EXPECT_EQ(stripped("NC(10k)", "NM ^DNP NC("), "10k");
  EXPECT_EQ(stripped("NC(10k)x", "NC("), "10k)x");
  EXPECT_EQ(stripped("NM(10k)", "NM"), "(10k)");
  EXPECT_EQ(stripped("NMX1", "NM NMX"), "X1");
  EXPECT_EQ(stripped("NMX1", "NMX NM"), "1");
  EXPECT_EQ(stripped("10k NM", "^NM"), "10k");
  EXPECT_EQ(stripped("10k,NM", "^NM"), "10k");
  EXPECT_EQ(stripped("10k, NM", "^NM"), "10k");
  EXPECT_EQ(stripped("10k , NM", "^NM"), "10k ");
  EXPECT_EQ(stripped("10k,, NM", "^NM"), "10k");
  EXPECT_EQ(stripped("NM", "^NM"), "");
  EXPECT_EQ(stripped("M", "^NM"), "M");
  EXPECT_EQ(stripped("NM 10k NM", "^NM NM"), "NM 10k");
  EXPECT_EQ(stripped("^x", "^"), "x");
  EXPECT_EQ(stripped("10k", "NM ^DNP"), "10k");
}

TEST(PartPreparation, CategoryAndNumber) {
  struct {
    const char* reference;
    const char* category;
    int32_t number;
  } cases[] = {
      {"R12", "R", 12},        {"IC3", "IC", 3},          {"#PWR1", "", 0},
      {"C1A", "C", 1},         {"R-5", "R", -5},          {"R 7", "R", 7},
      {"R+8", "R", 8},         {"U", "U", 0},             {"", "", 0},
      {"a:b1", "a:b", 1},      {"R\x82\xA0" "1", "R", 0}, {"ABCDEFGHIJK12", "ABCDEFGHIJ", 0},
      {"ABCDEFGHIJ12", "ABCDEFGHIJ", 12},
      {"R99999999999", "R", 2147483647},   {"R-99999999999", "R", INT32_MIN},
      {"R2147483647", "R", 2147483647},    {"R2147483648", "R", 2147483647},
      {"R-2147483648", "R", INT32_MIN},    {"R-2147483649", "R", INT32_MIN},
  };
  startTables();
  for (const auto& c : cases) addTestPart(c.reference, "", "");
  ReportCapture report;
  prepareParts(report.out, partTable, partCount);
  for (int i = 0; i < partCount; i++) {
    EXPECT_STREQ(partTable[i].category, cases[i].category) << cases[i].reference;
    EXPECT_EQ(partTable[i].refNumber, cases[i].number) << cases[i].reference;
  }
  EXPECT_EQ(readRefNumber("\t\n\v\f\r 42"), 42);
  EXPECT_EQ(readRefNumber("000000000000000000000000000007"), 7);
}

TEST(PartPreparation, IllegalCharactersOneLineEach) {
  startTables("NC(");
  addTestPart("X1", "a(b)\x82", "P");
  addTestPart("X2", "\x83\x41z", "P");  // a second byte 0x40..0x7E stays
  addTestPart("X3", "NC(10k)", "P");    // the mark goes before the check
  addTestPart("X4", "tab\there", "P");
  ReportCapture report;
  prepareParts(report.out, partTable, partCount);
  EXPECT_EQ(report.finish(),
            "\"(illegal char) REF=X1; PCB=a(b)\x82;\"\r\n"
            "\"(illegal char) REF=X1; PCB=a_b)\x82;\"\r\n"
            "\"(illegal char) REF=X1; PCB=a_b_\x82;\"\r\n"
            "\"(illegal char) REF=X2; PCB=\x83\x41z;\"\r\n"
            "\"(illegal char) REF=X4; PCB=tab\there;\"\r\n");
  EXPECT_STREQ(partTable[0].value, "a_b__");
  EXPECT_STREQ(partTable[1].value, "_Az");
  EXPECT_STREQ(partTable[2].value, "10k");
  EXPECT_EQ(partTable[2].numericValue, 10 * 1e3);
  EXPECT_STREQ(partTable[3].value, "tab_here");
  EXPECT_EQ(statusCounters.illegal, 5);
}

TEST(ScaledValue, CapacitorsAndOthers) {
  struct {
    const char* value;
    double forC;
    double forR;
  } cases[] = {
      {"10", 10 / 1e6, 10},
      {"0.1", 0.1 / 1e6, 0.1},
      {"0.1u", 0.1 / 1e6, 0.1 / 1e6},
      {"0.1uF", 0.1 / 1e6, 0.1 / 1e6},
      {"100n", 100 / 1e9, 100 / 1e9},
      {"100p", 100 / 1e12, 100 / 1e12},
      {"100P", 100 / 1e12, 100 / 1e12},
      {"1F", 1, 1},
      {"4.7k", 4.7 / 1e6, 4.7 * 1e3},
      {"4.7K", 4.7 / 1e6, 4.7 * 1e3},
      {"2M2", 2 / 1e6, 2 * 1e6},
      {"3G", 3 / 1e6, 3 * 1e9},
      {"5m", 5 / 1e3, 5 / 1e3},
      {" -1.5e3k", -1.5e3 / 1e6, -1.5e3 * 1e3},
      {"+.5E-1n", .5E-1 / 1e9, .5E-1 / 1e9},
      {"5.", 5 / 1e6, 5},
      {"1e", 1 / 1e6, 1},       // an exponent without digits is no exponent
      {"1e+k", 1 / 1e6, 1},
      {"1e2u", 1e2 / 1e6, 1e2 / 1e6},
      {"0x10k", 0, 0},          // no hexadecimal
      {"inf", 0, 0},
      {"nan", 0, 0},
      {"k", 0, 0},
      {".", 0, 0},
      {"-", 0, 0},
      {"", 0, 0},
      {"10k 1%", 10 / 1e6, 10 * 1e3},
      {"1e400", HUGE_VAL / 1e6, HUGE_VAL},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parseScaledValue(c.value, "C"), c.forC) << c.value;
    EXPECT_EQ(parseScaledValue(c.value, "R"), c.forR) << c.value;
  }
  // Only the category "C" itself gets the capacitor rule.
  EXPECT_EQ(parseScaledValue("10", "CN"), 10);
  EXPECT_EQ(parseScaledValue("10", "c"), 10);
  EXPECT_EQ(parseScaledValue("10", ""), 10);
  // So 10 (microfarads) sorts after 100n.
  EXPECT_GT(parseScaledValue("10", "C"), parseScaledValue("100n", "C"));
}

TEST(ScaledValue, NumbersGiveTheDoubleStrtodGivesBitForBit) {
  // Numbers near the edges of the exact reading (19 and 20 significant
  // digits, mantissas around 2^53, powers of ten around 22) and random
  // ones with leading zeros, points, signs and exponents.
  std::vector<std::string> numbers = {
      "9007199254740991",     "9007199254740992",     "9007199254740993",
      "9999999999999999999",  "18446744073709551615", "18446744073709551616",
      "1e22",                 "1e23",                 "9007199254740991e22",
      "9007199254740991e-22", "123456789e-23",        "0.0000000000000000000001",
      "00000000000000000000000001.5", "1.00000000000000000000000",
      "-0",                   "-0.0e-999",            "0e99999999999",
      "+.5",                  "5.",                   "-1.e+0",
      "4.9e-324",             "2.2250738585072011e-308", "1.7976931348623157e308",
      "0.1",                  "0.3",                  "123.456e-7",
  };
  std::mt19937 rng(53);
  for (int i = 0; i < 20000; i++) {
    std::string n = rng() % 3 == 0 ? "-" : rng() % 2 ? "+" : "";
    int before = static_cast<int>(rng() % 22), after = static_cast<int>(rng() % 22);
    if (rng() % 3 == 0) n += std::string(rng() % 5, '0');
    for (int k = 0; k < before; k++) n += static_cast<char>('0' + rng() % 10);
    if (after > 0 || before == 0) n += ".";
    for (int k = 0; k < after || (before == 0 && k == 0); k++)
      n += static_cast<char>('0' + rng() % 10);
    if (rng() % 2) {
      n += rng() % 2 ? "e-" : "e";
      n += std::to_string(rng() % 40);
    }
    numbers.push_back(n);
  }
  for (const std::string& n : numbers) {
    double got = parseScaledValue(n.c_str(), "R");
    double want = strtod(n.c_str(), nullptr);
    ASSERT_EQ(memcmp(&got, &want, sizeof got), 0) << n;
  }
}

TEST(FootprintResolution, PartsLiteralIndexAndTooLong) {
  startTables();
  loadIndex("R,R0603,Lib:R\r\nR,R0603,Lib:Rdup\r\nC,C0603,Lib:C\r\n");
  std::string longLiteral = "Z:" + std::string(119, 'z');
  std::string longPlain(121, 'y');
  addTestPart("U1", "v", ("Y:" + std::string(119, 'y')).c_str());
  addTestPart("R1", "10k", "R0603");
  addTestPart("R2", "1k", "Lib:Fp");
  addTestPart("R3", "1k", ":Lib:Fp");
  addTestPart("C1", "1u", "C0603");
  addTestPart("C2", "1u", "C0805");
  addTestPart("C3", "1u", "");
  addTestPart("A1", "x", longLiteral.c_str());
  addTestPart("B1", "x", longPlain.c_str());
  addTestPart("R4", "10k", "R0603");
  addTestPart("A2", "x", longLiteral.c_str());  // parts of one key: each one reported
  addTestPart("C4", "1u", "C0805");
  ReportCapture report;
  prepareParts(report.out, partTable, partCount);
  resolvePartFootprints(report.out, partTable, partCount);
  // Too-long literals come in (category, PCB attribute) order.
  EXPECT_EQ(report.finish(), "\"(too long) REF=A1; PCB=" + longLiteral + ";\"\r\n" +
                                 "\"(too long) REF=A2; PCB=" + longLiteral + ";\"\r\n" +
                                 "\"(too long) REF=U1; PCB=Y:" + std::string(119, 'y') +
                                 ";\"\r\n");
  EXPECT_EQ(statusCounters.tooLong, 3);
  EXPECT_STREQ(findPart("C4")->footprint, "");
  EXPECT_STREQ(findPart("R1")->footprint, "Lib:R");  // the first of the duplicates
  EXPECT_STREQ(findPart("R4")->footprint, "Lib:R");
  EXPECT_STREQ(findPart("R2")->footprint, "Lib:Fp");
  EXPECT_STREQ(findPart("R3")->footprint, "Lib:Fp");
  EXPECT_STREQ(findPart("R3")->pcbAttribute, ":Lib:Fp");
  EXPECT_STREQ(findPart("C1")->footprint, "Lib:C");
  EXPECT_STREQ(findPart("C2")->footprint, "");
  EXPECT_STREQ(findPart("C3")->footprint, "");
  EXPECT_STREQ(findPart("A1")->footprint, "");
  EXPECT_STREQ(findPart("B1")->footprint, "");  // no ':', no index entry
}

TEST(FootprintResolution, PreviousRows) {
  startTables();
  loadIndex("R,R0603,Lib:R\r\n");
  std::string longLiteral = "L:" + std::string(119, 'l');
  addRow("R9", "v", "R0603", "", "", "R");
  addRow("C1", "v", ":Lib:C", "", "", "C");
  addRow("A1", "v", longLiteral.c_str(), "", "", "A");
  addRow("R1", "v", "R0805", "", "", "R");
  addRow("B1", "v", "", "", "", "B");
  ReportCapture report;
  resolvePreviousFootprints(report.out);
  EXPECT_EQ(report.finish(), "\"(too long) previous REF=A1; PCB=" + longLiteral + ";\"\r\n");
  EXPECT_EQ(statusCounters.tooLong, 1);
  // The rows stay in key order (category, PCB attribute).
  const char* order[] = {"A1", "B1", "C1", "R9", "R1"};
  const char* current[] = {"", "", ":Lib:C", "Lib:R", ""};  // a literal is kept whole
  for (int i = 0; i < 5; i++) {
    EXPECT_STREQ(previousTable[i].reference, order[i]);
    EXPECT_STREQ(previousTable[i].currentFootprint, current[i]);
  }
}

TEST(StatusMerge, EveryRule) {
  struct Case {
    const char* reference;
    const char* pcb;   // the part's PCB attribute
    const char* f;     // the footprint the part resolved to
    const char* pp;    // the row's PCB attribute, mark, code, current footprint
    const char* pm;
    const char* pf;
    const char* pi;
    const char* status;  // expected status, PCB attribute and footprint
    const char* pcbAfter;
    const char* footprintAfter;
  };
  const Case cases[] = {
      {"A01", "P", "L:F", "Q", "x", "L:Pf", "L:Pi", "FORCED(mark)", "P", "L:Pf"},
      {"A02", "P", "", "Q", "x", "L:Pf", "L:Pi", "FORCED(mark)", "Q", "L:Pf"},
      {"A03", "P", "L:F", "Q", "x", "L:Pi", "L:Pi", "FORCED(mark)", "Q", "L:Pi"},
      {"A04", "", "", "Q", "x", "L:Pf", "", "FORCED(mark)", "Q", "L:Pf"},
      {"A05", "P", "", "Q", "x", "L:Pf", "", "FORCED(mark)", "P", "L:Pf"},
      {"B01", "P", "L:F", "Q", "x", "", "L:Pi", "new", "P", "L:F"},  // a mark alone
      {"B02", "P", "L:F", "Q", "", "L:F", "L:Pi", "keep", "P", "L:F"},
      {"B03", "P", "L:F", "Q", "", "L:G", "L:F", "update", "P", "L:F"},
      {"B04", "", "", "", "", "L:Pf", "", "keep", "", "L:Pf"},
      {"B05", "P", "", "", "", "L:Pf", "", "FORCED(no index)", "P", "L:Pf"},
      {"B06", "", "", "Q", "", "L:Pf", "", "FORCED(no index)", "Q", "L:Pf"},
      {"B07", "P", "", "Q", "", "L:Pf", "", "FORCED(no index)", "P", "L:Pf"},
      {"B08", "P", "", "Q", "", "L:Pi", "L:Pi", "keep(prev pcb)", "Q", "L:Pi"},
      {"B09", "P", "", "Q", "", "L:Pf", "L:Pi", "update(prev pcb)", "Q", "L:Pi"},
      {"B10", "P", "", "Q", "", "", "L:Pi", "new", "Q", "L:Pi"},
      {"B11", "", "", "Q", "", "", "", "ERROR(no index)", "Q", ""},
      {"B12", "P", "", "Q", "", "", "", "ERROR(no index)", "P", ""},
      {"B13", "P", "", "", "", "", "", "ERROR(no index)", "P", ""},
      {"B14", "", "", "", "", "", "", "ERROR(no pcb)", "", ""},
  };
  startTables();
  for (const Case& c : cases) {
    PartRecord& part = addTestPart(c.reference, "1k", c.pcb);
    part.footprint = c.f;
    addRow(c.reference, "", c.pp, c.pm, c.pf).currentFootprint = c.pi;
  }
  // Parts without a row.
  addTestPart("C01", "1k", "P").footprint = "L:F";
  addTestPart("C02", "1k", "P").footprint = "";
  addTestPart("C03", "1k", "").footprint = "";
  mergeWithPrevious(partTable, partCount);
  for (const Case& c : cases) {
    const PartRecord* part = findPart(c.reference);
    EXPECT_STREQ(part->status, c.status) << c.reference;
    EXPECT_STREQ(part->pcbAttribute, c.pcbAfter) << c.reference;
    EXPECT_STREQ(part->footprint, c.footprintAfter) << c.reference;
    EXPECT_STREQ(part->forcedMark, c.pm) << c.reference;
    EXPECT_STREQ(part->value, "1k") << c.reference;
  }
  EXPECT_STREQ(findPart("C01")->status, "new");
  EXPECT_STREQ(findPart("C02")->status, "ERROR(no index)");
  EXPECT_STREQ(findPart("C03")->status, "ERROR(no pcb)");
  const StatusCounters& n = statusCounters;
  EXPECT_EQ(n.forcedMark, 5);
  EXPECT_EQ(n.added, 3);
  EXPECT_EQ(n.keep, 3);
  EXPECT_EQ(n.update, 2);
  EXPECT_EQ(n.forcedNoIndex, 3);
  EXPECT_EQ(n.noIndex, 4);
  EXPECT_EQ(n.noPcb, 2);
}

TEST(StatusMerge, ValuesAndTheWalk) {
  startTables();
  addTestPart("R1", "", "P").footprint = "L:F";       // empty value takes the row's
  addTestPart("R2", "1k", "P").footprint = "L:F";     // "#$#" always wins
  addTestPart("R3", "1k", "P").footprint = "L:F";     // otherwise the netlist's stays
  addTestPart("R10", "1k", "P").footprint = "L:F";    // renumbered: no row of its own
  addTestPart("R5", "1k", "P").footprint = "L:F";     // two parts, one reference
  addTestPart("R5", "2k", "P").footprint = "L:F";
  partTable[1].numericValue = 1000;
  addRow("R1", "10k", "P", "", "L:F");
  addRow("R2", "#$#10k/1W", "P", "", "L:F");
  addRow("R3", "2k", "P", "", "L:F");
  addRow("R4", "1k", "P", "", "L:F");
  addRow("R5", "1k", "P", "m", "L:G");
  addRow("R5", "1k", "P", "", "L:F");  // a second row with that reference
  addRow("R9", "1k", "P", "", "L:F");
  ReportCapture report;
  resolvePreviousFootprints(report.out);  // sorts the rows by key
  mergeWithPrevious(partTable, partCount);
  EXPECT_STREQ(findPart("R1")->value, "10k");
  EXPECT_STREQ(findPart("R2")->value, "#$#10k/1W");
  EXPECT_EQ(findPart("R2")->numericValue, 1000);
  EXPECT_STREQ(findPart("R3")->value, "1k");
  EXPECT_STREQ(findPart("R10")->status, "new");
  EXPECT_STREQ(findPart("R10")->forcedMark, "");
  int fives = 0;
  for (int i = 0; i < partCount; i++) {
    if (strcmp(partTable[i].reference, "R5") != 0) continue;
    EXPECT_STREQ(partTable[i].status, "FORCED(mark)");
    EXPECT_STREQ(partTable[i].footprint, "L:G");
    fives++;
  }
  EXPECT_EQ(fives, 2);
}
