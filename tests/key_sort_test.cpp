// Sorts on packed keys against a plain stable sort with strcmp, nodes put
// in net order whatever their grouping, and the flags normalisation hands
// to the writer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "netlist/files.h"
#include "netlist/key_sort.h"
#include "netlist/kicad_writer.h"
#include "netlist/losses.h"
#include "netlist/model.h"
#include "readers/reader_io.h"

namespace {

// Texts that share long prefixes, differ past the eighth byte, hold bytes
// of 0x80 and above, or are empty.
std::string randomText(std::mt19937& rng, int maxLen) {
  static const char* stems[] = {"", "R", "IC", "GND_DIGITAL_RETURN_", "CAPC1608X90N_", "\xB1\xB2"};
  std::string text = stems[rng() % 6];
  int extra = static_cast<int>(rng() % 4);
  for (int i = 0; i < extra; i++) text += "019Az\x80\xFF "[rng() % 8];
  return text.substr(0, static_cast<size_t>(maxLen));
}

// The part sorts' orders, as a plain stable sort with strcmp gives them.
bool byReference(const PartRecord& a, const PartRecord& b) { return strcmp(a.reference, b.reference) < 0; }
bool byCategoryAndNumber(const PartRecord& a, const PartRecord& b) {
  int c = strcmp(a.category, b.category);
  return c != 0 ? c < 0 : a.refNumber < b.refNumber;
}
bool byCategoryAndPcb(const PartRecord& a, const PartRecord& b) {
  int c = strcmp(a.category, b.category);
  return c != 0 ? c < 0 : strcmp(a.pcbAttribute, b.pcbAttribute) < 0;
}
bool forReport(const PartRecord& a, const PartRecord& b) {
  int c = strcmp(a.category, b.category);
  if (c != 0) return c < 0;
  if (a.numericValue != b.numericValue) return a.numericValue < b.numericValue;
  c = strcmp(a.value, b.value);
  return c != 0 ? c < 0 : a.refNumber < b.refNumber;
}

// The text of a number, stored for the whole test program: a part's status
// points at its position, so an order can be read back.
const char* positionText(int i) {
  static std::deque<std::string> texts;  // elements never move
  while (static_cast<int>(texts.size()) <= i) texts.push_back(std::to_string(texts.size()));
  return texts[static_cast<size_t>(i)].c_str();
}

// Fills the part table with random parts, each one's status its position.
void fillRandomParts(std::mt19937& rng, int count) {
  static const int32_t numbers[] = {0, 1, -1, 7, INT32_MAX, INT32_MIN, 256, 65536};
  static const double values[] = {0.0, -0.0, 1e-12, 1000, -1000, 1e300, -1e300, 2.5, HUGE_VAL};
  bindNetlistTables();
  partCount = 0;
  for (int i = 0; i < count; i++) {
    std::string ref = randomText(rng, CAP_REFERENCE);
    std::string value = randomText(rng, CAP_VALUE);
    std::string pcb = randomText(rng, CAP_PCB_ATTRIBUTE);
    addPart(partTable, &partCount, ref.c_str(), value.c_str(), pcb.c_str());
    PartRecord& p = partTable[i];
    strcpy(p.category, randomText(rng, CAP_CATEGORY).c_str());
    p.refNumber = numbers[rng() % 8];
    p.numericValue = values[rng() % 9];
    p.status = positionText(i);
  }
}

std::vector<std::string> statuses(const PartRecord* parts, int count) {
  std::vector<std::string> out;
  for (int i = 0; i < count; i++) out.push_back(parts[i].status);
  return out;
}

}  // namespace

TEST(KeySort, EveryPartSortGivesTheOrderOfAStableSortWithStrcmp) {
  using Sort = void (*)(PartRecord*, int);
  using Less = bool (*)(const PartRecord&, const PartRecord&);
  const struct {
    Sort sort;
    Less less;
  } sorts[] = {{sortPartsByReference, byReference},
               {sortPartsByCategoryAndNumber, byCategoryAndNumber},
               {sortPartsByCategoryAndPcb, byCategoryAndPcb},
               {sortPartsForReport, forReport}};
  std::mt19937 rng(14);
  for (int round = 0; round < 20; round++) {
    int count = round == 0 ? MAX_PARTS : static_cast<int>(rng() % 300);
    for (const auto& s : sorts) {
      fillRandomParts(rng, count);
      std::vector<PartRecord> expected(partTable, partTable + count);
      std::stable_sort(expected.begin(), expected.end(), s.less);
      s.sort(partTable, count);
      ASSERT_EQ(statuses(partTable, count), statuses(expected.data(), count)) << round;
    }
  }
}

