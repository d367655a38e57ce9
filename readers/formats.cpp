// Lookups in the format table, and format detection: every format's sniff
// function scores the first bytes of a file by the landmarks of its layout
// (the lines that open and close its sections and blocks), and the single
// best score wins.
#include "readers/formats.h"

#include <cstring>

#include "netlist/large_tables.h"

const FormatRow* formatRow(int inputFormat) {
  if (inputFormat < 0 || inputFormat >= FORMAT_COUNT) return nullptr;
  return &formatTable[inputFormat];
}

const FormatRow* formatNamed(const char* name) {
  for (const FormatRow& row : formatTable)
    if (row.name != nullptr && strcmp(row.name, name) == 0) return &row;
  return nullptr;
}

const char* formatNameList() {
  static char list[128];
  if (list[0] != '\0') return list;
  size_t used = 0;
  for (const FormatRow& row : formatTable) {
    if (row.name == nullptr) continue;
    size_t n = strlen(row.name);
    if (used + n + 3 > sizeof list) break;
    if (used > 0) {
      memcpy(list + used, ", ", 2);
      used += 2;
    }
    memcpy(list + used, row.name, n);
    used += n;
  }
  list[used] = '\0';
  return list;
}

namespace {

// One line of the prefix: its text after leading blanks, up to its line end.
struct HeadLine {
  const char* text;
  size_t len;
};

bool nextHeadLine(const char* head, size_t len, size_t* pos, HeadLine* line) {
  size_t p = *pos;
  if (p >= len) return false;
  while (p < len && (head[p] == ' ' || head[p] == '\t')) p++;
  size_t start = p;
  while (p < len && head[p] != '\r' && head[p] != '\n') p++;
  line->text = head + start;
  line->len = p - start;
  if (p < len && head[p] == '\r') p++;
  if (p < len && head[p] == '\n') p++;
  *pos = p;
  return true;
}

bool begins(const HeadLine& line, const char* word) {
  size_t k = strlen(word);
  return line.len >= k && memcmp(line.text, word, k) == 0;
}

bool isWordByte(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// The line begins with `word` and the word ends there.
bool beginsWord(const HeadLine& line, const char* word) {
  size_t k = strlen(word);
  return begins(line, word) && (line.len == k || !isWordByte(line.text[k]));
}

// The line is `word` and nothing but blanks after it.
bool isOnly(const HeadLine& line, const char* word) {
  if (!begins(line, word)) return false;
  for (size_t i = strlen(word); i < line.len; i++)
    if (line.text[i] != ' ' && line.text[i] != '\t') return false;
  return true;
}

// How a landmark line is recognised.
enum LandmarkForm {
  LINE_BEGINS,       // the line begins with the text
  LINE_BEGINS_WORD,  // ... and the word ends there
  LINE_IS,           // the line is the text and blanks
};

// A landmark of a format's layout.  A format scores only when at least one
// of its opening landmarks (a section or block that only it opens that way)
// stands in the prefix.
struct Landmark {
  int format;
  const char* text;
  LandmarkForm form;
  bool opening;
};

constexpr Landmark landmarks[] = {
    {FORMAT_CADVANCE, "$NET_LIST", LINE_BEGINS_WORD, true},
    {FORMAT_CADVANCE, "comp", LINE_BEGINS_WORD, false},
    {FORMAT_CADVANCE, "nets", LINE_BEGINS_WORD, false},
    {FORMAT_MM2_COLMO, "$PTS", LINE_BEGINS_WORD, true},
    {FORMAT_MM2_COLMO, "$NET", LINE_BEGINS_WORD, true},
    {FORMAT_MM2_COLMO, "$END", LINE_BEGINS_WORD, false},
    {FORMAT_TELESIS, "$PACKAGES", LINE_BEGINS_WORD, true},
    {FORMAT_TELESIS, "$NETS", LINE_BEGINS_WORD, true},
    {FORMAT_TELESIS, "$END", LINE_BEGINS_WORD, false},
    {FORMAT_CCF, "$CCF", LINE_BEGINS_WORD, true},
    {FORMAT_CCF, "DEFINITION", LINE_BEGINS_WORD, false},
    {FORMAT_CCF, "NET", LINE_BEGINS_WORD, false},
    {FORMAT_PADS, "*PADS", LINE_BEGINS, true},
    {FORMAT_PADS, "!PADS", LINE_BEGINS, true},
    {FORMAT_PADS, "*PART*", LINE_BEGINS, true},
    {FORMAT_PADS, "*Part*", LINE_BEGINS, true},
    {FORMAT_PADS, "*NET*", LINE_BEGINS, false},
    {FORMAT_PADS, "*Net*", LINE_BEGINS, false},
    {FORMAT_PADS, "*SIGNAL*", LINE_BEGINS, true},
    {FORMAT_PADS, "*Signal*", LINE_BEGINS, true},
    {FORMAT_PADS, "*END*", LINE_BEGINS, false},
    {FORMAT_PADS, "*End*", LINE_BEGINS, false},
    // Protel blocks open and close on lines of their own.
    {FORMAT_PROTEL, "[", LINE_IS, true},
    {FORMAT_PROTEL, "]", LINE_IS, false},
    {FORMAT_PROTEL, "(", LINE_IS, true},
    {FORMAT_PROTEL, ")", LINE_IS, false},
    {FORMAT_PROTEL, "DESIGNATOR", LINE_IS, false},
};
enum : int { LANDMARK_COUNT = sizeof landmarks / sizeof landmarks[0] };
static_assert(LANDMARK_COUNT <= 32, "the landmarks found are kept as bits");

bool shows(const HeadLine& line, const Landmark& mark) {
  switch (mark.form) {
    case LINE_BEGINS: return begins(line, mark.text);
    case LINE_BEGINS_WORD: return beginsWord(line, mark.text);
    case LINE_IS: return isOnly(line, mark.text);
  }
  return false;
}

// The score of `format`: the number of its landmarks that stand at the start
// of a line of the prefix, or 0 when none of its openings does.
int landmarkScore(int format, const char* head, size_t len) {
  unsigned found = 0;
  size_t pos = 0;
  HeadLine line;
  while (nextHeadLine(head, len, &pos, &line)) {
    for (int k = 0; k < LANDMARK_COUNT; k++)
      if (landmarks[k].format == format && shows(line, landmarks[k])) found |= 1u << k;
  }
  int count = 0;
  bool opened = false;
  for (int k = 0; k < LANDMARK_COUNT; k++) {
    if ((found & (1u << k)) == 0) continue;
    count++;
    if (landmarks[k].opening) opened = true;
  }
  return opened ? count : 0;
}

}  // namespace

int sniffCadvance(const char* head, size_t n) { return landmarkScore(FORMAT_CADVANCE, head, n); }
int sniffMm2Colmo(const char* head, size_t n) { return landmarkScore(FORMAT_MM2_COLMO, head, n); }
int sniffProtel(const char* head, size_t n) { return landmarkScore(FORMAT_PROTEL, head, n); }
int sniffTelesis(const char* head, size_t n) { return landmarkScore(FORMAT_TELESIS, head, n); }
int sniffCcf(const char* head, size_t n) { return landmarkScore(FORMAT_CCF, head, n); }
int sniffPads(const char* head, size_t n) { return landmarkScore(FORMAT_PADS, head, n); }

Detection detectFormatOfBytes(const char* head, size_t len) {
  if (len > SNIFF_PREFIX) len = SNIFF_PREFIX;
  Detection d = {DETECT_NO_MATCH, -1, -1};
  int best = 0;
  for (const FormatRow& row : formatTable) {
    if (row.sniff == nullptr) continue;
    int s = row.sniff(head, len);
    if (s <= 0 || s < best) continue;
    if (s == best) {
      d.outcome = DETECT_TIE;
      d.otherFormat = row.inputFormat;
      continue;
    }
    best = s;
    d = {DETECT_FOUND, row.inputFormat, -1};
  }
  return d;
}

Detection detectFormat(ByteSource* in) {
  LARGE_TABLE(5) static char head[SNIFF_PREFIX];
  size_t len = 0;
  int c;
  while (len < SNIFF_PREFIX && (c = nextByte(in)) >= 0) head[len++] = static_cast<char>(c);
  return detectFormatOfBytes(head, len);
}
