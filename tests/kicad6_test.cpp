// The KiCad 6+ target: project endings, UTF-8 texts decoded from code page
// 932, the illegal-character rule per project kind, tstamps from references,
// and a whole conversion through the command-line runner.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "netlist/kicad_writer.h"
#include "netlist/utf8_form.h"
#include "options/options.h"
#include "run/project_path.h"
#include "run/reconcile.h"
#include "tests/test_support.h"

namespace {

struct Kicad6Test : ::testing::Test {
  void SetUp() override { resetSettings(); }
  void TearDown() override { resetSettings(); }
};

const unsigned char* bytesOf(const char* text) { return reinterpret_cast<const unsigned char*>(text); }

bool strictUtf8(const std::string& text) { return isStrictUtf8(bytesOf(text.c_str()), text.size()); }

// The code points code page 932 gives for the bytes.
std::vector<uint32_t> decodeAll(const std::string& text) {
  std::vector<uint32_t> out;
  for (size_t pos = 0; pos < text.size();) out.push_back(decodeCp932(bytesOf(text.c_str()), text.size(), &pos));
  return out;
}

std::string writeModel(int parts, int nodes, int kind) {
  TempDir dir;
  std::string path = dir.file("out.net");
  TextOut out;
  openTextOut(&out, openForWriting(path.c_str()));
  EXPECT_EQ(writeKicadNetlist(&out, parts, partTable, nodeTable, nodes, kind), 0);
  EXPECT_TRUE(closeTextOut(&out));
  return readFile(path);
}

// The tstamps of a netlist, in component order.
std::vector<std::string> stamps(const std::string& netlist) {
  std::vector<std::string> out;
  std::regex stamp("\\(tstamp ([0-9A-F]+)\\)");
  for (auto it = std::sregex_iterator(netlist.begin(), netlist.end(), stamp); it != std::sregex_iterator(); ++it)
    out.push_back((*it)[1]);
  return out;
}

std::string stampsOf(std::vector<const char*> references) {
  bindNetlistTables();
  int parts = 0;
  for (const char* ref : references) addPart(partTable, &parts, ref, "", "");
  int nodes = 0;
  addNode(nodeTable, &nodes, references[0], strlen(references[0]), "1", 1, "N");
  std::string all;
  for (const std::string& s : stamps(writeModel(parts, nodes, PROJECT_KIND_KICAD6))) all += s + " ";
  return all;
}

}  // namespace

TEST_F(Kicad6Test, ProjectEndingsPerKind) {
  // Path, kind, the netlist it names, whether the kind accepts it.
  const std::tuple<const char*, int, const char*, bool> cases[] = {
      {"d/board.kicad_pro", PROJECT_KIND_KICAD6, "d/board.net", true},
      {"d/board.pro", PROJECT_KIND_KICAD6, "d/board.net", true},
      {"d/board.kicad_pro", PROJECT_KIND_KICAD5, "d/board.kicad_net", false},
      {"board.KICAD_PRO", PROJECT_KIND_KICAD6, "board.KICAD_net", false},
      {"board.sch", PROJECT_KIND_KICAD6, "board.net", false},
      {"ab", PROJECT_KIND_KICAD6, "net", false},
      {"board.kicad_pro", 7, "board.kicad_net", false},  // other kinds: as KiCad(v5)
  };
  for (const auto& [path, kind, netlist, accepted] : cases) {
    ProjectName name = splitProjectPath(path, kind);
    EXPECT_EQ(std::string(path, name.stemLen) + "net", netlist) << path;
    EXPECT_EQ(name.accepted, accepted) << path;
  }
}

TEST_F(Kicad6Test, StrictUtf8) {
  for (std::string ok : {"", "R1", "4.7\xC2\xB5" "F", "\xE9\x9B\xBB\xE6\xBA\x90", "\xF0\x9F\x94\x8C",
                         "\xF4\x8F\xBF\xBF", "\xED\x9F\xBF", "\xEF\xBF\xBD"})
    EXPECT_TRUE(strictUtf8(ok)) << ok;
  for (std::string bad : {"\x80", "\xC0\x80", "\xC1\xBF", "\xE0\x80\x80", "\xE0\x9F\xBF",
                          "\xF0\x8F\xBF\xBF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80",
                          "\xC2", "\xE9\x9B", "a\xC2z", "\x83\x7D\x83\x43"})
    EXPECT_FALSE(strictUtf8(bad)) << bad;
}

