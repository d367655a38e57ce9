// CADVANCE reader: compaction, entries, every result code, limits, the
// compaction mark, a whole conversion and hostile input.
#include <gtest/gtest.h>

#include "tests/test_support.h"

namespace {

ReadDump cadvance(const std::string& text) { return readDump(readCadvanceNetlist, text); }

const char board[] =
    "/* CADVANCE netlist of the test board\r\n   rev. B, values checked */\r\n"
    "HEADER { comp 3 }\r\n"
    "$NET_LIST {\r\n"
    "  comp {\r\n"
    "    C1 [100n] {C0603, 1608, \"0.1u 16V\"};\r\n"
    "    C2\t[ 10u  ]\t{ \"C0805\" };\r\n"
    "    D1 /* signal diode */ [1N4148] {SOD123};\r\n"
    "    J1 [2P_HDR] {CONN2};\r\n"
    "  }\r\n"
    "  nets {\r\n"
    "    GND = {C1-2, C2-2,\r\n           J1-2, U1-4};\r\n"
    "    VCC = {J1-1, U1-8, C2-1, R1-1};\r\n"
    "  }\r\n"
    "  comp { R1 [4k7] {R0603}; R2 [4k7 1%] {R0603, /* 1/16 W */ 0.0625W}; U1 [\"LM358\"] {SOIC8}; }\r\n"
    "  nets {\r\n"
    "    \"OUT\" = {U1-1, D1-1, R2-2, C1-1};\r\n"
    "    \x93\xfc\x97\xcd = {R1-2, R2-1, D1-2};\r\n"
    "  }\r\n"
    "}\r\n";

TEST(CadvanceReader, CompactionAndEntries) {
  ReadDump o = cadvance(
      "junk comp{X[1]{Y};} $NET_LIST{comp{\n"
      "R1 [ 10k  ] {RC1608};\n"
      "R2 [10 k] {RC};\n"
      "R3 [A[1]B] {X};\n"
      "R4 [/* kept */] {Y};\n"
      "R5 /***/ [5] /* x **/ {Z};\n"
      "R6 [\"1k\" skipped [x]] {\"P Q\", more};\n"
      "R7 [a\tb] {T};\n"
      "R8/[8]{W};\n"
      "}nets{G N D={R1-1,U1-A-3};\"A = B;\"={R2-2};}}\n");
  EXPECT_EQ(o.result, 8);
  EXPECT_EQ(o.parts,
            "R1|10k|RC1608\nR2|10 k|RC\nR3|A[1]B|X\nR4|/* kept */|Y\nR5|5|Z\nR6|1k|PQ\n"
            "R7|a\tb|T\nR8/|8|W\n");
  EXPECT_EQ(o.nets, "GND|R1|1\nGND|U1|A-3\nA=B;|R2|2\n");
}

TEST(CadvanceReader, SectionsInAnyOrderAndFieldLimits) {
  std::string longName(60, 'N');
  ReadDump o = cadvance("$NET_LIST{nets{" + longName + "={" + std::string(25, 'R') + "-" +
                           std::string(15, 'P') + "};}comp{" + std::string(25, 'Q') + "[" +
                           std::string(150, 'v') + "]{" + std::string(130, 'p') + "};}comp{S1[\"" +
                           std::string(120, 'q') + "\"]{\"" + std::string(130, 'r') + "\"};}}");
  EXPECT_EQ(o.result, 2);
  EXPECT_EQ(o.parts, std::string(20, 'Q') + "|" + std::string(100, 'v') + "|" +
                         std::string(121, 'p') + "\nS1|" + std::string(100, 'q') + "|" +
                         std::string(121, 'r') + "\n");
  EXPECT_EQ(o.nets, std::string(50, 'N') + "|" + std::string(20, 'R') + "|" +
                        std::string(10, 'P') + "\n");
  // No part list: zero parts, the run derives them.
  EXPECT_EQ(cadvance("$NET_LIST{nets{N={R1-1};}}").result, 0);
}

TEST(CadvanceReader, ResultCodes) {
  struct Case {
    const char* text;
    int result;
  } cases[] = {
      {"", -9},
      {"  \r\n /* only a comment */ \t", -9},
      {"comp{R1[1]{X};}", -1},
      {"$NET_LIST comp", -2},
      {"$NET_LIST{comp", -3},
      {"$NET_LIST{nets=", -3},
      {"$NET_LIST{comp{R1[1]X;}}", -4},
      {"$NET_LIST{comp{R1[1", -4},
      {"$NET_LIST{comp{R1[1]{X}}}", -5},
      {"$NET_LIST{comp{R1[1]{X}", -5},
      {"$NET_LIST{nets{GND=R1-1;}}", -6},
      {"$NET_LIST{nets{GND", -6},
      {"$NET_LIST{nets{GND={}}}", -7},
      {"$NET_LIST{nets{GND={R1-1,}}}", -7},
      {"$NET_LIST{nets{GND={R1", -7},
      {"$NET_LIST{nets{GND={R1-1}}}", -8},
      {"$NET_LIST{comp{R1[1]{X};}}", -9},
      {"$NET_LIST{nets{GND={R1-1};", 0},     // cut off after an entry
      {"$NET_LIST{nets{GND={R1-1,R2-", 0},   // cut off inside a pin
  };
  for (const Case& c : cases) EXPECT_EQ(cadvance(c.text).result, c.result) << c.text;
  EXPECT_EQ(cadvance("$NET_LIST{nets{GND={R1-1,R2-").nets, "GND|R1|1\nGND|R2|\n");
}

TEST(CadvanceReader, LineEndsAndShiftJis) {
  std::string lf = "$NET_LIST{\ncomp{\x83\x8a\x31 [\x92\x6c] {\x95\x94};}\nnets{\x93\xfa={\x83\x8a\x31-1};}\n}\n";
  ReadDump o = cadvance(lf);
  EXPECT_EQ(o.parts, "\x83\x8a\x31|\x92\x6c|\x95\x94\n");
  EXPECT_EQ(o.nets, "\x93\xfa|\x83\x8a\x31|1\n");
  std::string cr = lf;
  for (char& c : cr)
    if (c == '\n') c = '\r';
  EXPECT_EQ(cadvance(cr).nets, o.nets);
  EXPECT_EQ(cadvance(crlf(lf)).parts, o.parts);
}

TEST(CadvanceReader, TableLimitsKeepTheFirstRecords) {
  for (int total : {6000, 6001}) {
    std::string text = "$NET_LIST{comp{";
    for (int i = 1; i <= total; i++) text += "P" + std::to_string(i) + "[V]{FP};";
    ReadDump o = cadvance(text + "}nets{N={P1-1};}}");
    EXPECT_EQ(o.result, MAX_PARTS);
    EXPECT_STREQ(partTable[MAX_PARTS - 1].reference, "P6000");
    EXPECT_EQ(o.nodes, 1);
  }
  for (int total : {20000, 20001}) {
    std::string text = "$NET_LIST{nets{N={";
    for (int i = 1; i <= total; i++) text += "R" + std::to_string(i) + "-1,";
    text.back() = '}';
    ReadDump o = cadvance(text + ";M={Z-1};}}");
    EXPECT_EQ(o.nodes, MAX_NODES);
    EXPECT_STREQ(nodeTable[MAX_NODES - 1].reference, "R20000");
  }
}

// Compaction takes eight bytes at a time and nodes are split a word at a
// time: blanks of every kind, kept bytes from 33 to 255, and dashes and
// pin ends fall at every offset of a word.
TEST(CadvanceReader, BlanksAndNodeSplitsAtEveryWordOffset) {
  const std::string keptBytes = "a!~\x7f\x80\xffZ9";
  const std::string blanks = std::string("\0\t\r\n \x1f\x01 ", 8);
  std::string text = "$NET_LIST{comp{", parts, nets;
  for (int shift = 0; shift < 8; shift++) {
    std::string pcb, kept;
    for (int run = 1; run <= 9; run++) {
      for (int i = 0; i < run; i++) pcb += keptBytes[static_cast<size_t>(i + shift) % 8];
      kept += pcb.substr(pcb.size() - static_cast<size_t>(run));
      pcb.append(blanks, static_cast<size_t>(shift), static_cast<size_t>(10 - run) % 4 + 1);
    }
    std::string reference = "P" + std::to_string(shift);
    text += std::string(static_cast<size_t>(shift), ' ') + reference + "[v]{" + pcb + "};";
    parts += reference + "|v|" + kept + "\n";
  }
  text += "}nets{N={";
  for (int r = 1; r <= 12; r++) {
    for (int p = 1; p <= 10; p += 3) {
      std::string reference(static_cast<size_t>(r), 'R'), pin = std::string(static_cast<size_t>(p), '4');
      if (p > 2) pin[1] = '-';
      text += reference + "-" + pin + (r == 12 && p == 10 ? "};}}" : ",");
      nets += "N|" + reference + "|" + pin + "\n";
    }
  }
  ReadDump o = cadvance(text);
  EXPECT_EQ(o.parts, parts);
  EXPECT_EQ(o.nets, nets);
}

// Compaction keeps exactly COMPACT_MARK bytes; layout and comments do not
// count, and nothing after the mark is read.
TEST(CadvanceReader, CompactionMark) {
  std::string head = "  /* layout */\r\n$NET_LIST { nets { A = { R1-1 } ; } ";
  std::string headKept = "$NET_LIST{nets{A={R1-1};}";
  std::string tail = "nets{B={R2-1};";
  size_t filler = COMPACT_MARK - headKept.size() - tail.size();
  std::string body = head + std::string(filler, 'x') + tail + "}";
  ReadDump o = cadvance(body);
  EXPECT_EQ(o.nodes, 2);
  o = cadvance(head + std::string(filler + 1, 'x') + tail + "}");
  EXPECT_EQ(o.result, -8);
}

TEST(CadvanceReader, BadInput) {
  expectSaneOnBadInput(readCadvanceNetlist, board);
  // 10,000 nested square brackets, closed and unclosed.
  std::string open(10000, '['), close(10000, ']');
  ReadDump o = cadvance("$NET_LIST{comp{R1" + open + close + "{X};}nets{N={R1-1};}}");
  EXPECT_EQ(o.parts, "R1|" + std::string(100, '[') + "|X\n");
  expectSaneRead(readCadvanceNetlist, "$NET_LIST{comp{R1" + open + "{X};}nets{N={R1-1};}}");
  expectSaneRead(readCadvanceNetlist, "$NET_LIST{comp{R1[\"" + std::string(100000, 'v'));
  expectSaneRead(readCadvanceNetlist, "$NET_LIST{nets{\"N={R1-1};}}");
  expectSaneRead(readCadvanceNetlist, "$NET_LIST{nets{N={R1-1};} /* unterminated");
  // 50 MB: mostly layout; compaction stops at the mark, here right after an
  // entry (13 ignored bytes before the keyword make the entries fit).
  o = cadvance(repeatTo("xxxxxxxxxxxxx$NET_LIST{nets{",
                        "N = { R1 - 1 , R2 - 2 } ;" + std::string(200, ' ') + "\r\n", FIFTY_MB));
  EXPECT_EQ(o.nodes, MAX_NODES);
  EXPECT_EQ(cadvance("/*" + std::string(FIFTY_MB, '*')).result, -9);
}

}  // namespace

