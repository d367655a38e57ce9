// PADS reader: part lines, signals, tags, line ends, limits, result codes.
#include <gtest/gtest.h>

#include <string>

#include "tests/test_support.h"

namespace {

int pads(const std::string& text, int* nodes) { return readBytes(readPadsNetlist, text, nodes); }

std::string part(int i) {
  return std::string(partTable[i].reference) + "|" + partTable[i].value + "|" +
         partTable[i].pcbAttribute;
}

std::string node(int i) {
  return std::string(nodeTable[i].reference) + "|" + nodeTable[i].pin + "|" +
         nodeTable[i].netName;
}

}  // namespace

TEST(PadsReader, ReadsPartLines) {
  int nodes = 0;
  int parts = pads(crlf("*PADS-PCB*\n*PART*\n"
                        "R1 10k@R0603\n"
                        "  R2   4.7k 1%  @  R 0603  \n"
                        "J3 Conn-Wire Term 3.5 6pos\n"
                        "X5\n"
                        "C1 100n@\n"
                        "ABCDEFGHIJKLMNOPQRSTUVWXYZ 1@2\n"
                        "*NET*\n*SIGNAL* GND\nR1.1\n*END*\n"),
                   &nodes);
  ASSERT_EQ(parts, 6);
  EXPECT_EQ(part(0), "R1|10k|R0603");
  EXPECT_EQ(part(1), "R2|4.7k 1%|  R 0603");
  EXPECT_EQ(part(2), "J3|Conn-Wire Term 3.5 6pos|Conn-Wire Term 3.5 6pos");
  EXPECT_EQ(part(3), "X5||");
  EXPECT_EQ(part(4), "C1|100n|");
  EXPECT_EQ(part(5), "ABCDEFGHIJKLMNOPQRST|1|2");
  EXPECT_EQ(nodes, 1);
}

TEST(PadsReader, ReadsSignalsAndPinEntries) {
  int nodes = 0;
  int parts = pads(crlf("*PART*\nU1 X@Y\n*NET*\n"
                        "*SIGNAL* VCC\n U1.8 R1.1  R2..2\n"
                        "*SIGNAL* N 1 2\n"
                        "U1.M11 .7 U2 3 LONGREFERENCE_1234567890.123456789012345\n"
                        "*SIG*NAME\n"),
                   &nodes);
  // A signal header glued to its name has no name: the read stops there.
  EXPECT_EQ(parts, -2);
  parts = pads(crlf("*PART*\nU1 X@Y\n*NET*\n"
                    "*SIGNAL* VCC\n U1.8 R1.1  R2..2\n"
                    "*Signal*   N 1 2   \n"
                    "U1.M11 .7 U2 3 LONGREFERENCE_1234567890.123456789012345\n"
                    "*END*\n*SIGNAL* LATE\nU9.9\n"),
               &nodes);
  ASSERT_EQ(parts, 1);
  ASSERT_EQ(nodes, 7);
  EXPECT_EQ(node(0), "U1|8|VCC");
  EXPECT_EQ(node(1), "R1|1|VCC");
  EXPECT_EQ(node(2), "R2|2|VCC");
  EXPECT_EQ(node(3), "U1|M11|N 1 2");
  EXPECT_EQ(node(4), "|7|N 1 2");
  EXPECT_EQ(node(5), "U2|3|N 1 2");  // no full stop: the next word is the pin
  EXPECT_EQ(node(6), "LONGREFERENCE_123456|1234567890|N 1 2");
}

TEST(PadsReader, TagsAndSections) {
  int nodes = 0;
  // Lower-case tags are no tags; a second *PART* section adds parts; after
  // *END* nothing counts.
  int parts = pads(crlf("title *part*\n*part*\nQ1 A@B\n*PART*\nR1 1@2\n*NET*\n"
                        "*SIGNAL* A\nR1.1\n*PART*\nR2 3@4\n*NET*\n*SIGNAL* B\nR2.1\n"
                        "*END*\n*PART*\nR3 5@6\n"),
                   &nodes);
  ASSERT_EQ(parts, 2);
  EXPECT_EQ(part(0), "R1|1|2");
  EXPECT_EQ(part(1), "R2|3|4");
  EXPECT_EQ(nodes, 2);
  // Any other tag ends the part list until a recognised one.
  parts = pads(crlf("*PART*\nR1 1@2\n*MISC*\nR9 9@9\n*NET*\n*SIGNAL* A\nR1.1\n"), &nodes);
  EXPECT_EQ(parts, 1);
}

TEST(PadsReader, LineEndsTabsAndControlBytes) {
  int nodes = 0;
  // LF-only, CR-only and CR LF files read alike; a TAB separates words.
  const char* body = "*PART*\nA1\tunknown\nR1 1k@R\n*NET*\n*SIGNAL* N\n\tA1.1\tR1.2\n*END*\n";
  std::string lf = body;
  std::string cr = lf;
  for (char& c : cr)
    if (c == '\n') c = '\r';
  for (const std::string& text : {lf, cr, crlf(lf)}) {
    ASSERT_EQ(pads(text, &nodes), 2);
    EXPECT_EQ(part(0), "A1|unknown|unknown");
    EXPECT_EQ(part(1), "R1|1k|R");
    ASSERT_EQ(nodes, 2);
    EXPECT_EQ(node(0), "A1|1|N");
    EXPECT_EQ(node(1), "R1|2|N");
  }
  // Other control bytes vanish without separating anything.
  ASSERT_EQ(pads("*PART*\r\nR\x01" "1 1\x02k@R\r\n*NET*\r\n*SIGNAL* N\r\nR1.1\r\n", &nodes), 1);
  EXPECT_EQ(part(0), "R1|1k|R");
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
    const char* firstPart;
  } samples[] = {
      {"freepcb-nl_orig.net", 3, 16, "J3|Conn-Wire Term 3.5 6pos|Conn-Wire Term 3.5 6pos"},
      {"lepton-TwoStageAmp-pads.out", 23, 42, "A1|unknown|unknown"},
      {"freepcb2-smart_kitchen.fpc.net", 77, 208, nullptr},
      {"freepcb2-Areas.fpc.net", 113, 348, nullptr},
      {"hpsdr-atlas_1_REVA_Netlist.asc", 79, 1090, "J1|DIN41612_96_1|DIN41612_96_R"},
      // Its nets stand under *CONNECTION*, which is no net section here.
      {"parallella-rf.asc", -9, 0, nullptr},
  };
  for (const Sample& s : samples) {
    std::string text = readFile(sourceDir() + "/../shared/samples/pads/" + s.name);
    ASSERT_FALSE(text.empty()) << s.name;
    int nodes = 0;
    EXPECT_EQ(pads(text, &nodes), s.parts) << s.name;
    EXPECT_EQ(nodes, s.nodes) << s.name;
    if (s.firstPart != nullptr) EXPECT_EQ(part(0), s.firstPart) << s.name;
  }
  // The references with '*' and apostrophes and the value with a comma.
  int nodes = 0;
  pads(readFile(sourceDir() + "/../shared/samples/pads/freepcb2-Areas.fpc.net"), &nodes);
  bool sawStar = false;
  for (int i = 0; i < nodes; i++)
    if (std::string(nodeTable[i].reference) == "X4*") sawStar = true;
  EXPECT_TRUE(sawStar);
}
