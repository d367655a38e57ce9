// Lookups in the format table, and format detection: every format's sniff
// function scores the first bytes of a file by the landmarks of its layout
// that stand at the start of a line, and the single best score wins.
#include "readers/formats.h"

#include <cstring>

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

// Each landmark is one bit; `test` sets the bits a line shows.
template <typename Test>
unsigned landmarks(const char* head, size_t len, Test test) {
  unsigned found = 0;
  size_t pos = 0;
  HeadLine line;
  while (nextHeadLine(head, len, &pos, &line)) found |= test(line);
  return found;
}

int bitCount(unsigned bits) {
  int n = 0;
  for (; bits != 0; bits &= bits - 1) n++;
  return n;
}

// The score: the number of landmarks, or 0 without any of the `needed` ones.
int score(unsigned found, unsigned needed) {
  return (found & needed) != 0 ? bitCount(found) : 0;
}

}  // namespace

int sniffCadvance(const char* head, size_t len) {
  unsigned found = landmarks(head, len, [](const HeadLine& l) -> unsigned {
    return (beginsWord(l, "$NET_LIST") ? 1u : 0u) | (beginsWord(l, "comp") ? 2u : 0u) |
           (beginsWord(l, "nets") ? 4u : 0u);
  });
  return score(found, 1u);
}

int sniffMm2Colmo(const char* head, size_t len) {
  unsigned found = landmarks(head, len, [](const HeadLine& l) -> unsigned {
    return (beginsWord(l, "$PTS") ? 1u : 0u) | (beginsWord(l, "$NET") ? 2u : 0u) |
           (beginsWord(l, "$END") ? 4u : 0u);
  });
  return score(found, 1u | 2u);
}

int sniffTelesis(const char* head, size_t len) {
  unsigned found = landmarks(head, len, [](const HeadLine& l) -> unsigned {
    return (beginsWord(l, "$PACKAGES") ? 1u : 0u) | (beginsWord(l, "$NETS") ? 2u : 0u) |
           (beginsWord(l, "$END") ? 4u : 0u);
  });
  return score(found, 1u | 2u);
}

int sniffCcf(const char* head, size_t len) {
  unsigned found = landmarks(head, len, [](const HeadLine& l) -> unsigned {
    return (beginsWord(l, "$CCF") ? 1u : 0u) | (beginsWord(l, "DEFINITION") ? 2u : 0u) |
           (beginsWord(l, "NET") ? 4u : 0u);
  });
  return score(found, 1u);
}

int sniffPads(const char* head, size_t len) {
  unsigned found = landmarks(head, len, [](const HeadLine& l) -> unsigned {
    unsigned bits = 0;
    if (begins(l, "*PADS") || begins(l, "!PADS")) bits |= 1u;
    if (begins(l, "*PART*") || begins(l, "*Part*")) bits |= 2u;
    if (begins(l, "*NET*") || begins(l, "*Net*")) bits |= 4u;
    if (begins(l, "*SIGNAL*") || begins(l, "*Signal*")) bits |= 8u;
    if (begins(l, "*END*") || begins(l, "*End*")) bits |= 16u;
    return bits;
  });
  return score(found, 1u | 2u | 8u);
}

// Blocks open and close on lines of their own: "[" ... "]", "(" ... ")".
int sniffProtel(const char* head, size_t len) {
  unsigned found = landmarks(head, len, [](const HeadLine& l) -> unsigned {
    return (isOnly(l, "[") ? 1u : 0u) | (isOnly(l, "]") ? 2u : 0u) | (isOnly(l, "(") ? 4u : 0u) |
           (isOnly(l, ")") ? 8u : 0u) | (isOnly(l, "DESIGNATOR") ? 16u : 0u);
  });
  bool components = (found & 3u) == 3u;
  bool nets = (found & 12u) == 12u;
  return components || nets ? bitCount(found) : 0;
}

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
  static char head[SNIFF_PREFIX];
  size_t len = 0;
  int c;
  while (len < SNIFF_PREFIX && (c = nextByte(in)) >= 0) head[len++] = static_cast<char>(c);
  return detectFormatOfBytes(head, len);
}
