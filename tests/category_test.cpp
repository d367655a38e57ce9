// Category part file: header search, columns and their skip rules, the
// version filter, limits, duplicates and lookups.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "run/category.h"
#include "tests/test_support.h"

namespace {

const char kHeader[] = "Category,PCB attribute,Footprint code,Note,Maker,Version\r\n";

void loadCsv(const std::string& bytes, const char* version = "") {
  static ByteSource source;
  bindCategoryIndex();
  clearTextPool();
  openMemorySource(&source, bytes.data(), bytes.size());
  loadCategoryIndex(&source, version);
}

// The index as "category|pcb|code" lines, in index order.
std::vector<std::string> entries() {
  std::vector<std::string> out;
  for (int i = 0; i < indexCount; i++)
    out.push_back(std::string(categoryIndex[i].category) + "|" + categoryIndex[i].pcbAttribute +
                  "|" + categoryIndex[i].footprintCode);
  return out;
}

using Lines = std::vector<std::string>;

}  // namespace

TEST(CategoryFile, HeaderSearch) {
  // Lines before the header are no rows; a byte order mark may precede it.
  loadCsv("R,R0603,Lib:NotARow\r\n\xEF\xBB\xBF" "Category,x\r\nR,R0603,Lib:R\r\n");
  EXPECT_EQ(entries(), Lines({"R|R0603|Lib:R"}));
  // Only the first seven letters count, case as written.
  loadCsv("Categories of parts\nC,C1,Lib:C\n");
  EXPECT_EQ(entries(), Lines({"C|C1|Lib:C"}));
  loadCsv("category,pcb\nC,C1,Lib:C\n");
  EXPECT_EQ(indexCount, 0);
  loadCsv("\"Category\",pcb\nC,C1,Lib:C\n");
  EXPECT_EQ(indexCount, 0);
  // A lone 0xEF byte or a short line must not be read past.
  loadCsv("\xEF\n\xEF\xBB\n");
  EXPECT_EQ(indexCount, 0);
  loadCsv("");
  EXPECT_EQ(indexCount, 0);
}

TEST(CategoryFile, CategoryLists) {
  loadCsv(std::string(kHeader) +
          "\"R, C\",P1,Lib:A\r\n"       // the second category keeps its space
          "\"X,,Y\",P2,Lib:B\r\n"       // an empty item gives an empty category
          "ABCDEFGHIJKLM,P3,Lib:C\r\n"  // cut to ten characters
          "\"AB        Z  \",P4,Lib:D\r\n"  // cut, then trailing spaces go
          "  S ,P5,Lib:E\r\n");         // leading spaces stay
  EXPECT_EQ(entries(), Lines({"|P2|Lib:B", "  S|P5|Lib:E", " C|P1|Lib:A", "AB|P4|Lib:D",
                              "ABCDEFGHIJ|P3|Lib:C", "R|P1|Lib:A", "X|P2|Lib:B", "Y|P2|Lib:B"}));
}

TEST(CategoryFile, SkippedRowsAndEmptyTexts) {
  loadCsv(std::string(kHeader) +
          ",P,Lib:EmptyCategory\r\n"
          "\"\",P,Lib:EmptyQuotedCategory\r\n"
          "A,,Lib:EmptyPcb\r\n"
          "B,\"\",Lib:QuotedEmptyPcb\r\n"
          "C,P,\r\n"
          "D,P,,note\r\n"
          "E,P,\x82\xA0Lib\r\n"
          "F,P,\"\",note\r\n"
          "G,P\r\n"
          "H\r\n"
          "\r\n"
          "I,\"P   \"XLib:I\r\n"  // the byte after a closing quote is the comma
         
          "J,P  ,Lib:J\x82\xA0tail,more\r\n"
          "K,P,\"Lib:K\x82\xA0whole\"\r\n"
          "L,P,Lib:L rest\tcut,note\r\n");
  EXPECT_EQ(entries(), Lines({"B||Lib:QuotedEmptyPcb", "F|P|", "I|P|Lib:I", "J|P|Lib:J",
                              "K|P|Lib:K\x82\xA0whole", "L|P|Lib:L rest"}));
}

