// The KiCad 6+ target: project endings, UTF-8 texts decoded from code page
// 932, the illegal-character rule per project kind and tstamps from
// references (a whole conversion is the golden case pads/kicad6_utf8).
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