TEST_F(Kicad6Test, Cp932Decoding) {
  // ASCII, half-width katakana at both ends of their range, two-byte pairs
  // (one with the trail byte 0x5C, one with 0x7D).
  EXPECT_EQ(decodeAll("A\\\xA1\xB1\xDF"), (std::vector<uint32_t>{'A', '\\', 0xFF61, 0xFF71, 0xFF9F}));
  EXPECT_EQ(decodeAll("\x93\x64\x8C\xB9"), (std::vector<uint32_t>{0x96FB, 0x6E90}));  // 電源
  EXPECT_EQ(decodeAll("\x83\x5C\x83\x7D"), (std::vector<uint32_t>{0x30BD, 0x30DE}));  // ソマ
  EXPECT_EQ(decodeAll("\x87\x40\xFA\x40\xF0\x40"), (std::vector<uint32_t>{0x2460, 0x2170, 0xE000}));
  // Bytes that are no character become U+FFFD one at a time, and decoding
  // goes on at the next byte: 0x80, 0xA0, 0xFD-0xFF, a lead byte at the end
  // or before a byte that is no trail byte, a pair that maps to nothing.
  const uint32_t R = REPLACEMENT_CHARACTER;
  EXPECT_EQ(decodeAll("\x80\xA0\xFD\xFE\xFF"), (std::vector<uint32_t>{R, R, R, R, R}));
  EXPECT_EQ(decodeAll("a\x81"), (std::vector<uint32_t>{'a', R}));
  EXPECT_EQ(decodeAll("\x81 \x81\x7F"), (std::vector<uint32_t>{R, ' ', R, 0x7F}));
  EXPECT_EQ(decodeAll("\x85\x40"), (std::vector<uint32_t>{R, '@'}));
  EXPECT_EQ(decodeAll("\x81\xFD\x83\x41"), (std::vector<uint32_t>{R, R, 0x30A2}));
}

TEST_F(Kicad6Test, TstampsFollowTheReference) {
  // A part added in front, or one taken away, moves no other part's tstamp.
  EXPECT_EQ(stampsOf({"R1", "R2"}), "0C044BCC 0F045085 ");
  EXPECT_EQ(stampsOf({"A1", "R1", "R2"}), "9BD5D047 0C044BCC 0F045085 ");
  EXPECT_EQ(stampsOf({"R2"}), "0F045085 ");
  // ULN1X and UP77S share the hash 002093AF, RINZG0S has 002093B0: a taken
  // hash counts up to the next free one, in output order.
  EXPECT_EQ(stampsOf({"ULN1X", "UP77S", "RINZG0S"}), "002093AF 002093B0 002093B1 ");
  EXPECT_EQ(stampsOf({"RINZG0S", "ULN1X", "UP77S"}), "002093B0 002093AF 002093B1 ");
  // A reference twice gives two stamps; a Shift-JIS reference hashes its UTF-8 form.
  EXPECT_EQ(stampsOf({"R1", "R1"}), "0C044BCC 0C044BCD ");
  EXPECT_EQ(stampsOf({"\xB1"}), stampsOf({"\xEF\xBD\xB1"}));
}

TEST_F(Kicad6Test, IllegalCharactersPerKind) {
  const char* value = "SIN(0\x01\x7F)\x83\x7D\xC2\xB5";
  for (int kind : {PROJECT_KIND_KICAD5, PROJECT_KIND_KICAD6}) {
    settingValues[VAL_PROJECT_KIND] = kind;
    bindNetlistTables();
    readNoMountMarks("");
    int parts = 0;
    addPart(partTable, &parts, "X1", value, "");
    ReportCapture report;
    prepareParts(report.out, partTable, parts);
    std::string lines = report.finish();
    if (kind == PROJECT_KIND_KICAD5) {
      EXPECT_STREQ(partTable[0].value, "SIN_0____}__");
      EXPECT_EQ(statusCounters.illegal, 7);
    } else {
      // Only the control bytes go, each with its report line.
      EXPECT_STREQ(partTable[0].value, "SIN(0__)\x83\x7D\xC2\xB5");
      EXPECT_EQ(statusCounters.illegal, 2);
      EXPECT_EQ(lines, std::string("\"(illegal char) REF=X1; PCB=") + value + ";\"\r\n" +
                           "\"(illegal char) REF=X1; PCB=SIN(0_\x7F)\x83\x7D\xC2\xB5;\"\r\n");
    }
  }
}

