// KiCad writer: whole files byte for byte, quoting, missing components.
#include <gtest/gtest.h>

#include <string>

#include "netlist/kicad_writer.h"
#include "netlist/text_class.h"
#include "tests/test_support.h"

namespace {

void node(int* count, const char* ref, const char* pin, const char* net) {
  addNode(nodeTable, count, ref, strlen(ref), pin, strlen(pin), net);
}

std::string writeModel(int parts, int nodes) {
  TempDir dir;
  std::string path = dir.file("out.net");
  TextOut out;
  openTextOut(&out, openForWriting(path.c_str()));
  EXPECT_EQ(writeKicadNetlist(&out, parts, partTable, nodeTable, nodes), 0);
  EXPECT_TRUE(closeTextOut(&out));
  return readFile(path);
}

std::string component(const char* ref, const char* value, const char* footprint,
                      const char* stamp) {
  return std::string("\n    (comp (ref ") + ref + ")\n      (value " + value +
         ")\n      (footprint " + footprint +
         ")\n      (libsource (lib device) (part \"\"))\n"
         "      (sheetpath (names /) (tstamps /))\n      (tstamp " + stamp + "))";
}

}  // namespace

TEST(KicadWriter, WholeFileOfASmallModel) {
  bindNetlistTables();
  int parts = 0;
  addPart(partTable, &parts, "R2", "#$#10k", "");
  addPart(partTable, &parts, "C1", "", "");
  addPart(partTable, &parts, "U1", "10k#$#", "");
  partTable[0].footprint = "Resistor_SMD:R_0603";
  int nodes = 0;
  node(&nodes, "C1", "1", "GND");
  node(&nodes, "R2", "2", "GND");
  node(&nodes, "U1", "4", "gnd");
  node(&nodes, "U1", "8", "VCC");
  std::string expected = crlf(
      "(export (version D)\n  (components" + component("R2", "10k", "Resistor_SMD:R_0603", "A400") +
      component("C1", "none", "none:none", "A401") + component("U1", "10k#$#", "none:none", "A402") +
      ")\n  (nets"
      "\n    (net (code 1) (name \"GND\")"
      "\n      (node (ref C1) (pin 1))"
      "\n      (node (ref R2) (pin 2)))"
      "\n    (net (code 2) (name \"gnd\")"
      "\n      (node (ref U1) (pin 4)))"
      "\n    (net (code 3) (name \"VCC\")"
      "\n      (node (ref U1) (pin 8)))))\n");
  EXPECT_EQ(writeModel(parts, nodes), expected);
}

TEST(KicadWriter, QuotesWhatKicadCouldNotReadBack) {
  bindNetlistTables();
  int parts = 0;
  addPart(partTable, &parts, "R1", "10k 1%", "");
  addPart(partTable, &parts, "#PWR1", "#$#", "");
  addPart(partTable, &parts, "", "a\"b", "");
  addPart(partTable, &parts, "Q(1)", "#$##x", "");
  addPart(partTable, &parts, "D1", "\"q", "");
  partTable[0].footprint = "Lib:Fp (old)";
  partTable[1].footprint = "x\\y";
  int nodes = 0;
  node(&nodes, "R1", "", "A \"b\" \\c");
  node(&nodes, "Q(1)", "1 2", "A \"b\" \\c");
  std::string text = writeModel(parts, nodes);
  EXPECT_NE(text.find("(ref R1)\r\n      (value \"10k 1%\")\r\n      (footprint \"Lib:Fp (old)\")"),
            std::string::npos);
  // A value that is only the marker is "none"; "#$#" comes off once.
  EXPECT_NE(text.find("(ref \"#PWR1\")\r\n      (value none)\r\n      (footprint x\\y)"),
            std::string::npos);
  EXPECT_NE(text.find("(ref \"\")\r\n      (value a\"b)"), std::string::npos);
  EXPECT_NE(text.find("(ref \"Q(1)\")\r\n      (value \"#x\")"), std::string::npos);
  EXPECT_NE(text.find("(ref D1)\r\n      (value \"\\\"q\")"), std::string::npos);
  EXPECT_NE(text.find("(name \"A \\\"b\\\" \\\\c\")"), std::string::npos);
  EXPECT_NE(text.find("(node (ref R1) (pin \"\"))"), std::string::npos);
  EXPECT_NE(text.find("(node (ref \"Q(1)\") (pin \"1 2\"))"), std::string::npos);
}