TEST(CategoryFile, BareCodeStopsAtEveryPosition) {
  // The bare code is scanned a word at a time: every stop byte must end it
  // wherever it falls in a word, and every code byte must let it run on.
  const char stops[] = {',', '\t', '\x1F', '\r', '\x80', '\xFF'};
  const char keeps[] = {' ', '\x7F', '~', '!'};
  for (int len = 1; len <= 20; len++) {
    std::string code = "L" + std::string(static_cast<size_t>(len - 1), 'c');
    for (char stop : stops) {
      loadCsv(std::string(kHeader) + "R,P," + code + stop + "tail\n");
      ASSERT_EQ(indexCount, 1) << len << " " << int(stop);
      EXPECT_EQ(std::string(categoryIndex[0].footprintCode), code) << len << " " << int(stop);
    }
    for (char keep : keeps) {
      std::string whole = code + keep + "tail";
      loadCsv(std::string(kHeader) + "R,P," + whole + ",note\n");
      ASSERT_EQ(indexCount, 1) << len << " " << int(keep);
      EXPECT_EQ(std::string(categoryIndex[0].footprintCode), whole) << len << " " << int(keep);
    }
  }
}

TEST(CategoryFile, PcbAttributeCutAt121) {
  std::string pcb(130, 'p');
  loadCsv(std::string(kHeader) + "R," + pcb + ",Lib:R\r\n");
  ASSERT_EQ(indexCount, 1);
  EXPECT_EQ(std::string(categoryIndex[0].pcbAttribute), std::string(121, 'p'));
}

TEST(CategoryFile, VersionFilter) {
  const std::string rows = std::string(kHeader) +
                           "A,P,Lib:A,n,m,V1/V2\r\n"  // holds V2: accepted
                           "B,P,Lib:B,n,m,V1\r\n"     // skipped
                           "C,P,Lib:C,n,m\r\n"        // no sixth column: accepted
                           "D,P,Lib:D,n,m,\r\n"       // empty sixth column: skipped
                           "E,P,Lib:E,n,\"m\"\r\n"    // a line end after a quoted fifth
                           "F,P,Lib:F,\"n\",\"m\"\"\"\",\"V2\"\r\n"
                           "G,P,Lib:G\r\n";
  loadCsv(rows, "V2");
  EXPECT_EQ(entries(), Lines({"A|P|Lib:A", "C|P|Lib:C", "F|P|Lib:F", "G|P|Lib:G"}));
  loadCsv(rows, "");
  EXPECT_EQ(indexCount, 7);
  // Only the first 201 characters of the version column count.
  loadCsv(std::string(kHeader) + "A,P,Lib:A,n,m," + std::string(199, 'x') + "V2\r\n" +
              "B,P,Lib:B,n,m," + std::string(200, 'x') + "V2\r\n",
          "V2");
  EXPECT_EQ(entries(), Lines({"A|P|Lib:A"}));
}

TEST(CategoryFile, DuplicatesKeepFileOrder) {
  loadCsv(std::string(kHeader) +
          "R,P,Lib:First\r\nR,P,Lib:Second\r\nC,P,Lib:C\r\nR,P,Lib:Third\r\n");
  EXPECT_EQ(entries(), Lines({"C|P|Lib:C", "R|P|Lib:First", "R|P|Lib:Second", "R|P|Lib:Third"}));
  ReportCapture report;
  EXPECT_EQ(writeDuplicateIndexLines(report.out), 2);
  EXPECT_EQ(report.finish(), "(dup index) R P = Lib:Second\r\n(dup index) R P = Lib:Third\r\n");
  EXPECT_STREQ(findIndexFootprint("R", "P"), "Lib:First");
  IndexWalk walk;
  startIndexWalk(&walk);
  EXPECT_STREQ(walkIndexTo(&walk, "C", "P"), "Lib:C");
  EXPECT_STREQ(walkIndexTo(&walk, "R", "P"), "Lib:First");
  EXPECT_STREQ(walkIndexTo(&walk, "R", "P"), "Lib:First");  // parts sharing a key
  EXPECT_EQ(walkIndexTo(&walk, "R", "Q"), nullptr);
  EXPECT_EQ(walkIndexTo(&walk, "Z", "P"), nullptr);
}

