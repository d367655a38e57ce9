// Tests of the TELESIS netlist reader.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "readers/reader_io.h"
#include "tests/test_support.h"

namespace {

ReadDump readTelesis(const std::string& bytes) { return readDump(readTelesisNetlist, bytes); }

}  // namespace

TEST(TelesisReader, PackageLines) {
  ReadDump r = readTelesis(crlf(
      "$PACKAGES\n"
      "'DIP14' ! 74HC00 ! QUAD NAND ; U1 U2\n"  // device and value joined by "/"
      "SOT23 ! \"10 k  OHM\" ; R1\n"             // quoted value keeps its spaces
      "DIP8!NE555,U3 U4\n"                       // no ";": the last comma splits
      "!1k,R5\n"                                 // ... and an empty package takes the value
      "!2k;R6\n"                                 // with ";" it stays empty
      "TO92 ! BC547 ;\n"                         // no reference: no part
      "$NETS\n"
      "N1; U1.1\n"
      "$END\n"));
  EXPECT_EQ(r.result, 7);
  EXPECT_EQ(r.parts,
            "U1|74HC00/QUAD NAND|DIP14\n"
            "U2|74HC00/QUAD NAND|DIP14\n"
            "R1|10 k  OHM|SOT23\n"
            "U3|NE555|DIP8\n"
            "U4|NE555|DIP8\n"
            "R5|1k|1k\n"
            "R6|2k|\n");
}

TEST(TelesisReader, PackageOddities) {
  // A package line without "!" packs no line end, so the next line's record
  // runs on from it; a record with neither ";" nor comma takes its value
  // from the following record.
  ReadDump r = readTelesis(crlf(
      "$PACKAGES\n"
      "LOOSE\n"
      "PKG!V1;R1\n"
      "!NOSEP\n"
      "!V2;R2\n"
      "$NETS\nN;R1.1\n"));
  EXPECT_EQ(r.result, 2);
  EXPECT_EQ(r.parts,
            "R1|V1|LOOSEPKG\n"
            "R2|NOSEP\r!V2|NOSEP\r!V2\n");

  // Over-long fields are cut to their capacities.
  std::string pkg(130, 'P'), value(110, 'V'), ref(25, 'R');
  r = readTelesis(crlf("$PACKAGES\n" + pkg + "!" + value + ";" + ref + " X1\n$NETS\nN;X1.1\n"));
  EXPECT_EQ(r.result, 2);
  EXPECT_EQ(r.parts, std::string(20, 'R') + "|" + std::string(100, 'V') + "|" +
                         std::string(121, 'P') + "\nX1|" + std::string(100, 'V') + "|" +
                         std::string(121, 'P') + "\n");
}

TEST(TelesisReader, ReferenceListContinuation) {
  // A comma right after a reference joins it with the first reference of the
  // next line; a space before the comma keeps them apart.
  ReadDump r = readTelesis(crlf(
      "$PACKAGES\n"
      "!V;R1 R2,\n"
      " R3 R4 ,\n"
      "  R5,\n"
      "R6\n"
      "!W;R7\n"
      "$NETS\nN;R1.1\n"));
  EXPECT_EQ(r.result, 5);
  EXPECT_EQ(r.parts, "R1|V|\nR2R3|V|\nR4|V|\nR5R6|V|\nR7|W|\n");
}

TEST(TelesisReader, NetLines) {
  ReadDump r = readTelesis(crlf(
      "$NETS\n"
      "'VCC 5'; U1.14 R1.1 ,ignored.1\n"  // name loses space and apostrophes
      "  C1.1,ignored.2\n"                 // a comma ends the line's entries
      " C2.2\n"
      " $$GND; U1.7\n"                     // leading "$" characters go
      "\"A B\"; U2.1   U3.2\n"             // double quotes go from the node's name
      "N2; R9 R10.3\n"                     // no full stop: up to the next one
      "T;\tA.1\tB.2\n"                     // tabs separate entries
      "$END\n"));
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.nets,
            "VCC5|U1|14\n"
            "VCC5|R1|1\n"
            "VCC5|C1|1\n"
            "VCC5|C2|2\n"
            "GND|U1|7\n"
            "AB|U2|1\n"
            "AB|U3|2\n"
            "N2|R9 R10|3\n"
            "T|A|1\n"
            "T|B|2\n");

  // Net names: the node keeps 50 bytes of the name, quotes counted, then
  // drops the quotes; references and pins are cut to 20 and 10.
  std::string name = "\"" + std::string(60, 'n') + "\"";
  r = readTelesis(crlf("$NETS\n" + name + "; " + std::string(30, 'r') + "." +
                       std::string(15, 'p') + " X.1\n"));
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.nets, std::string(49, 'n') + "|" + std::string(20, 'r') + "|" +
                        std::string(10, 'p') + "\n" + std::string(49, 'n') + "|X|1\n");
}

