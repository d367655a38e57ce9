// Report numbering and reading back the previous report.
//
// A report row reads: status, category, "`value", reference, "PCB
// attribute", forced mark, "footprint code".  A row is split into cells as
// spreadsheets write them (any cell may be quoted, "" inside standing for
// '"'), and lines end at a line feed or at a carriage return alone.  A row
// whose quotes do not close that way (reports written before quotes were
// doubled) is read by the older column rules: Value, PCB attribute and
// footprint code may be quoted, and after a quoted one the next column
// starts after the first comma that follows the closing quote, so a value
// that itself ends in a quote keeps its row intact; the other columns run
// to the next comma as they stand.
#include "run/previous.h"

#include <cstdio>
#include <cstring>

#include "netlist/large_tables.h"
#include "netlist/losses.h"
#include "netlist/table_memory.h"
#include "netlist/text.h"
#include "netlist/text_store.h"
#include "options/options.h"
#include "run/category.h"
#include "run/own_lines.h"
#include "run/platform.h"
#include "run/report_cells.h"
#include "run/reconcile.h"

LARGE_TABLE(1) PreviousRow previousTable[MAX_PREVIOUS + 1];
static_assert(static_cast<int>(MAX_PREVIOUS) <= static_cast<int>(MAX_PARTS),
              "rows have text storage for as many records as parts");
int previousCount;

namespace {

LARGE_TABLE(1) ByteSource headerSource;

// Report numbers seen in the directory listing, by their value 0..99.
struct Listing {
  bool found[100];
};

void noteReportName(const char* name, void* context) {
  size_t len = strlen(name);
  if (len < 6) return;
  char first = name[len - 6];
  char second = name[len - 5];
  if (!isDigit(first) || !isDigit(second)) return;
  static_cast<Listing*>(context)->found[(first - '0') * 10 + (second - '0')] = true;
}

void formReportPath(char* buf, const char* inputPath, const char number[2]) {
  snprintf(buf, RUN_PATH_MAX + 1, "%s_f%c%c.csv", inputPath, number[0], number[1]);
}

// A column that runs to the next comma, kept as it stands.  Returns where
// the next column begins, or null when the line ends.
const char* takePlainColumn(const char* p, char* dst, int cap) {
  const char* comma = strchr(p, ',');
  size_t len = comma != nullptr ? static_cast<size_t>(comma - p) : strlen(p);
  copyBytes(dst, cap, p, len);
  return comma != nullptr ? comma + 1 : nullptr;
}

// A column that may be quoted: quoted, it runs to the closing quote and the
// next column begins after the first comma behind it.  One leading
// backquote is dropped, and trailing spaces go.
const char* takeQuotableColumn(const char* p, char* dst, int cap) {
  const char* start = p;
  const char* end;
  const char* next;
  if (*p == '"') {
    start = p + 1;
    end = strchr(start, '"');
    const char* comma = end != nullptr ? strchr(end + 1, ',') : nullptr;
    if (end == nullptr) end = start + strlen(start);
    next = comma != nullptr ? comma + 1 : nullptr;
  } else {
    end = strchr(p, ',');
    next = end != nullptr ? end + 1 : nullptr;
    if (end == nullptr) end = p + strlen(p);
  }
  if (start < end && *start == '`') start++;
  copyBytes(dst, cap, start, static_cast<size_t>(end - start));
  trimTrailingSpaces(dst);
  return next;
}

// A value taken from the report obeys the same rule as one from the
// netlist, without report lines or counts.  The table holds that rule for
// every byte; it is made once per report.
bool illegalValueByte[256];

void makeIllegalValueBytes() {
  const int projectKind = settingValues[VAL_PROJECT_KIND];
  for (int c = 0; c < 256; c++)
    illegalValueByte[c] = isIllegalValueChar(static_cast<unsigned char>(c), projectKind);
}

void replaceIllegalChars(char* text, size_t len) {
  for (size_t i = 0; i < len; i++)
    if (illegalValueByte[static_cast<unsigned char>(text[i])]) text[i] = '_';
}

void replaceIllegalChars(char* text) { replaceIllegalChars(text, strlen(text)); }

// Copies a cell into a row field and drops the spaces that end the copy;
// returns the length kept.
size_t copyTrimmed(char* dst, int cap, const char* text, size_t len) {
  int n = copyBytes(dst, cap, text, len);
  while (n > 0 && dst[n - 1] == ' ') n--;
  dst[n] = '\0';
  return static_cast<size_t>(n);
}

// The footprint code column.  Quoted, it runs to the closing quote;
// unquoted, to the next comma or the first control byte or byte of 0x80
// and above.  One backquote at its start is dropped.
const char* takeFootprintColumn(const char* p, size_t* len) {
  const char* start = p;
  if (*p == '"') {
    start = p + 1;
    if (*start == '`') start++;
    const char* close = strchr(start, '"');
    *len = close != nullptr ? static_cast<size_t>(close - start) : strlen(start);
    return start;
  }
  if (*start == '`') start++;
  const char* end = start;
  while (*end != ',' && static_cast<unsigned char>(*end) >= 0x20 &&
         static_cast<unsigned char>(*end) < 0x80)
    end++;
  *len = static_cast<size_t>(end - start);
  return start;
}

// The cell text with one leading backquote dropped.
void dropBackquote(const char** text, size_t* len) {
  if (*len > 0 && **text == '`') {
    (*text)++;
    (*len)--;
  }
}

// The row's texts go one after another from the start of its room (where
// nextPreviousRow put its value); returns where they end.
char* readRowCells(const ReportCells& cells, PreviousRow& row, bool counted) {
  char* t = row.value;
  row.category = t;
  t += copyBytes(t, CAP_CATEGORY, cells.text[1], cells.length[1]) + 1;
  const char* text = cells.text[2];
  size_t len = cells.length[2];
  dropBackquote(&text, &len);
  row.value = t;
  size_t kept = copyTrimmed(t, CAP_VALUE, text, len);
  replaceIllegalChars(t, kept);
  t += kept + 1;
  row.reference = t;
  t += copyBytes(t, CAP_REFERENCE, cells.text[3], cells.length[3]) + 1;
  text = cells.text[4];
  len = cells.length[4];
  dropBackquote(&text, &len);
  row.pcbAttribute = t;
  t += copyTrimmed(t, CAP_PCB_ATTRIBUTE, text, len) + 1;
  row.forcedMark = t;
  t += copyBytes(t, CAP_FORCED_MARK, cells.text[5], cells.length[5]) + 1;
  if (cells.count < REPORT_COLUMNS || !counted) return t;
  text = cells.text[6];
  len = cells.length[6];
  dropBackquote(&text, &len);
  if (!cells.quoted[6]) {
    // A bare code ends at the first control byte or byte of 0x80 and above.
    size_t n = 0;
    while (n < len && static_cast<unsigned char>(text[n]) >= 0x20 &&
           static_cast<unsigned char>(text[n]) < 0x80)
      n++;
    len = n;
  }
  row.footprintCode = storeInTextPool(text, len);
  return t;
}

// Calls visit(line, len) for each line of a piece that readFileLine gave: a
// carriage return alone also ends a line (a spreadsheet may end lines that
// way).  A zero byte ends the piece, as for any C text.  The empty rest
// after a piece's last carriage return is no line.  Each line is
// terminated in place.  Stops, returning false, when visit does.
template <typename Visit>
bool forEachLine(char* piece, Visit visit) {
  char* const end = piece + strlen(piece);
  for (char* line = piece;;) {
    char* cr = static_cast<char*>(memchr(line, '\r', static_cast<size_t>(end - line)));
    if (cr == nullptr) {
      if (line == end && line != piece) return true;
      return visit(line, static_cast<size_t>(end - line));
    }
    *cr = '\0';
    if (!visit(line, static_cast<size_t>(cr - line))) return false;
    line = cr + 1;
  }
}

}  // namespace

