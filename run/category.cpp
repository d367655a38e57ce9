// Category part file and index, and the text pool.
//
// Rows are comma-separated.  Column 1 holds one category or a quoted list
// of them, column 2 the PCB attribute, column 3 the footprint code, columns
// 4 and 5 are notes that are passed over, and column 6 an optional version
// text that the run's version filter must find.  A quoted column runs to
// the next double quote, and the byte after that quote is taken to be the
// comma.  Reading never goes past the end of the line: a column the line
// does not have counts as missing.
#include "run/category.h"

#include <cstdint>
#include <cstring>

#include "netlist/losses.h"
#include "netlist/key_sort.h"
#include "netlist/large_tables.h"
#include "netlist/table_memory.h"
#include "netlist/text.h"
#include "netlist/text_store.h"
#include "run/own_lines.h"

LARGE_TABLE(1) IndexEntry categoryIndex[MAX_INDEX + 1];
static_assert(static_cast<int>(MAX_INDEX) <= static_cast<int>(MAX_PARTS),
              "entries have text storage for as many records as parts");
int indexCount;

namespace {

// Texts are stored from the pool's end down: its top shares a 2 MB
// stretch with the small tables and the text buffer's start, so that a
// small board's footprint codes cost no stretch of their own.
LARGE_TABLE_ALIGNED(0) char textPool[TEXT_POOL_SIZE];
size_t poolUsed;

// One column of a line: its text and where the next column begins (null
// when the line has no further column).
struct Column {
  const char* text;
  size_t len;
  bool quoted;
  const char* next;
};

// The first `c` in [p, end), or null.
const char* findByte(const char* p, const char* end, char c) {
  return static_cast<const char*>(memchr(p, c, static_cast<size_t>(end - p)));
}

// A quoted column runs to the closing quote, and the byte after it counts
// as the comma; an unquoted one runs to the next comma.  `end` is the end
// of the line's text.  Inline: it runs for three columns of every row, and
// inlined the column stays in registers.
inline void readColumn(const char* p, const char* end, Column* column) {
  column->quoted = p < end && *p == '"';
  if (column->quoted) {
    const char* start = p + 1;
    const char* close = findByte(start, end, '"');
    column->text = start;
    if (close == nullptr) {
      column->len = static_cast<size_t>(end - start);
      column->next = nullptr;
    } else {
      column->len = static_cast<size_t>(close - start);
      column->next = close + 1 < end ? close + 2 : nullptr;
    }
    return;
  }
  const char* comma = findByte(p, end, ',');
  column->text = p;
  column->len = static_cast<size_t>((comma != nullptr ? comma : end) - p);
  column->next = comma != nullptr ? comma + 1 : nullptr;
}

// The length of the text without the CR and LF bytes that end it.
size_t withoutLineEnd(const char* text, size_t len) {
  while (len > 0 && (text[len - 1] == '\n' || text[len - 1] == '\r')) len--;
  return len;
}

// The length of `len` bytes without the spaces that end them.
size_t withoutTrailingSpaces(const char* text, size_t len) {
  while (len > 0 && text[len - 1] == ' ') len--;
  return len;
}

bool isCodeByte(unsigned char c) { return c >= 0x20 && c < 0x80; }

// The length of the bare footprint code at p: the bytes before the first
// ',', control byte or byte of 0x80 and above in [p, end).  Codes run to
// some 40 bytes, so whole words are tested first: a word passes when none
// of its bytes has the top bit, is below 0x20 or equals ','.
size_t bareCodeLength(const char* p, const char* end) {
  const uint64_t ones = 0x0101010101010101u;
  const uint64_t highs = 0x8080808080808080u;
  const char* q = p;
  while (end - q >= 8) {
    uint64_t word;
    memcpy(&word, q, 8);
    uint64_t comma = word ^ (ones * ',');
    uint64_t stops = word | ((word - ones * 0x20) & ~word) | ((comma - ones) & ~comma);
    if ((stops & highs) != 0) break;
    q += 8;
  }
  while (q < end && *q != ',' && isCodeByte(static_cast<unsigned char>(*q))) q++;
  return static_cast<size_t>(q - p);
}

// Column 5 is a free note: a quoted note may itself hold doubled quotes.
const char* skipNoteColumn(const char* p, const char* end) {
  if (p < end && *p == '"') {
    const char* close = findByte(p + 1, end, '"');
    if (close == nullptr) return nullptr;
    p = close + 1;
    while (p < end && *p == '"') p++;
    if (p < end && *p == ',') p++;
    return p;
  }
  const char* comma = findByte(p, end, ',');
  return comma != nullptr ? comma + 1 : nullptr;
}

// Whether the version column starting at p holds `versionSelect`.  Only its
// first VERSION_TEXT_MAX characters count; a line end inside it counts as
// text.
bool versionMatches(const char* p, const char* end, const char* versionSelect) {
  char text[VERSION_TEXT_MAX + 1];
  const char* start = p;
  char stop = ',';
  if (*p == '"') {
    start = p + 1;
    stop = '"';
  }
  const char* close = findByte(start, end, stop);
  const char* stopAt = close != nullptr ? close : end;
  copyBytes(text, VERSION_TEXT_MAX, start, static_cast<size_t>(stopAt - start));
  return strstr(text, versionSelect) != nullptr;
}

// Adds one entry for a category item; counts it while the index has room,
// otherwise it lands in the spare and is dropped.  The PCB attribute is
// already cut to its capacity and trimmed; the entries of one row share
// one stored copy of it, which the first sets in *keptPcb.
inline void addEntry(const char* item, size_t len, const char* pcbAttribute, size_t pcbLen,
                     const char* code, char** keptPcb) {
  bool counted = indexCount < MAX_INDEX;
  int index = counted ? indexCount : MAX_INDEX;
  IndexEntry& entry = categoryIndex[index];
  char* room =
      counted ? reserveTexts(ENTRY_TEXTS, ENTRY_TEXT_ROOM, index) : spareTexts(ENTRY_TEXTS);
  entry.category = room;
  int kept = copyBytes(entry.category, CAP_CATEGORY, item, len);
  size_t categoryLen = withoutTrailingSpaces(entry.category, static_cast<size_t>(kept));
  entry.category[categoryLen] = '\0';
  char* end = room + categoryLen + 1;
  if (*keptPcb != nullptr) {
    entry.pcbAttribute = *keptPcb;
  } else {
    entry.pcbAttribute = end;
    memcpy(end, pcbAttribute, pcbLen + 1);
    end += pcbLen + 1;
    if (counted && room != spareTexts(ENTRY_TEXTS)) *keptPcb = entry.pcbAttribute;
  }
  entry.footprintCode = code;
  if (counted) {
    keepTexts(ENTRY_TEXTS, room + ENTRY_TEXT_ROOM, end);
    indexCount++;
  } else {
    noteLoss(LOSS_CATEGORY_ROWS_OVER_CAPACITY, entry.category, strlen(entry.category), ' ',
             pcbAttribute, pcbLen);
  }
}

}  // namespace