TEST(TelesisReader, EntriesOfEveryLength) {
  // Each entry's "." and end fall at every place of a word, and the last
  // entries end close to the end of the text.
  std::string text = "$NETS\n", expected;
  for (int refLen = 1; refLen <= 12; refLen++) {
    std::string net("N");
    net.append(std::to_string(refLen));
    text.append(net).append(";");
    for (int pinLen = 1; pinLen <= 10; pinLen++) {
      std::string ref(static_cast<size_t>(refLen), 'R'), pin(static_cast<size_t>(pinLen), 'p');
      text.append(" ").append(ref).append(".").append(pin);
      expected.append(net).append("|").append(ref).append("|").append(pin).append("\n");
    }
    text += "\n";
  }
  ReadDump r = readTelesis(crlf(text));
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.nets, expected);

  // Value fields: spaces go next to "!" and ";" but stay next to an
  // apostrophe.
  r = readTelesis(crlf("$PACKAGES\nPKG ! 'a b' !' c ' ; R7\n$NETS\nN; R7.1\n"));
  EXPECT_EQ(r.parts, "R7|a b/ c|PKG\n");
}

TEST(TelesisReader, NetLinesWithoutEntries) {
  // Blank lines, nets without pins and lines without ";" pack nothing, so
  // the next net keeps its name and its first pin.
  ReadDump r = readTelesis(crlf(
      "$NETS\n"
      "A;\n"
      "A2;   \n"
      "B; R1.1\n"
      "\n"
      "C\n"
      "D; R2.1 ,\n"
      "\n"  // a blank line ends a continued list
      "E ; R3.1\n"));
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.nets, "B|R1|1\nD|R2|1\nE|R3|1\n");
}

TEST(TelesisReader, Sections) {
  ReadDump r = readTelesis(crlf(
      "(banner of the writing tool)\n"
      "$PACKAGES\n"
      "!V;R1\n"
      "$OTHER\n"
      "!W;R2\n"  // outside any section
      "  $NETS trailing words\n"
      "N;R1.1\n"
      "$PACKAGES\n"  // a package section after the nets ends them
      "!X;R3\n"
      "$NETS\n"
      "M;R3.1\n"
      "$END\n"
      "$NETS\n"
      "Z;Z.1\n"));
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.parts, "R1|V|\n");
  EXPECT_EQ(r.nets, "N|R1|1\n");

  // Nets before the packages are not read: the parse starts at "$PACKAGES".
  r = readTelesis(crlf("$NETS\nN;A.1\n$PACKAGES\n!V;A\n$END\n"));
  EXPECT_EQ(r.result, -9);
}

TEST(TelesisReader, ResultCodes) {
  EXPECT_EQ(readTelesis("").result, -9);
  EXPECT_EQ(readTelesis(crlf("no\nkeywords\nhere\n")).result, -9);
  EXPECT_EQ(readTelesis(crlf("$END\n")).result, -1);
  EXPECT_EQ(readTelesis(crlf("$PACKAGES\n!V;R1 R2\n$END\n")).result, -9);
  ReadDump r = readTelesis(crlf("$NETS\nN;A.1 B.2\n"));
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.nodes, 2);

  // A failed read leaves the node count untouched.
  static ByteSource source;
  const std::string bytes = "$END\r\n";
  bindNetlistTables();
  openMemorySource(&source, bytes.data(), bytes.size());
  int out = 77;
  EXPECT_EQ(readTelesisNetlist(&source, partTable, nodeTable, &out, 0), -1);
  EXPECT_EQ(out, 77);
}

