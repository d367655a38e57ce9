// The record texts' storage: every table full of texts at their capacities
// fits, twice over in one process (the second time in chunks given back),
// and every text comes back whole.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "netlist/losses.h"
#include "netlist/text_store.h"
#include "readers/reader_io.h"
#include "run/category.h"
#include "run/previous.h"

namespace {

std::string numbered(char fill, size_t length, int i) {
  std::string text(length, fill);
  std::string number = std::to_string(i);
  text.replace(length - number.size(), number.size(), number);
  return text;
}

// The report row reader terminates its line in place: it gets a copy.
void readReportRow(const std::string& line) {
  std::string copy = line;
  readPreviousRow(copy.data(), copy.size());
}

void readIndexRow(const std::string& line) { readCategoryRow(line.c_str(), line.size(), ""); }

}  // namespace

TEST(TextStore, HoldsEveryTableFullOfTextsAtTheirCapacitiesAgainAndAgain) {
  for (int round = 0; round < 2; round++) {
    clearLosses();
    clearTextPool();
    startNetlistTables();
    bindCategoryIndex();
    bindPreviousTable();
    for (int i = 0; i < MAX_PARTS; i++) {
      std::string ref = numbered('R', CAP_REFERENCE, i);
      addPart(partTable, &partCount, ref.c_str(), numbered('v', CAP_VALUE, i).c_str(),
              numbered('p', CAP_PCB_ATTRIBUTE, i).c_str());
    }
    for (int i = 0; i < MAX_NODES; i++) {
      std::string ref = numbered('R', CAP_REFERENCE, i);
      std::string pin = numbered('9', CAP_PIN, i);
      addNode(nodeTable, &nodeCount, ref.c_str(), ref.size(), pin.c_str(), pin.size(),
              numbered('n', CAP_NET_NAME, i).c_str());
    }
    for (int i = 0; i < MAX_PREVIOUS; i++)
      readReportRow("keep," + numbered('C', CAP_CATEGORY, i) + ",\"`" +
                                 numbered('v', CAP_VALUE, i) + "\"," +
                                 numbered('R', CAP_REFERENCE, i) + ",\"" +
                                 numbered('p', CAP_PCB_ATTRIBUTE, i) + "\"," +
                                 numbered('m', CAP_FORCED_MARK, i) + ",\"L:F\"");
    for (int i = 0; i < MAX_INDEX; i++)
      readIndexRow(numbered('C', CAP_CATEGORY, i) + "," +
                                numbered('p', CAP_PCB_ATTRIBUTE, i) + ",L:F");

    EXPECT_EQ(losses.count[LOSS_TEXT_POOL_FULL], 0);
    ASSERT_EQ(partCount, MAX_PARTS);
    ASSERT_EQ(nodeCount, MAX_NODES);
    ASSERT_EQ(previousCount, MAX_PREVIOUS);
    ASSERT_EQ(indexCount, MAX_INDEX);
    for (int i : {0, 1, MAX_PARTS / 2, MAX_PARTS - 1}) {
      EXPECT_EQ(partTable[i].reference, numbered('R', CAP_REFERENCE, i));
      EXPECT_EQ(partTable[i].value, numbered('v', CAP_VALUE, i));
      EXPECT_EQ(partTable[i].pcbAttribute, numbered('p', CAP_PCB_ATTRIBUTE, i));
      const PreviousRow& row = previousTable[i];
      EXPECT_EQ(std::string(row.category) + row.value + row.reference + row.pcbAttribute +
                    row.forcedMark,
                numbered('C', CAP_CATEGORY, i) + numbered('v', CAP_VALUE, i) +
                    numbered('R', CAP_REFERENCE, i) + numbered('p', CAP_PCB_ATTRIBUTE, i) +
                    numbered('m', CAP_FORCED_MARK, i));
      EXPECT_EQ(std::string(categoryIndex[i].category) + categoryIndex[i].pcbAttribute,
                numbered('C', CAP_CATEGORY, i) + numbered('p', CAP_PCB_ATTRIBUTE, i));
    }
    for (int i : {0, MAX_NODES / 2, MAX_NODES - 1})
      EXPECT_EQ(std::string(nodeTable[i].reference) + nodeTable[i].pin + nodeTable[i].netName,
                numbered('R', CAP_REFERENCE, i) + numbered('9', CAP_PIN, i) +
                    numbered('n', CAP_NET_NAME, i));
  }
  clearLosses();
}

TEST(TextStore, PartsKeepRoomToGrowUntilStoredAndShrinkInPlaceAfter) {
  startNetlistTables();
  // A fill asked for again before anything else is reserved gets its room
  // back, so an abandoned fill costs nothing.
  PartRecord* part = partRecordToFill(partTable, 0);
  char* room = part->category;
  EXPECT_EQ(partRecordToFill(partTable, 0)->category, room);
  strcpy(part->reference, "U1");
  strcpy(part->value, std::string(CAP_VALUE, 'v').c_str());
  strcpy(part->pcbAttribute, "SO8");
  ASSERT_TRUE(countPart(partTable, &partCount));
  // The next part's texts follow the first one's right after its own.
  addPart(partTable, &partCount, "U2", "", "DIP8");
  EXPECT_EQ(partTable[1].category, partTable[0].pcbAttribute + 4);
  EXPECT_EQ(std::string(partTable[0].value), std::string(CAP_VALUE, 'v'));
  EXPECT_STREQ(partTable[1].reference, "U2");
  EXPECT_STREQ(partTable[1].pcbAttribute, "DIP8");
}