void bindCategoryIndex() {
  startTexts(ENTRY_TEXTS);
  indexCount = 0;
}

void clearTextPool() { poolUsed = 0; }

const char* storeInTextPool(const char* text, size_t len) {
  if (len >= TEXT_POOL_SIZE - poolUsed) {
    noteLoss(LOSS_TEXT_POOL_FULL, text, len);
    return emptyText;
  }
  char* stored = textPool + (TEXT_POOL_SIZE - poolUsed - len - 1);
  memcpy(stored, text, len);
  stored[len] = '\0';
  poolUsed += len + 1;
  return stored;
}

size_t textPoolUsed() { return poolUsed; }

bool isCategoryHeader(const char* line) {
  if (static_cast<unsigned char>(line[0]) == 0xEF) {
    // A UTF-8 byte order mark stands before the header.
    if (line[1] == '\0' || line[2] == '\0') return false;
    line += 3;
  }
  return strncmp(line, "Categor", 7) == 0;
}

int readCategoryRow(const char* line, size_t lineLen, const char* versionSelect) {
  // Every column is found within the line's known length; line[lineLen] is
  // its terminator.
  const char* const end = line + lineLen;

  // Column 1: the categories.  An empty first column skips the row.
  if (line[0] == ',' || (line[0] == '"' && line[1] == '"')) return 0;
  Column categories;
  readColumn(line, end, &categories);
  if (categories.next == nullptr) return 0;

  // Column 2: the PCB attribute; only a quoted empty one is allowed.
  Column pcb;
  readColumn(categories.next, end, &pcb);
  if (!pcb.quoted && pcb.len == 0) return 0;
  if (pcb.next == nullptr) return 0;
  char pcbAttribute[CAP_PCB_ATTRIBUTE + 1];
  int kept = copyBytes(pcbAttribute, CAP_PCB_ATTRIBUTE, pcb.text, pcb.len);
  size_t pcbLen = withoutTrailingSpaces(pcbAttribute, static_cast<size_t>(kept));
  pcbAttribute[pcbLen] = '\0';

  // Column 3: the footprint code.  Unquoted, it stops at the first control
  // byte or byte of 0x80 and above, and the rest of the column is dropped.
  const char* p = pcb.next;
  const char* code;
  size_t codeLen;
  const char* next;
  if (*p == '"') {
    code = p + 1;
    const char* close = findByte(code, end, '"');
    if (close == nullptr) {
      codeLen = withoutLineEnd(code, static_cast<size_t>(end - code));
      next = nullptr;
    } else {
      codeLen = static_cast<size_t>(close - code);
      next = close + 1 < end ? close + 2 : nullptr;
    }
  } else {
    if (*p == ',' || !isCodeByte(static_cast<unsigned char>(*p))) return 0;
    code = p;
    codeLen = bareCodeLength(p, end);
    const char* comma = findByte(p + codeLen, end, ',');
    next = comma != nullptr ? comma + 1 : nullptr;
  }

  // Column 4 is passed over, column 5 too, then column 6 is the version.
  if (next != nullptr) {
    Column note;
    readColumn(next, end, &note);
    next = note.next;
  }
  if (next != nullptr) next = skipNoteColumn(next, end);
  if (versionSelect[0] != '\0' && next != nullptr && next < end &&
      !versionMatches(next, end, versionSelect))
    return 0;

  // One entry per category of the list, all with the same code.  Once the
  // index is full the code is not stored: its entries are dropped anyway.
  const char* stored = indexCount < MAX_INDEX ? storeInTextPool(code, codeLen) : emptyText;
  int entries = 0;
  char* keptPcb = nullptr;
  if (!categories.quoted) {
    addEntry(categories.text, categories.len, pcbAttribute, pcbLen, stored, &keptPcb);
    return 1;
  }
  const char* item = categories.text;
  const char* itemsEnd = categories.text + categories.len;
  for (;;) {
    // Items are a few letters: a plain loop beats a library call.
    const char* itemEnd = item;
    while (itemEnd < itemsEnd && *itemEnd != ',') itemEnd++;
    addEntry(item, static_cast<size_t>(itemEnd - item), pcbAttribute, pcbLen, stored, &keptPcb);
    entries++;
    if (itemEnd == itemsEnd) break;
    item = itemEnd + 1;
  }
  return entries;
}