TEST(KeySort, TablesAlreadyInOrderOrOfEqualRecordsStayAsTheyAre) {
  // A second sort finds every window already in order and must not move a
  // record; equal records keep their order through every window.
  std::mt19937 rng(15);
  fillRandomParts(rng, 500);
  sortPartsForReport(partTable, 500);
  std::vector<std::string> once = statuses(partTable, 500);
  sortPartsForReport(partTable, 500);
  EXPECT_EQ(statuses(partTable, 500), once);

  bindNetlistTables();
  partCount = 0;
  std::vector<std::string> order;
  for (int i = 0; i < 300; i++) {
    // One long value and PCB attribute, so that every window ties.
    addPart(partTable, &partCount, "R1", "10k 1% 0.1W thin film 0603 automotive",
            "RESC1608X55N_SAME_FOR_EVERY_PART");
    strcpy(partTable[i].category, "R");
    partTable[i].numericValue = 10000;
    partTable[i].refNumber = i < 150 ? 1 : 0;  // the second half sorts first
    partTable[i].status = positionText(i);
  }
  for (int i = 150; i < 300; i++) order.push_back(std::to_string(i));
  for (int i = 0; i < 150; i++) order.push_back(std::to_string(i));
  sortPartsForReport(partTable, 300);
  EXPECT_EQ(statuses(partTable, 300), order);
  sortPartsByCategoryAndPcb(partTable, 300);
  EXPECT_EQ(statuses(partTable, 300), order);
}

// Texts read eight bytes at a time pack what a byte at a time packs,
// whatever lies after their terminators, at every window and after
// another field.
TEST(KeySort, StoredTextsPackAsTextsWhateverFollowsTheirEnds) {
  std::mt19937 rng(8);
  for (int round = 0; round < 400; round++) {
    std::string a = randomText(rng, CAP_NET_NAME), b = randomText(rng, CAP_PIN);
    if (round % 3 == 0) a += std::string(rng() % 20, 'x');
    char slotA[64], slotB[32];
    memset(slotA, round % 2 == 0 ? 0xFF : 'z', sizeof slotA);
    memset(slotB, 0x01, sizeof slotB);
    memcpy(slotA, a.c_str(), a.size() + 1);
    memcpy(slotB, b.c_str(), b.size() + 1);
    for (int level = 0; level <= 8; level++) {
      KeyPacker bytewise(level), wordwise(level);
      bytewise.text(slotA).text(slotB);
      wordwise.storedText(slotA).storedText(slotB);
      ASSERT_EQ(wordwise.key, bytewise.key) << a << "|" << b << " level " << level;
      ASSERT_EQ(wordwise.room, bytewise.room) << a << "|" << b << " level " << level;
      ASSERT_EQ(wordwise.skip, bytewise.skip) << a << "|" << b << " level " << level;
    }
  }
}

namespace {

struct TestNode {
  std::string ref, pin, net;
};

// Normalises the nodes (no part list) and returns them in the final order
// as "net/ref.pin", each with '*' when it begins a net.
std::vector<std::string> normalized(const std::vector<TestNode>& nodes) {
  bindNetlistTables();
  int count = 0;
  for (const TestNode& n : nodes)
    addNode(nodeTable, &count, n.ref.c_str(), n.ref.size(), n.pin.c_str(), n.pin.size(), n.net.c_str());
  nodeCount = count;
  normalizeNetlist(nodeTable, count, 0, partTable);
  std::vector<std::string> out;
  for (int i = 0; i < count; i++)
    out.push_back(std::string((nodeReferenceFlags[i] & NODE_STARTS_NET) != 0 ? "*" : "") +
                  nodeTable[i].netName + "/" + nodeTable[i].reference + "." + nodeTable[i].pin);
  return out;
}

std::vector<std::string> expectedOrder(std::vector<TestNode> nodes) {
  std::stable_sort(nodes.begin(), nodes.end(), [](const TestNode& a, const TestNode& b) {
    int c = strcmp(a.net.c_str(), b.net.c_str());
    if (c != 0) return c < 0;
    c = strcmp(a.ref.c_str(), b.ref.c_str());
    return c != 0 ? c < 0 : strcmp(a.pin.c_str(), b.pin.c_str()) < 0;
  });
  std::vector<std::string> out;
  for (size_t i = 0; i < nodes.size(); i++)
    out.push_back(std::string(i == 0 || nodes[i].net != nodes[i - 1].net ? "*" : "") + nodes[i].net +
                  "/" + nodes[i].ref + "." + nodes[i].pin);
  return out;
}

}  // namespace