void bindPreviousTable() {
  startTexts(ROW_TEXTS);
  previousCount = 0;
}

PreviousRow& nextPreviousRow() {
  int index = previousCount < MAX_PREVIOUS ? previousCount : MAX_PREVIOUS;
  PreviousRow& row = previousTable[index];
  char* t = index < MAX_PREVIOUS ? reserveTexts(ROW_TEXTS, ROW_TEXT_ROOM, index)
                                 : spareTexts(ROW_TEXTS);
  row.value = takeField(&t, CAP_VALUE);
  row.category = takeField(&t, CAP_CATEGORY);
  row.reference = takeField(&t, CAP_REFERENCE);
  row.pcbAttribute = takeField(&t, CAP_PCB_ATTRIBUTE);
  row.forcedMark = takeField(&t, CAP_FORCED_MARK);
  row.value[0] = '\0';
  row.category[0] = '\0';
  row.reference[0] = '\0';
  row.pcbAttribute[0] = '\0';
  row.forcedMark[0] = '\0';
  row.footprintCode = emptyText;
  row.currentFootprint = emptyText;
  return row;
}

void keepRowTexts(PreviousRow& row) {
  char* room = row.value;
  if (room == spareTexts(ROW_TEXTS)) return;
  char* to = packText(&row.value, room);
  to = packText(&row.category, to);
  to = packText(&row.reference, to);
  to = packText(&row.pcbAttribute, to);
  to = packText(&row.forcedMark, to);
  keepTexts(ROW_TEXTS, room + ROW_TEXT_ROOM, to);
}

