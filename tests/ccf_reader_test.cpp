// Tests of the CCF netlist reader.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "options/options.h"
#include "readers/reader_io.h"
#include "tests/test_support.h"

namespace {

ReadDump readCcf(const std::string& bytes, int formatOption = 0) {
  settingValues[VAL_FORMAT_OPTION_VALUE] = formatOption;
  return readDump(readCcfNetlist, bytes);
}

const char kDefinitions[] =
    "$CCF {\n"
    "DEFINITION {\n"
    "\"0.1u\".C1608 : C1, C2;\n"  // quoted value, split at the full stop after it
    "10k.R0603 : R1 R2;\n"         // references separated by spaces alone
    "0.1u.C1005:C3;\n"             // split at the last full stop
    "A.B:X:R4;\n"                  // two colons: split before the first
    "NOSTOP:R5;\n"
    "V.\"PCB\":R6;\n"              // a quoted PCB attribute is empty
    "\"1.5k\":R7;\n"               // the full stop inside the quotes stays
    "1.5k:R8;\n"                   // ... but splits a bare value
    "  \"LM 358\"  .  SOIC8  : U1 ;\n"
    "}\n"
    "NET {\n"
    "N : C1(1);\n"
    "}\n"
    "}\n";

}  // namespace

TEST(CcfReader, DefinitionEntries) {
  ReadDump r = readCcf(crlf(kDefinitions), 0);
  EXPECT_EQ(r.result, 11);
  EXPECT_EQ(r.parts,
            "C1|0.1u|C1608\n"
            "C2|0.1u|C1608\n"
            "R1|10k|R0603\n"
            "R2|10k|R0603\n"
            "C3|0.1u|C1005\n"
            "R4|A|B:X\n"
            "R5|NOSTOP|\n"
            "R6|V|\n"
            "R7|1.5k|\n"
            "R8|1|5k\n"
            "U1|LM 358|SOIC8\n");
  EXPECT_EQ(r.nets, "N|C1|1\n");

  // Format option bit 1: the whole part text is the value.
  for (int option : {2, 3}) {
    r = readCcf(crlf(kDefinitions), option);
    EXPECT_EQ(r.parts,
              "C1|0.1u|\nC2|0.1u|\nR1|10k.R0603|\nR2|10k.R0603|\nC3|0.1u.C1005|\nR4|A.B:X|\n"
              "R5|NOSTOP|\nR6|V.|\nR7|1.5k|\nR8|1.5k|\nU1|LM 358|\n")
        << option;
  }

  // Over-long texts are cut to their capacities.
  r = readCcf(crlf("$CCF{\nDEFINITION{\n" + std::string(110, 'v') + "." + std::string(130, 'p') +
                   ":" + std::string(25, 'r') + ";\n}NET{N:A(1);}}\n"));
  EXPECT_EQ(r.parts,
            std::string(20, 'r') + "|" + std::string(100, 'v') + "|" + std::string(121, 'p') + "\n");
}

TEST(CcfReader, DefinitionEntriesOverLines) {
  ReadDump r = readCcf(crlf(
      "$CCF{DEFINITION{\n"
      "A.B:R1; C.D:R2;\n"  // two entries on a line: the last colon wins
      "10k.R0603 : R3,\n"
      "  R4,\n"
      " R5;\n"
      "\"47k\".R0603\n"  // no colon on the line: the line is dropped ...
      ": R6;\n"          // ... and so is this one
      "X.Y:R7;\n"
      "}NET{N:R1(1);}}\n"));
  EXPECT_EQ(r.result, 5);
  EXPECT_EQ(r.parts,
            "R2|A|B:R1; C.D\n"
            "R3|10k|R0603\nR4|10k|R0603\nR5|10k|R0603\n"
            "R7|X|Y\n");
}

TEST(CcfReader, ListsEndingInASeparator) {
  // A separator right before the ";" neither makes an empty part nor runs
  // the pin list on into the next net entry.
  ReadDump r = readCcf(crlf(
      "$CCF {\n"
      "DEFINITION {\n"
      "10k.R0603 : R1, R2,;\n"
      "1k.R0603 : R3 ,;\n"
      "}\n"
      "NET {\n"
      "GND : U1(1), R1(2),;\n"
      "VCC : U1(8) ;\n"
      "}\n"
      "}\n"));
  EXPECT_EQ(r.result, 3);
  EXPECT_EQ(r.parts, "R1|10k|R0603\nR2|10k|R0603\nR3|1k|R0603\n");
  EXPECT_EQ(r.nets, "GND|U1|1\nGND|R1|2\nVCC|U1|8\n");
}

