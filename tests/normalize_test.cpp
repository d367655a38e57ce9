// Normalisation: pin clean-up, reference cut, derived parts, net order.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "netlist/losses.h"
#include "netlist/model.h"
#include "netlist/text.h"
#include "readers/reader_io.h"

namespace {

void addTestNode(int* count, const char* ref, const char* pin, const char* net) {
  addNode(nodeTable, count, ref, strlen(ref), pin, strlen(pin), net);
}

std::string nodeText(int i) {
  return std::string(nodeTable[i].netName) + "/" + nodeTable[i].reference + "." + nodeTable[i].pin;
}

}  // namespace

TEST(Normalize, CleansPinsAndCutsReferences) {
  const char* cases[][2] = {
      {"P$12", "12"}, {"P$007", "7"}, {"01", "1"},   {"0A", "0A"}, {"P$0A", "0A"},
      {"A01", "A01"}, {"P1", "P1"},   {"P$", ""},    {"0-1", "0-1"}, {"0", "0"},
      {"00", "0"},    {"P$0", "0"},   {"P$000", "0"}, {"0010", "10"}, {"P$P$1", "P$1"},
  };
  bindNetlistTables();
  int count = 0;
  for (auto& c : cases) addTestNode(&count, "U1", c[0], "N");
  addTestNode(&count, "U1:A", "1", "M");
  addTestNode(&count, ":X", "1", "M");
  int parts = normalizeNetlist(nodeTable, count, 0, partTable);
  EXPECT_EQ(parts, 1);  // U1 only: ":X" is cut to the empty reference
  // Net "M" sorts first: the empty reference, then U1.
  EXPECT_EQ(nodeText(0), "M/.1");
  EXPECT_EQ(nodeText(1), "M/U1.1");
  std::multiset<std::string> pins;
  for (int i = 2; i < count; i++) pins.insert(nodeTable[i].pin);
  std::multiset<std::string> expected;
  for (auto& c : cases) expected.insert(c[1]);
  EXPECT_EQ(pins, expected);
}

TEST(Normalize, DerivesPartsFromNodesInByteOrder) {
  bindNetlistTables();
  int count = 0;
  addTestNode(&count, "U1:B", "2", "B");
  addTestNode(&count, "R10", "1", "A");
  addTestNode(&count, "U1:A", "1", "A");
  addTestNode(&count, "R2", "1", "A");
  addTestNode(&count, "", "3", "A");
  addTestNode(&count, "r1", "1", "A");
  int parts = normalizeNetlist(nodeTable, count, 0, partTable);
  ASSERT_EQ(parts, 4);
  const char* refs[] = {"R10", "R2", "U1", "r1"};
  for (int i = 0; i < 4; i++) {
    EXPECT_STREQ(partTable[i].reference, refs[i]);
    EXPECT_STREQ(partTable[i].value, "");
    EXPECT_STREQ(partTable[i].pcbAttribute, "");
  }
  // Net order: by net, then reference, then pin, all byte-wise.
  EXPECT_EQ(nodeText(0), "A/.3");
  EXPECT_EQ(nodeText(1), "A/R10.1");
  EXPECT_EQ(nodeText(2), "A/R2.1");
  EXPECT_EQ(nodeText(3), "A/U1.1");
  EXPECT_EQ(nodeText(4), "A/r1.1");
  EXPECT_EQ(nodeText(5), "B/U1.2");
}

TEST(Normalize, AddsPartsThatThePartListMisses) {
  bindNetlistTables();
  int parts = 0;
  addPart(partTable, &parts, "R1", "10k", "R0603");
  addPart(partTable, &parts, "C1", "1u", "C0603");
  int count = 0;
  addTestNode(&count, "U7", "1", "N1");
  addTestNode(&count, "R1", "1", "N1");
  addTestNode(&count, "C1:1", "2", "N1");
  addTestNode(&count, "A3", "1", "N2");
  addTestNode(&count, "U7", "2", "N2");
  addTestNode(&count, "", "2", "N2");
  int result = normalizeNetlist(nodeTable, count, parts, partTable);
  ASSERT_EQ(result, 4);
  EXPECT_STREQ(partTable[0].reference, "R1");
  EXPECT_STREQ(partTable[1].reference, "C1");
  EXPECT_STREQ(partTable[2].reference, "A3");
  EXPECT_STREQ(partTable[3].reference, "U7");
  EXPECT_STREQ(partTable[3].value, "");
  EXPECT_STREQ(partTable[3].pcbAttribute, "");
}