TEST(TelesisReader, LineEndsReadAlike) {
  const std::string lf =
      "$PACKAGES\n"
      "'SO8' ! OPAMP ; U1 U2 ,\n"
      " U3\n"
      "\n"
      "$NETS\n"
      "VCC; U1.8,\n"
      " U2.8 U3.8\n"
      "GND;\n"
      "OUT; U1.1\n"
      "$END";  // no line end after the last line
  ReadDump expected = readTelesis(crlf(lf + "\n"));
  EXPECT_EQ(expected.result, 3);
  EXPECT_EQ(expected.parts, "U1|OPAMP|SO8\nU2|OPAMP|SO8\nU3|OPAMP|SO8\n");
  EXPECT_EQ(expected.nets, "VCC|U1|8\nVCC|U2|8\nVCC|U3|8\nOUT|U1|1\n");
  std::string cr = lf;
  for (char& c : cr)
    if (c == '\n') c = '\r';
  for (const std::string& bytes : {lf, lf + "\n", crlf(lf), cr, cr + "\r"}) {
    ReadDump r = readTelesis(bytes);
    EXPECT_EQ(r.result, expected.result);
    EXPECT_EQ(r.parts, expected.parts);
    EXPECT_EQ(r.nets, expected.nets);
  }

  // A last net line without a line end still counts as a whole line.
  ReadDump r = readTelesis("$NETS\nN; A.1 B.2");
  EXPECT_EQ(r.nets, "N|A|1\nN|B|2\n");
}

TEST(TelesisReader, ShiftJisBytesAreText) {
  // Bytes of 128 and above are never blanks, also at the start of a line.
  ReadDump r = readTelesis(crlf(
      "$PACKAGES\n"
      "\x95\x94\x95\x69 ! \x92\xef\x8d\x52 ; \x83\x41\x82\x50\n"
      "$NETS\n"
      "\x88\xea\x94\xd4; \x83\x41\x82\x50.1 \x8a\x4f.\x82\x51\n"));
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.parts, "\x83\x41\x82\x50|\x92\xef\x8d\x52|\x95\x94\x95\x69\n");
  EXPECT_EQ(r.nets, "\x88\xea\x94\xd4|\x83\x41\x82\x50|1\n\x88\xea\x94\xd4|\x8a\x4f|\x82\x51\n");
}

TEST(TelesisReader, LongLinesArriveInPiecesOf519) {
  // A net line whose byte 520 begins a piece of its own: that piece starts
  // with "$" and so closes the section, losing the rest of the line.
  std::string head = "N;";
  int count = 0;
  for (;;) {
    std::string entry = "A" + std::to_string(count) + ".1 ";
    if (head.size() + entry.size() > 517) break;
    head += entry;
    count++;
  }
  head += std::string(519 - head.size(), ' ');
  ASSERT_EQ(head.size(), 519u);
  ReadDump r = readTelesis(crlf("$NETS\n" + head + "$B.2 C.3\nM; D.4\n"));
  EXPECT_EQ(r.nodes, count);

  // One byte shorter, the "$" stays inside the first piece.
  r = readTelesis(crlf("$NETS\n" + head.substr(0, 518) + "$B.2 C.3\nM; D.4\n"));
  EXPECT_EQ(r.nodes, count + 3);
  EXPECT_EQ(std::string(nodeTable[count].reference), "$B");

  // 518 bytes and the line end fit one piece: the comma still continues the
  // list.  At 519 bytes the line end comes alone and ends the list.
  std::string refs;
  for (int i = 0; refs.size() < 510; i++) refs += "R" + std::to_string(i) + " ";
  std::string line = "!V;" + refs;
  for (const std::string& ending : {std::string("\r\n"), std::string("\n"), std::string("\r")}) {
    std::string l518 = line + std::string(517 - line.size(), 'X') + ",";
    ASSERT_EQ(l518.size(), 518u);
    r = readTelesis("$PACKAGES" + ending + l518 + ending + " R999" + ending + "$NETS" + ending +
                    "N;R999.1" + ending);
    ASSERT_GT(r.result, 1);
    EXPECT_EQ(std::string(partTable[r.result - 1].reference),
              std::string(517 - line.size(), 'X') + "R999");

    std::string l519 = line + std::string(518 - line.size(), 'X') + ",";
    r = readTelesis("$PACKAGES" + ending + l519 + ending + " R999" + ending + "!W;R7" + ending +
                    "$NETS" + ending + "N;R7.1" + ending);
    ASSERT_GT(r.result, 1);
    EXPECT_EQ(std::string(partTable[r.result - 2].reference), std::string(518 - line.size(), 'X'));
    EXPECT_EQ(std::string(partTable[r.result - 1].reference), "R7");
    EXPECT_EQ(std::string(partTable[r.result - 1].pcbAttribute), "R999");
  }
}

