// Report cells: the exact bytes each cell form writes, and rows read back
// whole through splitReportRow whatever quotes and commas their cells hold.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "netlist/files.h"
#include "netlist/text.h"
#include "run/report.h"
#include "run/report_cells.h"

namespace {

// What `write` puts out through a TextOut.
template <typename Write>
std::string written(Write write) {
  static TextOut out;
  FILE* file = tmpfile();
  openTextOut(&out, file);
  write(&out);
  flushTextOut(&out);
  std::string bytes;
  rewind(file);
  char chunk[4096];
  for (size_t n; (n = fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.append(chunk, n);
  fclose(file);
  return bytes;
}

std::string bare(const char* text) {
  return written([&](TextOut* out) { putBareCell(out, text); });
}
std::string quoted(const char* text) {
  return written([&](TextOut* out) { putQuotedText(out, text); });
}

}  // namespace

TEST(ReportCells, EachCellFormWritesItsBytes) {
  EXPECT_EQ(bare("R12"), "R12");
  EXPECT_EQ(bare(""), "");
  EXPECT_EQ(bare("a,b"), "\"a,b\"");
  EXPECT_EQ(bare("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(bare("a\nb"), "a\r\nb");
  // Inside quotes a line feed becomes CR LF only after the last '"'.
  EXPECT_EQ(bare("a\"\nb"), "\"a\"\"\r\nb\"");
  EXPECT_EQ(bare("a\nb\"c"), "\"a\nb\"\"c\"");
  EXPECT_EQ(quoted("Resistor_SMD:R_0603"), "Resistor_SMD:R_0603");
  EXPECT_EQ(quoted("a,b"), "a,b");
  EXPECT_EQ(quoted("\"\""), "\"\"\"\"");
  EXPECT_EQ(quoted("x\ny"), "x\r\ny");
  EXPECT_EQ(quoted("x\ny\"z"), "x\ny\"\"z");
}

TEST(ReportCells, RowsOfAnyCellsSplitBackIntoTheirCells) {
  std::mt19937 rng(7);
  static const char alphabet[] = "ab ,\"`";
  for (int round = 0; round < 300; round++) {
    std::vector<std::string> cells(REPORT_COLUMNS);
    for (std::string& cell : cells) {
      int len = static_cast<int>(rng() % 12);
      for (int i = 0; i < len; i++) cell += alphabet[rng() % (sizeof alphabet - 1)];
    }
    // Cells 2, 4 and 6 are always quoted, as the report writes them.
    std::string line = written([&](TextOut* out) {
      for (int k = 0; k < REPORT_COLUMNS; k++) {
        if (k > 0) putLiteral(out, ",");
        if (k % 2 == 0 && k > 0) {
          putLiteral(out, "\"");
          putQuotedText(out, cells[k].c_str());
          putLiteral(out, "\"");
        } else {
          putBareCell(out, cells[k].c_str());
        }
      }
    });
    ReportCells split;
    ASSERT_TRUE(splitReportRow(&line[0], &split)) << line;
    ASSERT_EQ(split.count, REPORT_COLUMNS) << line;
    for (int k = 0; k < REPORT_COLUMNS; k++)
      EXPECT_EQ(std::string(split.text[k], split.length[k]), cells[k]) << line << " cell " << k;
  }
}

TEST(ReportCells, QuotedCellsUnescapeInPlaceAndUnclosedRowsStayUnchanged) {
  std::string line = "keep,\"x\"\"y\",,\"p,q\",\"\"\"\"\"\",end";
  ReportCells cells;
  ASSERT_TRUE(splitReportRow(&line[0], &cells));
  ASSERT_EQ(cells.count, 6);
  const char* expected[] = {"keep", "x\"y", "", "p,q", "\"\"", "end"};
  const bool expectedQuoted[] = {false, true, false, true, true, false};
  for (int k = 0; k < 6; k++) {
    EXPECT_EQ(std::string(cells.text[k], cells.length[k]), expected[k]) << k;
    EXPECT_EQ(cells.quoted[k], expectedQuoted[k]) << k;
  }
  EXPECT_EQ(cells.length[6], 0u);

  std::string old = "new,R,\"`10k\"x,R1,\"PKG\",,\"code\"";
  std::string before = old;
  EXPECT_FALSE(splitReportRow(&old[0], &cells));
  EXPECT_EQ(old, before);
  // A doubled quote before the cell that does not close stays doubled.
  old = "keep,\"a\"\"b\",R1,\"c\"d";
  before = old;
  EXPECT_FALSE(splitReportRow(&old[0], &cells));
  EXPECT_EQ(old, before);
}

TEST(ReportCells, ReportRowsWriteEachCellAsItsCellWriterDoes) {
  // Plain and special cells, and cells longer than what a row copies
  // straight into the buffer, one of them longer than the whole buffer.
  std::string longFootprint = std::string(1500, 'F') + "\"x\"";
  std::string hugeFootprint(70000, 'G');
  std::string longValue(100, 'v');
  struct Case {
    const char* status;
    const char* category;
    const char* value;
    const char* pcb;
    const char* forcedMark;
    const char* footprint;
  };
  const Case cases[] = {
      {"keep", "R", "10k", "RES_0603", "", "Lib:R_0603"},
      {"a,b", "q\"t", "1\"2", "p\nq", "m\n", longFootprint.c_str()},
      {"new", "", longValue.c_str(), "", "", hugeFootprint.c_str()},
  };
  for (const Case& c : cases) {
    bindNetlistTables();
    int count = 0;
    addPart(partTable, &count, "R1", c.value, c.pcb);
    PartRecord& part = partTable[0];
    part.status = c.status;
    copyText(part.category, CAP_CATEGORY, c.category);
    part.forcedMark = c.forcedMark;
    part.footprint = c.footprint;
    char totals[512];
    std::string report = written([&](TextOut* out) {
      writeReportBody(out, partTable, count, 0, totals, static_cast<int>(sizeof totals));
    });
    std::string row = bare(part.status) + "," + bare(part.category) + ",\"`" + quoted(part.value) +
                      "\"," + bare(part.reference) + ",\"" + quoted(part.pcbAttribute) + "\"," +
                      bare(part.forcedMark) + ",\"" + quoted(c.footprint) + "\"\r\n";
    size_t start = report.find("\r\n") + 2;
    EXPECT_EQ(report.substr(start, row.size()), row) << c.status;
  }
}