// A file is read a buffer at a time: comments, slashes and brackets that
// straddle the end of a buffer read as they do in memory.
TEST(CadvanceReader, BufferEndsFallAnywhereInAnEntry) {
  const std::string entries =
      "R1/**/[1/2 W [x]]{P/Q};R2 /* c */ [ a  ] {/}; R3/[/*]{Z};}nets{N={R1-1,R2-/};}}";
  for (int shift = 0; shift < 60; shift++) {
    std::string text = "$NET_LIST{comp{" +
                       std::string(static_cast<size_t>(BYTE_SOURCE_BUFFER - 50 + shift), ' ') +
                       entries;
    ReadDump inMemory = cadvance(text);
    TempDir dir;
    FILE* f = fopen(dir.file("board.net").c_str(), "w+b");
    ASSERT_NE(f, nullptr);
    fwrite(text.data(), 1, text.size(), f);
    rewind(f);
    static ByteSource source;
    openByteSource(&source, f);
    bindNetlistTables();
    ReadDump fromFile;
    fromFile.result = readCadvanceNetlist(&source, partTable, nodeTable, &fromFile.nodes, 0);
    fclose(f);
    for (int i = 0; i < fromFile.result; i++)
      fromFile.parts += std::string(partTable[i].reference) + "|" + partTable[i].value + "|" +
                        partTable[i].pcbAttribute + "\n";
    ASSERT_EQ(fromFile.result, 3) << shift;
    EXPECT_EQ(fromFile.parts, inMemory.parts) << shift;
    EXPECT_EQ(fromFile.parts, "R1|1/2 W [x]|P/Q\nR2|a|/\nR3/|/*|Z\n") << shift;
    EXPECT_EQ(fromFile.nodes, inMemory.nodes) << shift;
  }
}