TEST(Normalize, PartLimitHoldsForDerivedParts) {
  bindNetlistTables();
  int count = 0;
  char ref[16];
  for (int i = 0; i < MAX_PARTS + 5; i++) {
    snprintf(ref, sizeof ref, "R%05d", i);
    addTestNode(&count, ref, "1", "N");
  }
  EXPECT_EQ(normalizeNetlist(nodeTable, count, 0, partTable), MAX_PARTS);
  EXPECT_STREQ(partTable[MAX_PARTS - 1].reference, "R05999");

  // A full part list gets no further parts.
  bindNetlistTables();
  int parts = 0;
  for (int i = 0; i < MAX_PARTS; i++) {
    snprintf(ref, sizeof ref, "C%d", i);
    addPart(partTable, &parts, ref, "", "");
  }
  EXPECT_FALSE(addPart(partTable, &parts, "X1", "", ""));
  count = 0;
  addTestNode(&count, "Z1", "1", "N");
  EXPECT_EQ(normalizeNetlist(nodeTable, count, parts, partTable), MAX_PARTS);
}

TEST(Normalize, NegativeResultLeavesNodesUntouched) {
  bindNetlistTables();
  int count = 0;
  addTestNode(&count, "U1:A", "P$01", "Z");
  addTestNode(&count, "A1", "1", "A");
  EXPECT_EQ(normalizeNetlist(nodeTable, count, -9, partTable), -9);
  EXPECT_EQ(nodeText(0), "Z/U1:A.P$01");
  EXPECT_EQ(normalizeNetlist(nodeTable, 0, 0, partTable), 0);
}

// The pin check and the part lookup see references after the ':' cut and
// pins after clean-up, hashed once per node.
TEST(Normalize, PinCheckAndPartLookupSeeCutReferencesAndCleanPins) {
  bindNetlistTables();
  clearLosses();
  int parts = 0;
  addPart(partTable, &parts, "R1", "10k", "R0603");
  int count = 0;
  addTestNode(&count, "R1:A", "P$01", "N1");
  addTestNode(&count, "R1", "1", "N1");   // the same pin in the same net: no loss
  addTestNode(&count, "R1:B", "01", "N2");  // the same pin in a second net
  addTestNode(&count, "R1", "1", "N3");   // and a third: noted once
  addTestNode(&count, "R12", "1", "N2");  // a longer reference of the same start
  addTestNode(&count, "R", "11", "N3");   // "R"+"11" is not "R1"+"1"
  int result = normalizeNetlist(nodeTable, count, parts, partTable);
  EXPECT_EQ(losses.count[LOSS_PIN_IN_TWO_NETS], 1);
  EXPECT_STREQ(losses.example[LOSS_PIN_IN_TWO_NETS], "R1.1");
  ASSERT_EQ(result, 3);  // R1 from the list, then R and R12 derived
  EXPECT_STREQ(partTable[1].reference, "R");
  EXPECT_STREQ(partTable[2].reference, "R12");
}

// References of whole words of eight bytes, cut at a word's end or found in
// the part list, whatever bytes follow them in their storage.
TEST(Normalize, ReferencesOfWholeWordsAreCutAndFound) {
  bindNetlistTables();
  int parts = 0;
  addPart(partTable, &parts, "ABCDEFGHIJKLMNOPQRST", "", "");
  addPart(partTable, &parts, "ABCDEFGH", "", "");
  addPart(partTable, &parts, "ABCDEFGHIJKLMNOP", "", "");
  int count = 0;
  addTestNode(&count, "ABCDEFGHIJKLMNOPQRST", "1", "N");
  addTestNode(&count, "ABCDEFGH:IJKLMNOPQRS", "1", "N");
  addTestNode(&count, "ABCDEFGHIJKLMNOP:", "1", "N");
  addTestNode(&count, "ABCDEFGHIJKLMNOPQRS", "1", "N");  // one short: not in the list
  addTestNode(&count, "ABCDEFG", "1", "N");              // likewise
  int result = normalizeNetlist(nodeTable, count, parts, partTable);
  ASSERT_EQ(result, 5);
  EXPECT_STREQ(partTable[3].reference, "ABCDEFG");
  EXPECT_STREQ(partTable[4].reference, "ABCDEFGHIJKLMNOPQRS");
}
