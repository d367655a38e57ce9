// Report cells: quoting on writing, splitting on reading back.
#include "run/report_cells.h"

#include <cstring>

namespace {

// The text inside quotes: each '"' doubled; a line feed after the last '"'
// goes out as CR LF.
void putQuotedPieces(TextOut* out, const char* text) {
  for (const char* quote; (quote = strchr(text, '"')) != nullptr; text = quote + 1) {
    putBytes(out, text, static_cast<size_t>(quote - text));
    putLiteral(out, "\"\"");
  }
  putText(out, text);
}

}  // namespace

// Most cells hold none of ',', '"' and '\n' and go out in one copy, found
// by one library scan.
void putBareCell(TextOut* out, const char* text) {
  size_t plain = strcspn(text, ",\"\n");
  if (text[plain] == '\0') {
    putBytes(out, text, plain);
    return;
  }
  if (strpbrk(text + plain, ",\"") == nullptr) {
    putText(out, text);
    return;
  }
  putLiteral(out, "\"");
  putQuotedPieces(out, text);
  putLiteral(out, "\"");
}

void putQuotedText(TextOut* out, const char* text) {
  size_t plain = strcspn(text, "\"\n");
  if (text[plain] == '\0') putBytes(out, text, plain);
  else putQuotedPieces(out, text);
}

namespace {

// The closing quote of the quoted cell whose text begins at `start` (after
// its opening quote), or null when the cell does not close before ',' or
// the line's end.  Sets *doubled when the cell holds a "" pair.
char* closingQuote(char* start, char* end, bool* doubled) {
  for (char* q = start;; q += 2) {
    q = static_cast<char*>(memchr(q, '"', static_cast<size_t>(end - q)));
    if (q == nullptr) return nullptr;
    if (q + 1 < end && q[1] == '"') {
      *doubled = true;
      continue;
    }
    return q + 1 == end || q[1] == ',' ? q : nullptr;
  }
}

// The ',' or line end that ends the bare cell at `p` (cells are short: a
// plain loop beats a library call).
char* cellEnd(char* p, const char* end) {
  while (p < end && *p != ',') p++;
  return p;
}

// Turns each "" pair of a quoted cell's `len` bytes into one '"', in
// place; returns the new length.  Stretches between pairs move whole.
size_t unescapeQuotes(char* text, size_t len) {
  char* end = text + len;
  char* out = text;
  for (char* in = text;;) {
    char* quote = static_cast<char*>(memchr(in, '"', static_cast<size_t>(end - in)));
    char* stop = quote != nullptr ? quote : end;
    size_t n = static_cast<size_t>(stop - in);
    if (out != in) memmove(out, in, n);
    out += n;
    if (quote == nullptr) return static_cast<size_t>(out - text);
    *out++ = '"';
    in = quote + 2;
  }
}

}  // namespace

bool splitReportRow(char* line, size_t len, ReportCells* cells) {
  // One pass finds the cells; the line changes only once the whole row is
  // known to split, and only in cells that hold a "" pair.
  char* const end = line + len;
  unsigned pairCells = 0;  // bit i: kept cell i is quoted and holds a "" pair
  int count = 0;
  for (char* p = line;;) {
    bool quoted = p < end && *p == '"';
    char* start = quoted ? p + 1 : p;
    char* stop;
    bool pairs = false;
    if (quoted) {
      stop = closingQuote(start, end, &pairs);
      if (stop == nullptr) return false;
      p = stop + 1;
    } else {
      stop = cellEnd(p, end);
      p = stop;
    }
    if (count < REPORT_COLUMNS) {
      cells->text[count] = start;
      cells->length[count] = static_cast<size_t>(stop - start);
      cells->quoted[count] = quoted;
      if (pairs) pairCells |= 1u << count;
    }
    count++;
    if (p == end) break;
    p++;  // the ',' between cells
  }
  cells->count = count;
  for (int i = count; i < REPORT_COLUMNS; i++) {
    cells->text[i] = "";
    cells->length[i] = 0;
    cells->quoted[i] = false;
  }
  for (int i = 0; pairCells != 0; i++, pairCells >>= 1) {
    if ((pairCells & 1) == 0) continue;
    char* text = line + (cells->text[i] - line);  // the cell's bytes in the line
    cells->length[i] = unescapeQuotes(text, cells->length[i]);
  }
  return true;
}

bool isReportHeader(const char* line) {
  if (strncmp(line, "\xEF\xBB\xBF", 3) == 0) line += 3;
  if (*line == '"') line++;
  return strncmp(line, "Status", 6) == 0;
}