void loadCategoryIndex(ByteSource* in, const char* versionSelect) {
  bindCategoryIndex();
  bool headerFound = false;
  char firstLine[LOSS_EXAMPLE_MAX + 1];  // the example of a loss of the whole file
  int firstLen = -1;                      // without its line end; -1: no line yet
  int n;
  while ((n = readOwnLine(in, false, LOSS_LONG_CATEGORY_LINE)) >= 0) {
    if (firstLen < 0) firstLen = copyBytes(firstLine, LOSS_EXAMPLE_MAX, textBuffer, lineText(n));
    if (!headerFound) headerFound = isCategoryHeader(textBuffer);
    else readCategoryRow(textBuffer, strlen(textBuffer), versionSelect);
  }
  // No row at all: every part would show "ERROR(no index)" without a reason.
  if (indexCount == 0)
    noteLoss(LOSS_CATEGORY_WITHOUT_ROWS, firstLine,
             firstLen < 0 ? 0 : static_cast<size_t>(firstLen));
  sortCategoryIndex();
}

void sortCategoryIndex() {
  sortByKey(categoryIndex, indexCount,
            [](const IndexEntry& e, KeyPacker& key) {
              key.storedText(e.category).storedText(e.pcbAttribute);
            });
}

int writeDuplicateIndexLines(TextOut* report) {
  int duplicates = 0;
  for (int i = 1; i < indexCount; i++) {
    const IndexEntry& entry = categoryIndex[i];
    const IndexEntry& before = categoryIndex[i - 1];
    if (!textEquals(entry.category, before.category) ||
        !textEquals(entry.pcbAttribute, before.pcbAttribute))
      continue;
    const char* pieces[] = {"(dup index) ", entry.category,      " ",
                            entry.pcbAttribute, " = ", entry.footprintCode, "\n"};
    for (const char* piece : pieces) putText(report, piece);
    duplicates++;
  }
  return duplicates;
}

int compareIndexKey(const char* categoryA, const char* pcbA, const char* categoryB,
                    const char* pcbB) {
  int c = compareText(categoryA, categoryB);
  return c != 0 ? c : compareText(pcbA, pcbB);
}

void startIndexWalk(IndexWalk* walk) { walk->next = 0; }

const char* walkIndexTo(IndexWalk* walk, const char* category, const char* pcbAttribute) {
  int c = 1;
  while (walk->next < indexCount) {
    const IndexEntry& entry = categoryIndex[walk->next];
    c = compareIndexKey(entry.category, entry.pcbAttribute, category, pcbAttribute);
    if (c >= 0) break;
    walk->next++;
  }
  return walk->next < indexCount && c == 0 ? categoryIndex[walk->next].footprintCode : nullptr;
}

const char* findIndexFootprint(const char* category, const char* pcbAttribute) {
  int lo = 0, hi = indexCount;
  while (lo < hi) {
    int mid = lo + (hi - lo) / 2;
    const IndexEntry& entry = categoryIndex[mid];
    if (compareIndexKey(entry.category, entry.pcbAttribute, category, pcbAttribute) < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  if (lo < indexCount &&
      compareIndexKey(categoryIndex[lo].category, categoryIndex[lo].pcbAttribute, category,
                      pcbAttribute) == 0)
    return categoryIndex[lo].footprintCode;
  return nullptr;
}