TEST(CcfReader, NetEntries) {
  ReadDump r = readCcf(crlf(
      "$CCF {\n"
      "NET {\n"
      "$$VCC : U1(8), R1 (1) ,C1( 2 ) ;  GND: U1(4) R2(2);\n"
      "LONG:\n"
      " U2(1),\n"
      " U3(2);\n"
      "CUT : X(12345678  9);\n"
      + std::string(60, 'n') + " : " + std::string(25, 'r') + "(" + std::string(15, 'p') + ");\n"
      "}\n"
      "}\n"));
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.nets,
            "VCC|U1|8\n"
            "VCC|R1 |1\n"  // a space before "(" stays with the reference
            "VCC|C1|2\n"
            "GND|U1|4\n"
            "GND|R2|2\n"
            "LONG|U2|1\n"
            "LONG|U3|2\n"
            "CUT|X|12345678\n" +
                std::string(50, 'n') + "|" + std::string(20, 'r') + "|" + std::string(10, 'p') +
                "\n");
}

TEST(CcfReader, BlocksAndTheNetKeywordOption) {
  const std::string text = crlf(
      "header line of the writing tool\n"
      "$CCF {\n"
      "#INFO { VERSION : 3.1 ; }\n"
      "DEFINITION {\n"
      "LM358.SOIC8 : U1;\n"
      "}\n"
      "SIGNAL {\n"
      "S1 : U1(3);\n"
      "}\n"
      "NETLIST {\n"
      "N1 : U1(1);\n"
      "}\n"
      "}\n"
      "$CCF {\n"
      "NET { N2 : U1(2); }\n"
      "}\n");
  for (int option : {0, 2}) {
    ReadDump r = readCcf(text, option);
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.nets, "N1|U1|1\nN2|U1|2\n") << option;
  }
  for (int option : {1, 3}) {
    ReadDump r = readCcf(text, option);
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.nets, "S1|U1|3\nN1|U1|1\nN2|U1|2\n") << option;
  }
}

TEST(CcfReader, ResultCodes) {
  EXPECT_EQ(readCcf("").result, -9);
  EXPECT_EQ(readCcf(crlf("DEFINITION {\nA.B : R1;\n}\nNET { N : R1(1); }\n")).result, -9);
  EXPECT_EQ(readCcf(crlf("$CCF {\nDEFINITION {\nA.B:R1;\n}\n}\n")).result, -9);
  ReadDump r = readCcf("$CCF{NET{N:A(1);}}");
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.nodes, 1);

  static ByteSource source;
  const std::string bytes = "$CCF{DEFINITION{A.B:R1;}}";
  bindNetlistTables();
  openMemorySource(&source, bytes.data(), bytes.size());
  int out = 77;
  EXPECT_EQ(readCcfNetlist(&source, partTable, nodeTable, &out, 0), -9);
  EXPECT_EQ(out, 77);
}

TEST(CcfReader, LineEndsTabsAndControlBytes) {
  const std::string lf =
      "$CCF {\n"
      "DEFINITION {\n"
      "10k.R0603 :\tR1\tR2,\n"  // tabs separate like spaces
      " R3;\n"
      "}\n"
      "NET {\n"
      "GND :\tU\x01" "1(4)\tR1(1),\n"
      "\n"
      " R2(\x7f" "1);\n"
      "}\n"
      "}";
  ReadDump expected = readCcf(crlf(lf + "\n"));
  EXPECT_EQ(expected.result, 3);
  EXPECT_EQ(expected.parts, "R1|10k|R0603\nR2|10k|R0603\nR3|10k|R0603\n");
  EXPECT_EQ(expected.nets, "GND|U1|4\nGND|R1|1\nGND|R2|\x7f" "1\n");
  std::string cr = lf;
  for (char& c : cr)
    if (c == '\n') c = '\r';
  std::string zeros = crlf(lf);
  zeros.insert(zeros.find("R3"), std::string("\0\0", 2));
  for (const std::string& bytes : {lf, lf + "\n", crlf(lf), cr, cr + "\r", zeros}) {
    ReadDump r = readCcf(bytes);
    EXPECT_EQ(r.result, expected.result);
    EXPECT_EQ(r.parts, expected.parts);
    EXPECT_EQ(r.nets, expected.nets);
  }
}

TEST(CcfReader, ShiftJisBytesAreText) {
  ReadDump r = readCcf(crlf(
      "$CCF {\n"
      "DEFINITION {\n"
      "\"\x92\xef\x8d\x52\".\x95\x94 : \x83\x41\x82\x50;\n"
      "}\n"
      "NET {\n"
      "\x88\xea : \x83\x41\x82\x50(\x82\x50);\n"
      "}\n"
      "}\n"));
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.parts, "\x83\x41\x82\x50|\x92\xef\x8d\x52|\x95\x94\n");
  EXPECT_EQ(r.nets, "\x88\xea|\x83\x41\x82\x50|\x82\x50\n");
}