TEST(TelesisReader, PartAndNodeLimits) {
  for (int parts : {6000, 6001}) {
    std::string text = "$PACKAGES\r\n!V;";
    for (int i = 1; i <= parts; i++) text += "R" + std::to_string(i) + (i % 50 == 0 ? " ,\r\n" : " ");
    text += "\r\n!W;LATE\r\n$NETS\r\nN; R1.1 LATE.2\r\n";
    ReadDump r = readTelesis(text);
    EXPECT_EQ(r.result, 6000);
    EXPECT_EQ(std::string(partTable[5999].reference), "R6000");
    EXPECT_EQ(r.nets, "N|R1|1\nN|LATE|2\n");  // the nets still read in step
  }
  for (int nodes : {20000, 20001}) {
    std::string text = "$NETS\r\nN;";
    for (int i = 1; i <= nodes; i++) text += "A" + std::to_string(i) + ".1" + (i % 40 == 0 ? " ,\r\n" : " ");
    text += "\r\n";
    ReadDump r = readTelesis(text);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.nodes, 20000);
    EXPECT_EQ(std::string(nodeTable[19999].reference), "A20000");
  }
}

TEST(TelesisReader, PackingStopsAtTheMark) {
  // "$NETS" packs 6 bytes, the first net line 494 and every further one 500:
  // after 4200 net lines exactly 2,100,000 bytes are packed and no further
  // line is read.  The line that reaches the mark is packed whole.
  std::string text = "$NETS\r\n";
  for (int j = 0; j < 4210; j++) {
    char name[16];
    snprintf(name, sizeof name, "N%06d; ", j);
    int refLength = (j == 0 ? 485 : 491) - 2;
    text += name + std::string(static_cast<size_t>(refLength), 'X') + ".1\r\n";
  }
  ReadDump r = readTelesis(text);
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.nodes, 4200);
  EXPECT_EQ(std::string(nodeTable[4199].netName), "N004199");
  EXPECT_EQ(std::string(nodeTable[4199].pin), "1");
}

