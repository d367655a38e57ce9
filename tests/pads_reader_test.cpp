// PADS reader: part lines, signals, tags, line ends, limits, result codes.
#include <gtest/gtest.h>

#include <string>

#include "tests/test_support.h"

namespace {

int pads(const std::string& text, int* nodes) { return readBytes(readPadsNetlist, text, nodes); }

ReadDump padsDump(const std::string& text) { return readDump(readPadsNetlist, text); }

}  // namespace

TEST(PadsReader, ReadsPartLines) {
  ReadDump r = padsDump(crlf("*PADS-PCB*\n*PART*\n"
                             "R1 10k@R0603\n"
                             "  R2   4.7k 1%  @  R 0603  \n"
                             "J3 Conn-Wire Term 3.5 6pos\n"
                             "X5\n"
                             "C1 100n@\n"
                             "ABCDEFGHIJKLMNOPQRSTUVWXYZ 1@2\n"
                             "*NET*\n*SIGNAL* GND\nR1.1\n*END*\n"));
  EXPECT_EQ(r.result, 6);
  EXPECT_EQ(r.parts,
            "R1|10k|R0603\nR2|4.7k 1%|  R 0603\n"
            "J3|Conn-Wire Term 3.5 6pos|Conn-Wire Term 3.5 6pos\nX5||\nC1|100n|\n"
            "ABCDEFGHIJKLMNOPQRST|1|2\n");
  EXPECT_EQ(r.nodes, 1);
}

TEST(PadsReader, ReadsSignalsAndPinEntries) {
  // A signal header glued to its name has no name: the read stops there.
  EXPECT_EQ(padsDump(crlf("*PART*\nU1 X@Y\n*NET*\n"
                          "*SIGNAL* VCC\n U1.8 R1.1  R2..2\n"
                          "*SIGNAL* N 1 2\n"
                          "U1.M11 .7 U2 3 LONGREFERENCE_1234567890.123456789012345\n"
                          "*SIG*NAME\n"))
                .result,
            -2);
  ReadDump r = padsDump(crlf("*PART*\nU1 X@Y\n*NET*\n"
                             "*SIGNAL* VCC\n U1.8 R1.1  R2..2\n"
                             "*Signal*   N 1 2   \n"
                             "U1.M11 .7 U2 3 LONGREFERENCE_1234567890.123456789012345\n"
                             "*END*\n*SIGNAL* LATE\nU9.9\n"));
  EXPECT_EQ(r.result, 1);
  // "U2 3": no full stop, so the next word is the pin.
  EXPECT_EQ(r.nets,
            "VCC|U1|8\nVCC|R1|1\nVCC|R2|2\nN 1 2|U1|M11\nN 1 2||7\nN 1 2|U2|3\n"
            "N 1 2|LONGREFERENCE_123456|1234567890\n");
}

TEST(PadsReader, TagsAndSections) {
  // Lower-case tags are no tags; a second *PART* section adds parts; after
  // *END* nothing counts.
  ReadDump r = padsDump(crlf("title *part*\n*part*\nQ1 A@B\n*PART*\nR1 1@2\n*NET*\n"
                             "*SIGNAL* A\nR1.1\n*PART*\nR2 3@4\n*NET*\n*SIGNAL* B\nR2.1\n"
                             "*END*\n*PART*\nR3 5@6\n"));
  EXPECT_EQ(r.parts, "R1|1|2\nR2|3|4\n");
  EXPECT_EQ(r.nodes, 2);
  // Any other tag ends the part list until a recognised one.
  EXPECT_EQ(padsDump(crlf("*PART*\nR1 1@2\n*MISC*\nR9 9@9\n*NET*\n*SIGNAL* A\nR1.1\n")).result, 1);
}

TEST(PadsReader, LineEndsTabsAndControlBytes) {
  // LF-only, CR-only and CR LF files read alike; a TAB separates words.
  const char* body = "*PART*\nA1\tunknown\nR1 1k@R\n*NET*\n*SIGNAL* N\n\tA1.1\tR1.2\n*END*\n";
  std::string lf = body;
  std::string cr = lf;
  for (char& c : cr)
    if (c == '\n') c = '\r';
  for (const std::string& text : {lf, cr, crlf(lf)}) {
    ReadDump r = padsDump(text);
    EXPECT_EQ(r.parts, "A1|unknown|unknown\nR1|1k|R\n");
    EXPECT_EQ(r.nets, "N|A1|1\nN|R1|2\n");
  }
  // Other control bytes vanish without separating anything.
  EXPECT_EQ(padsDump("*PART*\r\nR\x01" "1 1\x02k@R\r\n*NET*\r\n*SIGNAL* N\r\nR1.1\r\n").parts, "R1|1k|R\n");
}

