// The growing reference set of the Protel reader: parts count from the call
// that adds them, texts match whole (not as prefixes), and a new read starts
// empty.  Also the reader over two reads in a row.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "readers/stored_references.h"
#include "tests/test_support.h"

namespace {

bool has(const char* text) { return hasStoredReference(text, strlen(text)); }

TEST(StoredReferences, GrowsWithTheReadAndMatchesWholeTexts) {
  bindNetlistTables();
  PartRecord* parts = partTable;
  strcpy(parts[0].reference, "RJ1-4");
  strcpy(parts[1].reference, "RJ1-4");  // a reference twice is one member
  strcpy(parts[2].reference, "U1");
  strcpy(parts[3].reference, "");
  clearStoredReferences();
  EXPECT_FALSE(has("RJ1-4"));
  addStoredReferences(parts, 2);
  EXPECT_TRUE(has("RJ1-4"));
  EXPECT_FALSE(has("U1"));  // stored later
  EXPECT_FALSE(hasStoredReference("RJ1-4-1", 4));  // "RJ1-": a prefix is no member
  EXPECT_TRUE(hasStoredReference("RJ1-4-1", 5));
  addStoredReferences(parts, 4);
  EXPECT_TRUE(has("U1"));
  EXPECT_TRUE(has(""));
  EXPECT_FALSE(has("U"));
  clearStoredReferences();
  EXPECT_FALSE(has("U1"));
}

TEST(StoredReferences, EachProtelReadStartsFromItsOwnParts) {
  int nodes = 0;
  EXPECT_EQ(readBytes(readProtelNetlist, "[\nZ-1\n\n\n]\n(\nN\nZ-1-2\n)\n", &nodes), 1);
  EXPECT_STREQ(nodeTable[0].reference, "Z-1");
  EXPECT_EQ(readBytes(readProtelNetlist, "[\nZ\n\n\n]\n(\nN\nZ-1-2\n)\n", &nodes), 1);
  EXPECT_STREQ(nodeTable[0].reference, "Z");
  EXPECT_STREQ(nodeTable[0].pin, "1-2");
}

}  // namespace