TEST(CategoryFile, WalkMatchesSearch) {
  std::string csv = kHeader;
  for (int i = 0; i < 300; i += 3) csv += "R,P" + std::to_string(i) + ",Lib:" + std::to_string(i) + "\n";
  loadCsv(csv);
  std::vector<std::string> keys;
  for (int i = 0; i < 300; i++) keys.push_back("P" + std::to_string(i));
  std::sort(keys.begin(), keys.end());
  IndexWalk walk;
  startIndexWalk(&walk);
  for (const auto& key : keys) {
    const char* walked = walkIndexTo(&walk, "R", key.c_str());
    const char* searched = findIndexFootprint("R", key.c_str());
    ASSERT_EQ(walked == nullptr, searched == nullptr) << key;
    if (walked != nullptr) {
      EXPECT_STREQ(walked, searched);
    }
  }
}

TEST(CategoryFile, LimitsAndTextPool) {
  // 10,000 rows: 6000 entries, the rest dropped without a word.
  std::string csv = kHeader;
  for (int i = 0; i < 10000; i++) csv += "R,P" + std::to_string(i) + ",Lib:R\r\n";
  loadCsv(csv);
  EXPECT_EQ(indexCount, MAX_INDEX);

  // A code that no longer fits in the pool is stored as the empty text, and
  // its row still counts.
  clearTextPool();
  std::string big(TEXT_POOL_SIZE - 10, 'x');
  EXPECT_STREQ(storeInTextPool(big.data(), big.size()), big.c_str());
  EXPECT_STREQ(storeInTextPool("123456789", 9), "");
  EXPECT_STREQ(storeInTextPool("12345678", 8), "12345678");
  EXPECT_EQ(textPoolUsed(), static_cast<size_t>(TEXT_POOL_SIZE));
  EXPECT_STREQ(storeInTextPool("", 0), "");

  std::string code(1500000, 'c');
  loadCsv(std::string(kHeader) + "A,P,\"" + code + "\"\r\nB,P," + code + "\r\nC,P,Lib:C\r\n");
  EXPECT_EQ(entries(), Lines({"A|P|" + code, "B|P|", "C|P|Lib:C"}));
}

TEST(CategoryFile, BadInputNeverCrashes) {
  // Lines longer than the line buffer arrive in pieces, each one a row.
  std::string longCode(3000000, 'L');
  loadCsv(std::string(kHeader) + "R,P," + longCode + "\r\n" + "C,P,Lib:C\r\n");
  ASSERT_EQ(indexCount, 2);
  EXPECT_STREQ(categoryIndex[0].footprintCode, "Lib:C");
  EXPECT_EQ(strlen(categoryIndex[1].footprintCode), static_cast<size_t>(RUN_LINE_MAX - 4));

  // A quoted list of a million empty categories.
  std::string list = "\"" + std::string(1000000, ',') + "\",P,Lib:X\r\n";
  loadCsv(std::string(kHeader) + list);
  EXPECT_EQ(indexCount, MAX_INDEX);

  // Unterminated quotes in every column.
  loadCsv(std::string(kHeader) + "\"R,P,Lib:R\r\nR,\"P,Lib:R\r\nR,P,\"Lib:R\r\nR,P,Lib:R,\"n\r\n" +
          "R,P,Lib:S,n,\"m\r\nR,P,Lib:T,n,m,\"V2\r\n");
  EXPECT_EQ(entries(), Lines({"R|P|Lib:R", "R|P|Lib:R", "R|P|Lib:S", "R|P|Lib:T"}));
  loadCsv(std::string(kHeader) + "R,P,Lib:S,n,\"m\r\nR,P,Lib:T,n,m,\"V2\r\n", "V2");
  EXPECT_EQ(entries(), Lines({"R|P|Lib:S", "R|P|Lib:T"}));

  // Random bytes, with and without a header in front.
  std::mt19937 random(7);
  for (int round = 0; round < 20; round++) {
    std::string bytes(200000, '\0');
    for (char& c : bytes) {
      unsigned r = random() % 20;
      c = r < 4 ? ",\"\r\n"[r] : static_cast<char>(random() % 256);
    }
    loadCsv((round % 2 ? std::string(kHeader) : std::string()) + bytes, round % 4 < 2 ? "" : "a");
    ASSERT_LE(indexCount, MAX_INDEX);
    for (int i = 1; i < indexCount; i++)
      ASSERT_LE(compareIndexKey(categoryIndex[i - 1].category, categoryIndex[i - 1].pcbAttribute,
                                categoryIndex[i].category, categoryIndex[i].pcbAttribute),
                0);
  }
}