TEST(PadsReader, LongLinesArriveInPieces) {
  int nodes = 0;
  // A part line of 600 bytes: the first 519 form one line, the rest the next.
  std::string value(600 - 3, 'v');
  std::string text = "*PART*\r\nR1 " + value + "\r\n*NET*\r\n*SIGNAL* N\r\nR1.1\r\n";
  ASSERT_EQ(pads(text, &nodes), 2);
  EXPECT_EQ(std::string(partTable[0].value), std::string(100, 'v'));
  EXPECT_EQ(std::string(partTable[1].reference), std::string(20, 'v'));
}

TEST(PadsReader, ResultCodes) {
  int nodes = 77;
  EXPECT_EQ(pads("", &nodes), -9);
  EXPECT_EQ(pads("*PART*\r\nR1 1@2\r\n", &nodes), -9);
  EXPECT_EQ(pads("*PART*\r\nR1 1@2\r\n*NET*\r\n*SIGNAL* A\r\n*END*\r\n", &nodes), -9);
  EXPECT_EQ(pads("*NET*\r\n*SIGNAL*   \r\nR1.1\r\n", &nodes), -2);
  EXPECT_EQ(nodes, 0);  // not written on failure
  EXPECT_EQ(pads("*NET*\r\n*SIGNAL* A\r\nR1.1\r\n", &nodes), 0);
  EXPECT_EQ(nodes, 1);
}

TEST(PadsReader, TableLimitsKeepTheSpareRecord) {
  std::string text = "*PART*\r\n";
  for (int i = 0; i < MAX_PARTS + 1; i++) text += "R" + std::to_string(i) + " 1@R\r\n";
  text += "*NET*\r\n*SIGNAL* N\r\n";
  for (int i = 0; i < MAX_NODES + 1; i++)
    text += "R" + std::to_string(i % 100) + "." + std::to_string(i) + "\r\n";
  text += "\r\n*SIGNAL* M\r\nLAST.1\r\n*END*\r\n";
  int nodes = 0;
  ASSERT_EQ(pads(text, &nodes), MAX_PARTS);
  EXPECT_EQ(nodes, MAX_NODES);
  EXPECT_STREQ(partTable[MAX_PARTS - 1].reference, "R5999");
  EXPECT_STREQ(nodeTable[MAX_NODES - 1].pin, "19999");
}

// Counts checked by hand against the files: parts in the *PART* section,
// pin entries under the *SIGNAL* headers up to the next other tag.
TEST(PadsReader, RealNetlistsKeepTheirPartsAndNets) {
  struct Sample {
    const char* name;
    int parts;
    int nodes;
    const char* firstPart;  // its dump line
  } samples[] = {
      {"freepcb-nl_orig.net", 3, 16, "J3|Conn-Wire Term 3.5 6pos|Conn-Wire Term 3.5 6pos\n"},
      {"lepton-TwoStageAmp-pads.out", 23, 42, "A1|unknown|unknown\n"},
      {"freepcb2-smart_kitchen.fpc.net", 77, 208, nullptr},
      {"freepcb2-Areas.fpc.net", 113, 348, nullptr},
      {"hpsdr-atlas_1_REVA_Netlist.asc", 79, 1090, "J1|DIN41612_96_1|DIN41612_96_R\n"},
      // Its nets stand under *CONNECTION*, which is no net section here.
      {"parallella-rf.asc", -9, 0, nullptr},
  };
  for (const Sample& s : samples) {
    std::string text = readFile(sourceDir() + "/../shared/samples/pads/" + s.name);
    ASSERT_FALSE(text.empty()) << s.name;
    ReadDump r = padsDump(text);
    EXPECT_EQ(r.result, s.parts) << s.name;
    EXPECT_EQ(r.nodes, s.nodes) << s.name;
    if (s.firstPart != nullptr) {
      EXPECT_EQ(r.parts.substr(0, r.parts.find('\n') + 1), s.firstPart) << s.name;
    }
  }
  // The references with '*' and apostrophes and the value with a comma.
  ReadDump areas = padsDump(readFile(sourceDir() + "/../shared/samples/pads/freepcb2-Areas.fpc.net"));
  EXPECT_NE(areas.nets.find("|X4*|"), std::string::npos);
}