TEST(KeySort, NodesTakeNetOrderWhetherGroupedSplitOrScattered) {
  std::mt19937 rng(20000);
  for (int round = 0; round < 30; round++) {
    std::vector<TestNode> nodes;
    int nets = 1 + static_cast<int>(rng() % 40);
    for (int net = 0; net < nets; net++) {
      int pins = 1 + static_cast<int>(rng() % 6);
      std::string name = randomText(rng, CAP_NET_NAME) + std::to_string(net % 7);
      for (int k = 0; k < pins; k++)
        nodes.push_back({randomText(rng, CAP_REFERENCE), std::to_string(rng() % 4), name});
    }
    // Grouped by net as most readers deliver them, then a net's nodes in
    // two places, then no grouping at all.
    EXPECT_EQ(normalized(nodes), expectedOrder(nodes)) << "grouped " << round;
    std::rotate(nodes.begin(), nodes.begin() + static_cast<long>(nodes.size() / 3), nodes.end());
    std::swap(nodes.front(), nodes.back());
    EXPECT_EQ(normalized(nodes), expectedOrder(nodes)) << "split " << round;
    std::shuffle(nodes.begin(), nodes.end(), rng);
    EXPECT_EQ(normalized(nodes), expectedOrder(nodes)) << "scattered " << round;
  }
}

namespace {

// The netlist the writer gives for the normalised table, with the flags
// normalisation left or without them (every reference looked up).
std::string written(int parts, bool withFlags, int projectKind) {
  static char buffer[1 << 16];
  FILE* file = fmemopen(buffer, sizeof buffer, "wb");
  TextOut out;
  openTextOut(&out, file);
  clearLosses();
  writeKicadNetlist(&out, parts, partTable, nodeTable, nodeCount, projectKind,
                    withFlags ? nodeReferenceFlags : nullptr);
  closeTextOut(&out);
  std::string text(buffer);
  return text + "|pins without part: " + std::to_string(losses.count[LOSS_PIN_WITHOUT_PART]);
}

}  // namespace

TEST(KeySort, WriterWithNormalisationFlagsWritesWhatALookupWrites) {
  for (int kind : {PROJECT_KIND_KICAD5, PROJECT_KIND_KICAD6}) {
    bindNetlistTables();
    partCount = 0;
    addPart(partTable, &partCount, "U1", "MCU", "QFP");
    addPart(partTable, &partCount, "R 1", "10k", "R0603");  // quoted reference
    addPart(partTable, &partCount, "#X", "", "");
    addPart(partTable, &partCount, "\xB1\xB2", "", "");    // not UTF-8
    int count = 0;
    const char* nodes[][3] = {{"U1", "1", "N1"},  {"R 1", "2", "N1"}, {"", "1", "N2"},
                              {"Q9", "1", "N2"},  {"#X", "1", "N2"},  {"\xB1\xB2", "1", "N0"},
                              {"Q9", "2", "N3"},  {"U1", "2", "N1"}};
    for (auto& n : nodes) addNode(nodeTable, &count, n[0], strlen(n[0]), n[1], strlen(n[1]), n[2]);
    nodeCount = count;
    int parts = normalizeNetlist(nodeTable, count, partCount, partTable);
    ASSERT_EQ(parts, 5);  // Q9 is derived
    std::string expected = written(parts, false, kind);
    EXPECT_EQ(written(parts, true, kind), expected);
    EXPECT_NE(expected.find("(ref \"R 1\")"), std::string::npos);
    EXPECT_NE(expected.find("pins without part: 1"), std::string::npos);  // the empty reference
  }
}