TEST(TelesisReader, RealNetlists) {
  // Written by an open-source schematic tool's TELESIS back end, LF line
  // ends, empty or "none" packages, one pin per continuation line.
  const std::string dir = sourceDir() + "/../shared/samples/telesis/";
  ReadDump r = readTelesis(readFile(dir + "lepton-powersupply-allegro.out"));
  EXPECT_EQ(r.result, 12);
  EXPECT_EQ(r.parts,
            "C1|POLARIZED_CAPACITOR/2200uF|\n"
            "C2|POLARIZED_CAPACITOR/0.1uF|\n"
            "C3|POLARIZED_CAPACITOR/22uF|\n"
            "C4|POLARIZED_CAPACITOR/1uf|\n"
            "CONN1|MAINS_CONNECTOR/MAINS_CONNECTOR|\n"
            "F1|FUSE/FUSE|\n"
            "R1|VARIABLE_RESISTOR/5k|\n"
            "R2|RESISTOR/220|\n"
            "S1|SPST/SPST|\n"
            "T1|transformer/transformer|\n"
            "U1|DIODE-BRIDGE/DIODE-BRIDGE|\n"
            "U2|LM317/LM317|\n");
  EXPECT_EQ(r.nets,
            "GND|CONN1|3\n"
            "eight|C1|1\neight|C2|1\neight|U1|1\neight|U2|3\n"
            "eleven|C4|1\neleven|R2|2\neleven|U2|2\n"
            "five|CONN1|2\nfive|T1|2\n"
            "nine|C1|2\nnine|C2|2\nnine|C3|2\nnine|C4|2\nnine|R1|1\nnine|R1|3\nnine|U1|2\n"
            "one|CONN1|1\none|S1|1\n"
            "seven|T1|4\nseven|U1|3\n"
            "six|T1|3\nsix|U1|4\n"
            "ten|C3|1\nten|R1|2\nten|R2|1\nten|U2|1\n"
            "three|F1|2\nthree|T1|1\n"
            "two|F1|1\ntwo|S1|2\n");

  // Values with spaces, "=" and parentheses; packages "none".
  r = readTelesis(readFile(dir + "lepton-TwoStageAmp-allegro.out"));
  EXPECT_EQ(r.result, 23);
  EXPECT_EQ(r.nodes, 42);
  EXPECT_NE(r.parts.find("\nA3|directive/.options TEMP=25|\n"), std::string::npos);
  EXPECT_NE(r.parts.find("\nVinput|vsin/DC 1.6V AC 10MV SIN(0 1MV 1KHZ)|none\n"), std::string::npos);
  const std::string first = "GND|CE1|1\nGND|CE2|1\nGND|R2|1\nGND|R4|1\nGND|RE1|1\nGND|RE2|1\n"
                            "GND|RL|1\nGND|VCC|2\nGND|Vinput|2\nVColl2|Cout|1\n";
  const std::string last = "\nunnamed_net2|C2|1\nunnamed_net2|R8|2\n";
  EXPECT_EQ(r.nets.substr(0, first.size()), first);
  EXPECT_EQ(r.nets.substr(r.nets.size() - last.size()), last);
}

TEST(TelesisReader, BadInputNeverBreaksTheReader) {
  auto sound = [](const std::string& bytes) {
    ReadDump r = readTelesis(bytes);
    EXPECT_TRUE(r.result == -1 || r.result == -9 || r.result >= 0);
    EXPECT_TRUE(isSoundRead(r));
    return r.result;
  };
  // An unterminated quote runs the value to the end of the packed text; a
  // zero byte reads as a space, so the nets after it are kept.
  EXPECT_EQ(sound(crlf("$PACKAGES\n!\"abc;R1\n$NETS\nN;R1.1\n")), -9);
  EXPECT_EQ(readTelesis(std::string("$NETS\r\nN;A.1\r\nM;B\0.2\r\nO;C.3\r\n", 29)).nets,
            "N|A|1\nM|B |2\nO|C|3\n");

  const std::string w(100000, 'w');
  sound("$PACKAGES\r\n" + w + "!" + w + ";" + w + " " + w + "\r\n$NETS\r\n" + w + ";" + w + "." +
        w + " " + w + "\r\n");
  sound("$PACKAGES\r\n!\"" + w + "\r\n$NETS\r\nN;" + w);

  const std::string good = crlf(
      "$PACKAGES\n'SO8' ! OPAMP ! \"LM 358\" ; U1 U2,\n U3\nDIP!X,Y Z\n$NETS\n"
      "'VCC'; U1.8,\n U2.8 U3.8\nGND; U1.4\n$END\n");
  for (size_t n = 0; n <= good.size(); n++) sound(good.substr(0, n));

  std::mt19937 random(20240607);
  const std::string alphabet = "$PACKAGES$NETS$END!;,.'\" \t\r\n\r\nAR1.2";
  for (int round = 0; round < 300; round++) {
    std::string bytes = round % 2 == 0 ? "$PACKAGES\r\n" : "$NETS\r\n";
    for (size_t k = random() % 4000; k > 0; k--)
      bytes += random() % 4 == 0 ? static_cast<char>(random()) : alphabet[random() % alphabet.size()];
    sound(bytes);
  }

  // 50 MB: packing stops at the mark and the rest is never read; a 50 MB
  // line outside every section packs nothing.
  std::string big = "$NETS\r\n";
  std::string line = "NET;";
  for (int i = 0; i < 100; i++) line += " R1.1";
  while (big.size() < 50000000) big += line + "\r\n";
  EXPECT_EQ(readTelesis(big).nodes, MAX_NODES);
  EXPECT_EQ(sound(std::string(50000000, 'x')), -9);
}