void nextReportNumber(const char pair[2], char next[2]) {
  signed char first = static_cast<signed char>(pair[0]);
  signed char second = static_cast<signed char>(pair[1]);
  next[0] = pair[0];
  next[1] = pair[1];
  if (second < '9') {
    next[1] = static_cast<char>(second + 1);
  } else if (first < '9') {
    next[0] = static_cast<char>(first + 1);
    next[1] = '0';
  }
}

int reportHasHeader(const char* path) {
  FILE* file = openForReading(path);
  if (file == nullptr) return -1;
  // The header is near the start: reading a page at a time leaves the
  // rest of this buffer untouched, so it costs no page faults.
  openByteSource(&headerSource, file);
  limitByteSourceReads(&headerSource, 4096);
  int found = 0;
  while (found == 0 && readFileLine(&headerSource, textBuffer, RUN_LINE_MAX, true) >= 0) {
    forEachLine(textBuffer, [&](char* line, size_t) {
      if (isReportHeader(line)) found = 1;
      return found == 0;
    });
  }
  fclose(file);
  return found;
}

void findReportNames(const char* inputPath, ReportNames* names) {
  static Listing listing;
  static char pattern[RUN_PATH_MAX + 1];
  memset(&listing, 0, sizeof listing);
  snprintf(pattern, sizeof pattern, "%s_f??.csv", inputPath);
  listMatchingFiles(pattern, noteReportName, &listing);

  int highest = 99;
  while (highest >= 0 && !listing.found[highest]) highest--;
  names->hasPrevious = false;
  names->previousPath[0] = '\0';
  if (highest < 0) {
    names->number[0] = '0';
    names->number[1] = '0';
  } else {
    char pair[2] = {static_cast<char>('0' + highest / 10), static_cast<char>('0' + highest % 10)};
    nextReportNumber(pair, names->number);
  }
  names->number[2] = '\0';
  formReportPath(names->reportPath, inputPath, names->number);

  // The previous report: the newest one that has rows to carry over.
  for (int n = highest; n >= 0; n--) {
    if (!listing.found[n]) continue;
    char pair[2] = {static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)};
    formReportPath(names->previousPath, inputPath, pair);
    if (reportHasHeader(names->previousPath) != 0) {
      names->hasPrevious = true;
      return;
    }
  }
  names->previousPath[0] = '\0';
}

void readPreviousRow(char* line, size_t len) {
  while (len > 0 && (line[len - 1] == '\n' || line[len - 1] == '\r')) len--;
  line[len] = '\0';

  bool counted = previousCount < MAX_PREVIOUS;
  PreviousRow& row = nextPreviousRow();

  static ReportCells cells;
  if (splitReportRow(line, len, &cells)) {
    char* room = row.value;
    char* end = readRowCells(cells, row, counted);
    if (counted) {
      keepTexts(ROW_TEXTS, room + ROW_TEXT_ROOM, end);
      previousCount++;
    }
    return;
  }

  const char* p = strchr(line, ',');  // the status column is passed over
  if (p != nullptr) p = takePlainColumn(p + 1, row.category, CAP_CATEGORY);
  if (p != nullptr) {
    p = takeQuotableColumn(p, row.value, CAP_VALUE);
    replaceIllegalChars(row.value);
  }
  if (p != nullptr) p = takePlainColumn(p, row.reference, CAP_REFERENCE);
  if (p != nullptr) p = takeQuotableColumn(p, row.pcbAttribute, CAP_PCB_ATTRIBUTE);
  if (p != nullptr) p = takePlainColumn(p, row.forcedMark, CAP_FORCED_MARK);
  if (p != nullptr && counted) {
    size_t codeLen;
    const char* code = takeFootprintColumn(p, &codeLen);
    row.footprintCode = storeInTextPool(code, codeLen);
  }
  if (counted) {
    keepRowTexts(row);
    previousCount++;
  }
}

void readPreviousReport(ByteSource* in) {
  bindPreviousTable();
  makeIllegalValueBytes();
  bool inRows = false;
  bool ended = false;
  char firstLine[LOSS_EXAMPLE_MAX + 1];  // the example of a loss of the whole file
  int firstLen = -1;                      // without its line end; -1: no line yet
  while (!ended && readOwnLine(in, true, LOSS_LONG_REPORT_LINE) >= 0) {
    forEachLine(textBuffer, [&](char* line, size_t len) {
      if (firstLen < 0) firstLen = copyBytes(firstLine, LOSS_EXAMPLE_MAX, line, strcspn(line, "\n"));
      if (!inRows) {
        inRows = isReportHeader(line);
        return true;
      }
      if (len >= 7 && memcmp(line, "\"total ", 7) == 0) {
        ended = true;
        return false;
      }
      readPreviousRow(line, len);
      return true;
    });
  }
  // Lines without rows (no "Status" line): the user's edits would be lost.
  if (firstLen >= 0 && previousCount == 0)
    noteLoss(LOSS_PREVIOUS_WITHOUT_ROWS, firstLine, static_cast<size_t>(firstLen));
}