TEST(KicadWriter, LeavesOutNodesWithoutComponent) {
  bindNetlistTables();
  int parts = 0;
  addPart(partTable, &parts, "R1", "1", "");
  int nodes = 0;
  node(&nodes, "", "1", "A");
  node(&nodes, "X9", "1", "A");
  node(&nodes, "R1", "1", "B");
  node(&nodes, "X9", "2", "C");
  std::string expected = crlf("(export (version D)\n  (components" +
                              component("R1", "1", "none:none", "A400") +
                              ")\n  (nets\n    (net (code 1) (name \"B\")"
                              "\n      (node (ref R1) (pin 1)))))\n");
  EXPECT_EQ(writeModel(parts, nodes), expected);
}

TEST(KicadWriter, TimeStampsCountInHexadecimal) {
  bindNetlistTables();
  int parts = 0;
  char ref[16];
  for (int i = 0; i < MAX_PARTS; i++) {
    snprintf(ref, sizeof ref, "R%d", i);
    addPart(partTable, &parts, ref, "1", "");
  }
  int nodes = 0;
  node(&nodes, "R0", "1", "N");
  std::string text = writeModel(parts, nodes);
  EXPECT_NE(text.find("(ref R0)"), std::string::npos);
  EXPECT_NE(text.find("(tstamp A400))"), std::string::npos);
  EXPECT_NE(text.find("(tstamp A40A))"), std::string::npos);
  EXPECT_NE(text.find("(tstamp BB6F)))\r\n  (nets"), std::string::npos);
}

TEST(KicadWriter, LongTextsAndManyNetsKeepTheirForm) {
  // Texts longer than what is copied straight into the buffer, one of them
  // longer than the whole buffer, go out as shorter ones do.
  bindNetlistTables();
  int parts = 0;
  addPart(partTable, &parts, "R1", "1", "");
  addPart(partTable, &parts, "R2", "2", "");
  addPart(partTable, &parts, "R3", "3", "");
  std::string plain(2000, 'F');
  std::string spaced = std::string(70000, 'G') + " x";
  std::string escaped = std::string(1100, 'H') + " \\";
  partTable[0].footprint = plain.c_str();
  partTable[1].footprint = spaced.c_str();
  partTable[2].footprint = escaped.c_str();
  int nodes = 0;
  char net[16];
  for (int i = 1; i <= 12; i++) {
    snprintf(net, sizeof net, "N%02d", i);
    node(&nodes, "R1", "1", net);
  }
  std::string text = writeModel(parts, nodes);
  std::string components =
      component("R1", "1", plain.c_str(), "A400") +
      component("R2", "2", ("\"" + spaced + "\"").c_str(), "A401") +
      component("R3", "3", ("\"" + std::string(1100, 'H') + " \\\\\"").c_str(), "A402");
  EXPECT_EQ(text.substr(0, text.find(")\r\n  (nets")),
            crlf("(export (version D)\n  (components" + components));
  EXPECT_NE(text.find("(net (code 9) (name \"N09\")"), std::string::npos);
  EXPECT_NE(text.find("(net (code 12) (name \"N12\")\r\n      (node (ref R1) (pin 1)))))"),
            std::string::npos);
}

TEST(TextClass, WordScanAgreesWithByteScan) {
  // Each byte value at each place of texts around the word size.
  for (size_t len = 1; len <= 24; len++) {
    for (size_t at = 0; at < len; at++) {
      for (int c = 1; c < 256; c++) {
        std::string text(len, 'a');
        text[at] = static_cast<char>(c);
        size_t scanned;
        uint8_t expected = classifyText(text.c_str(), &scanned);
        ASSERT_EQ(classifyBytes(text.data(), len), expected) << len << " " << at << " " << c;
      }
    }
  }
}
