// MM-2/Colmo reader: part and net lines, sections, every result code, line
// rules, 519-byte pieces, the compaction mark, limits, a whole conversion
// and hostile input.
#include <gtest/gtest.h>

#include "tests/test_support.h"

namespace {

ReadDump mm2(const std::string& lfText) { return readDump(readMm2ColmoNetlist, crlf(lfText)); }

const char board[] =
    "MM-2/Colmo NETLIST   board rev.B   2026/12/07\n"
    "\n"
    "$PTS\n"
    "C0603 ! 100n ; C1\n"
    "  C0805\t!\t\"10u\"\t;\tC2\n"
    "SOD123 ! 1N4148 ; D1\n"
    "CONN2 ! 2P_HDR ; J1\n"
    "R0603    !  4k7 ;  R1\n"
    "R0603 ! 4k7 1% ; R2\n"
    "SOIC8!LM358;U1\n"
    "$END\n"
    "* checked by the layout group; R1-1 and R2-2 are test points\n"
    "$NET\n"
    "\n"
    "GND ; C1-2, C2-2,\n"
    "      J1-2,\n"
    "\n"
    "      U1-4\n"
    "VCC ; J1-1, U1-8, C2-1, R1-1\n"
    "\"OUT\" ; U1-1, D1-1, R2-2, C1-1\n"
    "\x93\xfc\x97\xcd ; R1-2, R2-1, D1-2\n"
    "$END\n";

TEST(Mm2ColmoReader, PartLines) {
  ReadDump o = mm2(
      "$PTS\n"
      " RC1608  !  10 k  ;  R 1 \n"
      "RC1608 ! \"10 k\" ; R2\n"
      "SOT23!;Q1\n"
      "SOT23!BC847;\n"
      "RC1608 ! \"1k;x\" junk ; R3\n"
      // A line without '!' runs into the next part's attribute.
      "NOBANG 1k R4\n"
      "RC ! 2k ; R5\n"
      "$NET\nN;R1-1\n");
  EXPECT_EQ(o.result, 6);
  EXPECT_EQ(o.parts,
            "R1|10 k|RC1608\nR2|10 k|RC1608\nQ1||SOT23\n|BC847|SOT23\nR3|1k;x|RC1608\n"
            "R5|2k|NOBANG 1k R4\rRC\n");
}

TEST(Mm2ColmoReader, NetLines) {
  ReadDump o = mm2("$NET\n\nVCC;U1-14,\nU2-14\n\nN1;R1-1,R2,R3-2\n\"A B\";X-1\nG N D ; Q 1 - 2\n" +
                      std::string(60, 'L') + ";" + std::string(25, 'Y') + "-123456789012345\n");
  EXPECT_EQ(o.result, 0);
  EXPECT_EQ(o.nets, "VCC|U1|14\nVCC|U2|14\nN1|R1|1\nN1|R2,R3|2\nAB|X|1\nGND|Q1|2\n" +
                        std::string(50, 'L') + "|" + std::string(20, 'Y') + "|1234567890\n");
}

TEST(Mm2ColmoReader, SectionLines) {
  ReadDump o = mm2(
      "header\n"
      "xx $NET GND;R1-1\n"  // the rest of a section line starts the first record
      "$END\n"
      "N2;R9-9\n"           // ignored after $END
      "$NET $PTS\n"         // "$PTS" wins: a part line keeps its spaces
      "RC 1 ! 1 k ; R1\n"
      "$END\n");
  EXPECT_EQ(o.parts, "R1|1 k|RC 1\n");
  EXPECT_EQ(o.nets, "GND|R1|1\n");
}

TEST(Mm2ColmoReader, ResultCodes) {
  struct Case {
    const char* text;
    int result;
  } cases[] = {
      {"", -9},
      {"no sections at all\n", -9},
      {"$PTS\nRC!1k;R1\n", -9},
      {"$PTS\nRC!1k", -2},
      {"$PTS\nRC!\"1k;R1\n$NET\nN;R1-1\n", -2},
      {"$PTS\nRC!1k;R1", -3},
      {"$NET\nGND", -4},
      {"$NET\nGND\n", -4},
      {"$NET\nGND;R1", -7},
      {"$NET\nGND;R1-2", -7},
      {"$NET\nGND;R1-2,\n", -7},
      {"$NET\nGND;R1-2\n", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(mm2(c.text).result, c.result) << c.text;
}

// CR LF, CR and LF read alike (a last line without any line end still
// fails), TAB is a space, blank lines inside a continued net are skipped,
// and Shift-JIS bytes are text wherever they stand.
TEST(Mm2ColmoReader, LineEndsTabsAndShiftJis) {
  std::string lf =
      "$PTS\n\x95\x94\x95\x69\t!\t10k\t;\t\x83\x8a\x31\nRC1608\t!\t\"1 k\"\t;\tR2\n$END\n"
      "$NET\n\x93\xfa\x96\x7b;\x83\x8a\x31-1,\n\n\nR2-2\n";
  ReadDump o = readDump(readMm2ColmoNetlist, lf);
  EXPECT_EQ(o.parts, "\x83\x8a\x31|10k|\x95\x94\x95\x69\nR2|1 k|RC1608\n");
  EXPECT_EQ(o.nets, "\x93\xfa\x96\x7b|\x83\x8a\x31|1\n\x93\xfa\x96\x7b|R2|2\n");
  std::string cr = lf;
  for (char& c : cr)
    if (c == '\n') c = '\r';
  for (const std::string& bytes : {crlf(lf), cr}) {
    ReadDump same = readDump(readMm2ColmoNetlist, bytes);
    EXPECT_EQ(same.parts, o.parts);
    EXPECT_EQ(same.nets, o.nets);
  }
  for (const char* end : {"\n", "\r", "\r\n"}) {
    EXPECT_EQ(readDump(readMm2ColmoNetlist, std::string("$PTS") + end + "RC!1k;R1").result, -3);
    EXPECT_EQ(readDump(readMm2ColmoNetlist, std::string("$NET") + end + "N;R1-1").result, -7);
  }
}

// Part texts are cut on their known lengths, but a zero byte still ends a
// text before its trailing spaces are dropped; a line with a control byte
// or one that ends the input is read like any other.
TEST(Mm2ColmoReader, ZeroBytesAndControlsInPartLines) {
  ReadDump o = mm2(std::string("$PTS\nAB \0 CD ! 1k \0 x ; R1\nEF\x01 ! 2k\x02 ; R2\n", 42) +
                   "GH ! 3k ; R3\n$NET\nN;R1-1\r");
  EXPECT_EQ(o.parts, "R1|1k|AB\nR2|2k\x02|EF\x01\nR3|3k|GH\n");
  EXPECT_EQ(o.result, 3);
}

// A line is read in pieces of 519 bytes, its line end counted; a keyword
// cut in two is no keyword.
TEST(Mm2ColmoReader, LinePiecesOf519Bytes) {
  EXPECT_EQ(mm2(std::string(515, ' ') + "$NET\nN;R1-1\n").nodes, 1);
  EXPECT_EQ(mm2(std::string(516, ' ') + "$NET\nN;R1-1\n").result, -9);
  // The piece after the cut is a line of its own: its spaces stay in the
  // reference, which a short line would lose.
  ReadDump o = mm2("$PTS\nRC!" + std::string(515, 'v') + " ; R 1\n$NET\nN;R1-1\n");
  EXPECT_EQ(o.parts, " R 1|" + std::string(100, 'v') + "|RC\n");
}

// Pass 1 stops before the next piece once COMPACT_MARK bytes are written;
// the piece that crosses the mark is still written whole.
TEST(Mm2ColmoReader, CompactionMark) {
  auto fill = [](size_t used) {
    std::string text = "$NET\r\n";  // writes "$NET" and CR
    size_t written = 5;
    while (written < used) {
      size_t content = used - written - 1 > 500 ? 500 : used - written - 1;
      text += "F" + std::string(content - 5, 'x') + "R1-1\r\n";
      text[text.size() - 11] = ';';
      written += content + 1;
    }
    return text;
  };
  std::string last518 = "Z;Q9-" + std::string(513, '1') + "\r\n";
  std::string last519 = "Z;Q9-" + std::string(514, '1') + "\r\n";
  ReadDump o = readDump(readMm2ColmoNetlist, fill(COMPACT_MARK - 1) + last518);
  EXPECT_NE(o.nets.find("Z|Q9|1111111111\n"), std::string::npos);
  // The line end falls into the next piece, which is not read.
  EXPECT_EQ(readDump(readMm2ColmoNetlist, fill(COMPACT_MARK - 1) + last519).result, -7);
  o = readDump(readMm2ColmoNetlist, fill(COMPACT_MARK) + last518);
  EXPECT_GT(o.nodes, 4000);
  EXPECT_EQ(o.nets.find("Q9"), std::string::npos);
}

TEST(Mm2ColmoReader, TableLimitsKeepTheFirstRecords) {
  for (int total : {6000, 6001}) {
    std::string text = "$PTS\n";
    for (int i = 1; i <= total; i++) text += "FP!V;P" + std::to_string(i) + "\n";
    ReadDump o = mm2(text + "$NET\nN;P1-1\n");
    EXPECT_EQ(o.result, MAX_PARTS);
    EXPECT_STREQ(partTable[MAX_PARTS - 1].reference, "P6000");
    EXPECT_EQ(o.nodes, 1);
  }
  for (int total : {20000, 20001}) {
    std::string text = "$NET\nN;";
    for (int i = 1; i <= total; i++) text += "R" + std::to_string(i) + "-1,\n";
    ReadDump o = mm2(text + "Z-1\n");
    EXPECT_EQ(o.nodes, MAX_NODES);
    EXPECT_STREQ(nodeTable[MAX_NODES - 1].reference, "R20000");
  }
}

TEST(Mm2ColmoReader, BadInput) {
  expectSaneOnBadInput(readMm2ColmoNetlist, crlf(board));
  expectSaneRead(readMm2ColmoNetlist, "$NET\r\n\"" + std::string(100000, 'n') + ";R1-1\r\n");
  expectSaneRead(readMm2ColmoNetlist, "$PTS\r\nRC!\"1k;R1\r\n$NET\r\n");
  // 50 MB of ignored lines is read to its end; 50 MB of nets stops at the mark.
  std::string big = repeatTo("", std::string(700, 'c') + "\r\n", FIFTY_MB);
  EXPECT_EQ(readDump(readMm2ColmoNetlist, big).result, -9);
  big = repeatTo("$NET\r\n", "NET1 ; R1-1, R2-2, R3-3, R4-4\r\n", FIFTY_MB);
  EXPECT_EQ(readDump(readMm2ColmoNetlist, big).nodes, MAX_NODES);
}

}  // namespace