TEST(CcfReader, LinesAreCutAt519Bytes) {
  // The 520th stored byte of a line begins the next line: here it falls
  // inside "ABCDEF(1)", which then reads as two entries.
  std::string entries = "N : ";
  int count = 0;
  for (;;) {
    std::string entry = "P" + std::to_string(count) + "(1), ";
    if (entries.size() + entry.size() > 500) break;
    entries += entry;
    count++;
  }
  auto padded = [&](size_t size) { return entries + std::string(size - entries.size(), ' '); };
  const std::string tail = "ABCDEF(1);\n}\n}\n";
  ReadDump r = readCcf("$CCF{NET{\n" + padded(516) + tail);
  ASSERT_EQ(r.nodes, count + 2);
  EXPECT_EQ(std::string(nodeTable[count].reference) + "|" + nodeTable[count].pin, "ABC|");
  EXPECT_EQ(std::string(nodeTable[count + 1].reference) + "|" + nodeTable[count + 1].pin, "DEF|1");

  // Dropped control bytes take no room in the line.
  std::string withControls = padded(516);
  withControls.insert(4, "\x01\x02\x03\x1b\x1f");
  ReadDump c = readCcf("$CCF{NET{\n" + withControls + tail);
  EXPECT_EQ(c.nets, r.nets);

  // Ending at byte 519, the entry stays whole; its ";" begins the next line.
  r = readCcf("$CCF{NET{\n" + padded(510) + tail);
  ASSERT_EQ(r.nodes, count + 1);
  EXPECT_EQ(std::string(nodeTable[count].reference) + "|" + nodeTable[count].pin, "ABCDEF|1");
}

TEST(CcfReader, PartAndNodeLimits) {
  for (int parts : {6000, 6001}) {
    std::string text = "$CCF {\nDEFINITION {\nV.P : ";
    for (int i = 1; i <= parts; i++) text += "R" + std::to_string(i) + (i % 50 == 0 ? ",\n" : ", ");
    text += ";\nW.Q : LATE;\n}\nNET { N : R1(1), LATE(2); }\n}\n";
    ReadDump r = readCcf(text);
    EXPECT_EQ(r.result, 6000);
    EXPECT_EQ(std::string(partTable[5999].reference), "R6000");
    EXPECT_EQ(r.nets, "N|R1|1\nN|LATE|2\n");  // the nets still read in step
  }
  for (int nodes : {20000, 20001}) {
    std::string text = "$CCF {\nDEFINITION { V.P : U1; }\nNET {\nN : ";
    for (int i = 1; i <= nodes; i++) text += "A" + std::to_string(i) + "(1)" + (i % 40 == 0 ? ",\n" : ", ");
    text += ";\nM : B)C(1), D(2);\n}\nDEFINITION { W.Q : LATE; }\n}\n";
    ReadDump r = readCcf(text);
    EXPECT_EQ(r.result, 2);  // the definition after the full node table is still read
    EXPECT_EQ(r.nodes, 20000);
    EXPECT_EQ(std::string(nodeTable[19999].reference), "A20000");
  }
}

TEST(CcfReader, BadInputNeverBreaksTheReader) {
  auto sound = [](const std::string& bytes, int option) {
    ReadDump r = readCcf(bytes, option);
    EXPECT_TRUE(r.result == -9 || r.result >= 0);
    EXPECT_TRUE(isSoundRead(r));
    return r.result;
  };
  // Unterminated quotes, blocks and entries.
  EXPECT_EQ(sound(crlf("$CCF{DEFINITION{\n\"abc.R0603 : R1;\n}NET{N:R1(1);}}\n"), 0), 1);
  EXPECT_EQ(sound("$CCF{NET{N:R1(1", 0), 0);
  EXPECT_EQ(sound("$CCF{NET{N:R1", 0), 0);
  EXPECT_EQ(sound("$CCF{DEFINITION{A.B:R1,R2", 0), -9);

  const std::string w(100000, 'w');
  for (int option = 0; option < 4; option++) {
    sound("$CCF{\r\nDEFINITION{\r\n" + w + "." + w + ":" + w + ";\r\n}\r\nNET{\r\n" + w + ":" + w +
              "(" + w + ");\r\n}}\r\n",
          option);
    sound("$CCF{" + w + "{" + w, option);
  }

  const std::string good = crlf(kDefinitions);
  for (size_t n = 0; n <= good.size(); n++) sound(good.substr(0, n), static_cast<int>(n % 4));

  std::mt19937 random(20240608);
  const std::string alphabet = "$CCF{}DEFINITION{NET{:;,.()\"$ \t\r\nR1";
  for (int round = 0; round < 300; round++) {
    std::string bytes = "$CCF{";
    for (size_t k = random() % 4000; k > 0; k--)
      bytes += random() % 4 == 0 ? static_cast<char>(random()) : alphabet[random() % alphabet.size()];
    sound(bytes, round % 4);
  }

  // 50 MB of net entries, read to the end past a full node table.
  std::string big = "$CCF {\nNET {\n";
  std::string line = "N : ";
  for (int i = 0; i < 50; i++) line += "R" + std::to_string(i) + "(1), ";
  while (big.size() < 50000000) big += line + ";\n";
  ReadDump r = readCcf(big + "}\nDEFINITION { V.P : LAST; }\n}\n");
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.nodes, MAX_NODES);
}