TEST_F(Kicad6Test, WholeConversionThroughTheCli) {
  TempDir dir;
  // Shift-JIS references, values, footprint and net names (マイコン, 赤, ソ
  // with the trail byte '\', 電源), a UTF-8 value, a net name that needs
  // escapes and one with bytes that are no character.
  writeFile(dir.file("board.asc"),
            crlf("*PADS-PCB*\n*PART*\nR1 10k@R0603\nC1 4.7\xC2\xB5" "F@C0603\n"
                 "U1 \x83\x7D\x83\x43\x83\x52\x83\x93@Lib:SOIC8\nLED\x90\xD4 (\x90\xD4)@Lib:\x83\x5C\n"
                 "*NET*\n*SIGNAL* \x93\x64\x8C\xB9\nU1.8 R1.1 LED\x90\xD4.1\n*SIGNAL* A\"B\\\n"
                 "U1.4 C1.2 LED\x90\xD4.2\n*SIGNAL* \x80X\xFD\nR1.2 C1.1 U1.3\n*END*\n"));
  writeFile(dir.file("board.kicad_pro"), "{}\n");
  writeFile(dir.file("cat.csv"), crlf("Category,PCB,Footprint\nR,R0603,Resistor_SMD:R_0603\n"
                                      "C,C0603,Capacitor_SMD:C_0603\n"));
  std::vector<std::string> args = {"--input", "board.asc", "--format", "pads", "--project",
                                   "board.kicad_pro", "--category", "cat.csv", "--language", "en",
                                   "--project-kind", "kicad6", "--rev"};
  CliResult first = runCli(args, dir.path);
  ASSERT_EQ(first.status, 0) << first.out;
  // The report keeps the input's own bytes; a "#$#" value typed into it
  // keeps its Shift-JIS text and parentheses too.
  std::string report = readFile(dir.file("board.asc_f00.csv"));
  EXPECT_NE(report.find(",LED,\"`(\x90\xD4)\",LED\x90\xD4,"), std::string::npos) << report;
  size_t r1 = report.find(",R,\"`10k\",");
  ASSERT_NE(r1, std::string::npos) << report;
  report.replace(r1, 10, ",R,\"#$#\x92\xEF\x8D\x52(\x82\xA0)\",");  // 抵抗(あ)
  writeFile(dir.file("board.asc_f00.csv"), report);

  CliResult second = runCli(args, dir.path);
  ASSERT_EQ(second.status, 0) << second.out;
  EXPECT_EQ(second.out.rfind("Report = board.asc_f01.csv\n", 0), 0u);
  std::string net = readFile(dir.file("board.net"));
  EXPECT_EQ(readFile(dir.file("board_f01.net")), net);
  auto comp = [](const char* ref, const char* value, const char* footprint, const char* stamp) {
    return std::string("\n    (comp (ref ") + ref + ")\n      (value " + value + ")\n      (footprint " +
           footprint + ")\n      (libsource (lib device) (part \"\"))\n"
           "      (sheetpath (names /) (tstamps /))\n      (tstamp " + stamp + "))";
  };
  EXPECT_EQ(net, crlf("(export (version D)\n  (components" +
                      comp("C1", "\"4.7µF\"", "Capacitor_SMD:C_0603", "87DA2DF9") +
                      comp("\"LED赤\"", "\"(赤)\"", "\"Lib:ソ\"", "27B3DB77") +
                      comp("R1", "\"抵抗(あ)\"", "Resistor_SMD:R_0603", "0C044BCC") +
                      comp("U1", "\"マイコン\"", "Lib:SOIC8", "03F2F613") +
                      ")\n  (nets"
                      "\n    (net (code 1) (name \"A\\\"B\\\\\")"
                      "\n      (node (ref C1) (pin 2))"
                      "\n      (node (ref \"LED赤\") (pin 2))"
                      "\n      (node (ref U1) (pin 4)))"
                      "\n    (net (code 2) (name \"\xEF\xBF\xBDX\xEF\xBF\xBD\")"
                      "\n      (node (ref C1) (pin 1))"
                      "\n      (node (ref R1) (pin 2))"
                      "\n      (node (ref U1) (pin 3)))"
                      "\n    (net (code 3) (name \"電源\")"
                      "\n      (node (ref \"LED赤\") (pin 1))"
                      "\n      (node (ref R1) (pin 1))"
                      "\n      (node (ref U1) (pin 8)))))\n"));
}
