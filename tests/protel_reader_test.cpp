// Protel reader: both block forms, pin lines, hyphenated references, line
// rules, limits, real netlists, a whole conversion and hostile input.
#include <gtest/gtest.h>

#include <set>

#include "tests/test_support.h"

namespace {

ReadDump protel(const std::string& lfText) { return readDump(readProtelNetlist, crlf(lfText)); }

const char board[] =
    "PROTEL NETLIST 2.0\n"
    "[\nDESIGNATOR\nC1\nFOOTPRINT\nC0603\nPARTTYPE\n100n\nDESCRIPTION\nCeramic, X7R\n]\n"
    "[\nC2\n   C0805\n\"10u\"\n\n\n\n]\n"
    "[\nD1\nSOD123\n1N4148\n]\n"
    "[\nDESIGNATOR\nJ1\nPart Field 1\n*\nLIBRARYFIELD1\n\nPARTTYPE\n2P_HDR\nFOOTPRINT\nCONN2\n]\n"
    "[\nR1\nR0603\n4k7\n\n\n\n]\n[\nR2\nR0603\n4k7 1%\n\n\n\n]\n[\nU1\nSOIC8\nLM358\n\n\n\n]\n"
    "(\nGND\nC1-2 PASSIVE\nC2-2\nJ1-2\nU1-4\n)\n"
    "(\nVCC\nJ1-1\nU1-8\nC2-1\nR1-1\n)\n"
    "(\n\"OUT\"\nU1-1\nD1-1\nR2-2\nC1-1\n)\n"
    "(\n\x93\xfc\x97\xcd\nR1-2\nR2-1\nD1-2\n)\n";

TEST(ProtelReader, BlockForms) {
  ReadDump o = protel(
      "[\n R1\n  RC1608 \"x\"\n  \"10k\"\n\n\n\n]\n"
      "[\nDESIGNATOR\nU1\nFOOTPRINT\n  SOIC8\nOTHER\nignored\nPARTTYPE\n\"LM358\"\n]\n"
      // A keyword with a trailing space or in lower case is another keyword.
      "[\nDESIGNATOR\nU2\nPARTTYPE \nX\nfootprint\nY\n]\n"
      // An empty line takes the next line with it, here the "]".
      "[\nDESIGNATOR\nU3\n\n]\nFOOTPRINT\nSO8\n]\n"
      // Not "DESIGNATOR" first: read as a plain block.
      "[\nFOOTPRINT\nSO8\nPARTTYPE\n]\n"
      "(\nN\nU1-1\n)\n");
  EXPECT_EQ(o.result, 5);
  EXPECT_EQ(o.parts,
            " R1|10k|RC1608 \"x\"\nU1|LM358|SOIC8\nU2||\nU3||SO8\nFOOTPRINT|PARTTYPE|SO8\n");
}

TEST(ProtelReader, PinLines) {
  std::string quotedName = "\"" + std::string(55, 'A') + "\"";
  ReadDump o = protel("(\n\"N\"1\nR1-2-3\nU1-7 7400-7 PASSIVE\n R2-1\n\n\"Q1\"-\"b\"\nNOPIN\n"
                         "R3-12345678901234\n)\n(\n" + quotedName + "\nX-1\n)\n");
  EXPECT_EQ(o.result, 0);
  EXPECT_EQ(o.nets, "N1|R1|2-3\nN1|U1|7\nN1||\nN1||\nN1|\"Q1\"|\"b\"\nN1|NOPIN|\nN1|R3|1234567890\n" +
                    std::string(49, 'A') + "|X|1\n");
}

TEST(ProtelReader, HyphenatedReferences) {
  ReadDump o = protel(
      "(\nEARLY\nRJ1-1-1\n)\n"  // before any part: split at the first "-"
      "[\nA\n\n\n]\n[\nA-1\n\n\n]\n[\nRJ1-1\n\n\n]\n[\nU1\n\n\n]\n"
      "(\nN\nRJ1-1-1\nA-1-2\nA-2-3\nU1-A-3\nX-Y-Z\n)\n"
      "[\nQ-7\n\n\n]\n(\nM\nQ-7-1\nA-1-5\n)\n");
  EXPECT_EQ(o.result, 5);
  EXPECT_EQ(o.nets,
            "EARLY|RJ1|1-1\nN|RJ1-1|1\nN|A-1|2\nN|A|2-3\nN|U1|A-3\nN|X|Y-Z\nM|Q-7|1\nM|A-1|5\n");
}

TEST(ProtelReader, LineEndsControlsAndShiftJis) {
  std::string lf = "[\nR\t1\n\x01" "C0603\n1\x7f" "0k\n]\n(\n\x93\xfa\x96\x7b\nR1-1\n\x83\x8a-2\n)\n";
  ReadDump o = readDump(readProtelNetlist, lf);
  EXPECT_EQ(o.result, 1);
  EXPECT_EQ(o.parts, "R1|1\x7f" "0k|C0603\n");
  EXPECT_EQ(o.nets, "\x93\xfa\x96\x7b|R1|1\n\x93\xfa\x96\x7b|\x83\x8a|2\n");
  std::string cr = lf;
  for (char& c : cr)
    if (c == '\n') c = '\r';
  for (const std::string& bytes : {crlf(lf), cr}) {
    ReadDump same = readDump(readProtelNetlist, bytes);
    EXPECT_EQ(same.parts, o.parts);
    EXPECT_EQ(same.nets, o.nets);
  }
}

// A line ends after 199 bytes; its rest, or else its line end alone, is the
// next line.
TEST(ProtelReader, LinesOf199Bytes) {
  ReadDump o = protel("(\n" + std::string(199, 'N') + "R9-1\n" + std::string(197, 'R') +
                         "-7\n" + std::string(198, 'S') + "-7\n)\n");
  std::string n50(50, 'N');
  EXPECT_EQ(o.nets, n50 + "|R9|1\n" + n50 + "|" + std::string(20, 'R') + "|7\n" + n50 + "||\n" + n50 + "|" +
                        std::string(20, 'S') + "|\n" + n50 + "|7|\n");
}

TEST(ProtelReader, EndOfInputInsideBlocks) {
  const std::string net = "(\nN\nR1-1\n)\n";
  EXPECT_EQ(protel(net + "[").parts, "||\n");
  EXPECT_EQ(protel(net + "[\nR2\nSO8").parts, "R2||SO8\n");
  EXPECT_EQ(protel(net + "[\nDESIGNATOR\nU1\nFOOTPRINT").parts, "U1||\n");
  EXPECT_EQ(protel(net + "(").nodes, 1);
  // Dropped bytes alone make no last line; an empty line is a pin line.
  EXPECT_EQ(readDump(readProtelNetlist, "(\nN\nR1-1\n\t").nodes, 1);
  EXPECT_EQ(readDump(readProtelNetlist, "(\nN\nR1-1\n\t\n").nodes, 2);
}

TEST(ProtelReader, ResultCodes) {
  EXPECT_EQ(protel("").result, -9);
  EXPECT_EQ(protel("[\nR1\nRC\n1k\n]\n").result, -9);
  EXPECT_EQ(protel("[\nR1\nRC\n1k\n]\n(\nN\n)\n").result, -9);
  ReadDump o = protel("(\nN\nR1-1\n)\n");
  EXPECT_EQ(o.result, 0);
  EXPECT_EQ(o.nodes, 1);
}

TEST(ProtelReader, TableLimitsKeepTheFirstRecords) {
  for (int total : {6000, 6001}) {
    std::string text;
    for (int i = 1; i <= total; i++) text += "[\nP" + std::to_string(i) + "\nFP\nV\n]\n";
    text += "[\nDESIGNATOR\nLATE\nFOOTPRINT\nLATEFP\n]\n(\nN\nP1-1\n)\n";
    ReadDump o = protel(text);
    EXPECT_EQ(o.result, MAX_PARTS);
    EXPECT_STREQ(partTable[MAX_PARTS - 1].reference, "P6000");
    EXPECT_STREQ(partTable[MAX_PARTS - 1].pcbAttribute, "FP");
    EXPECT_EQ(o.nodes, 1);
  }
  for (int total : {20000, 20001}) {
    std::string text = "(\nN\n";
    for (int i = 1; i <= total; i++) text += "R" + std::to_string(i) + "-1\n";
    ReadDump o = protel(text + ")\n");
    EXPECT_EQ(o.nodes, MAX_NODES);
    EXPECT_STREQ(nodeTable[MAX_NODES - 1].reference, "R20000");
  }
}

// The real netlists: every block and pin line read, and in the files whose
// references carry a hyphen every pin lands on a part of the file.
TEST(ProtelReader, RealNetlists) {
  struct Sample {
    const char* name;
    int parts;
    int nodes;
    const char* node;  // one node that must be there
  } samples[] = {
      {"tinycad-Altitude_Drive_Circuit.net", 67, 132, "N000003|P1-2|1"},
      {"tinycad-Dual_PSU_2.net", 38, 100, "N000010|J5a|1"},
      {"tinycad-Parallel_Port_and_Handpad_Connect.net", 28, 56, "N000008|RJ1-4|1"},
      {"lepton-singlenet-protelII.out", 1, 10, "SING_N|U100|10"},
  };
  for (const Sample& s : samples) {
    SCOPED_TRACE(s.name);
    std::string bytes = readFile(sourceDir() + "/../shared/samples/protel/" + s.name);
    ASSERT_FALSE(bytes.empty());
    ReadDump o = readDump(readProtelNetlist, bytes);
    EXPECT_EQ(o.result, s.parts);
    EXPECT_EQ(o.nodes, s.nodes);
    EXPECT_NE(o.nets.find(std::string("\n") + s.node + "\n"), std::string::npos);
    std::set<std::string> references;
    for (int i = 0; i < o.result; i++) references.insert(partTable[i].reference);
    for (int i = 0; i < o.nodes; i++)
      EXPECT_TRUE(references.count(nodeTable[i].reference)) << nodeTable[i].reference;
  }
  ReadDump keyword = readDump(readProtelNetlist,
                                readFile(sourceDir() + "/../shared/samples/protel/lepton-singlenet-protelII.out"));
  EXPECT_EQ(keyword.parts, "U100|7400|DIP14\n");
}

TEST(ProtelReader, BadInput) {
  expectSaneOnBadInput(readProtelNetlist, crlf(board));
  std::string deep = "(\nN\n" + std::string(100000, '-') + "\n" + std::string(100000, ' ') + "\n";
  expectSaneRead(readProtelNetlist, deep);
  // 50 MB: parts past the table, pins past the table, long lines.
  std::string unit;
  for (int part = 0; part < 100; part++) {
    unit += "[\nDESIGNATOR\nU" + std::to_string(part) + "\nFOOTPRINT\nSO8\n]\n(\nN\n";
    for (int i = 0; i < 50; i++) unit += "A-B-" + std::to_string(i) + "\n";
    unit += std::string(300, 'x') + "\n)\n";
  }
  std::string big = repeatTo("", crlf(unit), FIFTY_MB);
  ReadDump o = readDump(readProtelNetlist, big);
  EXPECT_EQ(o.result, MAX_PARTS);
  EXPECT_EQ(o.nodes, MAX_NODES);
}

}  // namespace
