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

// The end of the quoted cell whose opening quote is at `p`: the closing
// quote, or null when the cell does not close before ',' or the line's end.
const char* closingQuote(const char* p) {
  for (p++;; p++) {
    p = strchr(p, '"');
    if (p == nullptr) return nullptr;
    if (p[1] == '"') {
      p++;
      continue;
    }
    return p[1] == ',' || p[1] == '\0' ? p : nullptr;
  }
}

// The ',' or terminator that ends the bare cell at `p` (cells are short: a
// plain loop beats a library call).
template <typename Char>
Char* cellEnd(Char* p) {
  while (*p != ',' && *p != '\0') p++;
  return p;
}

}  // namespace

bool splitReportRow(char* line, ReportCells* cells) {
  // First pass: every quoted cell must close properly; nothing is changed.
  for (const char* p = line;;) {
    if (*p == '"') {
      p = closingQuote(p);
      if (p == nullptr) return false;
      p++;
    } else {
      p = cellEnd(p);
    }
    if (*p == '\0') break;
    p++;
  }
  // Second pass: the cells, quoted ones unescaped in place.
  cells->count = 0;
  for (char* p = line;;) {
    int i = cells->count;
    bool quoted = *p == '"';
    char* start = quoted ? p + 1 : p;
    char* end;
    if (quoted) {
      // Stretches between quotes move whole; the first pass found the
      // closing quote, so every search here finds a quote.
      char* out = start;
      char* in = start;
      for (;;) {
        char* quote = strchr(in, '"');
        size_t n = static_cast<size_t>(quote - in);
        if (out != in) memmove(out, in, n);
        out += n;
        in = quote;
        if (in[1] != '"') break;
        *out++ = '"';
        in += 2;
      }
      end = out;
      p = in + 1;
    } else {
      p = cellEnd(p);
      end = p;
    }
    if (i < REPORT_COLUMNS) {
      cells->text[i] = start;
      cells->length[i] = static_cast<size_t>(end - start);
      cells->quoted[i] = quoted;
    }
    cells->count++;
    if (*p == '\0') break;
    p++;
  }
  for (int i = cells->count; i < REPORT_COLUMNS; i++) {
    cells->text[i] = "";
    cells->length[i] = 0;
    cells->quoted[i] = false;
  }
  return true;
}

bool isReportHeader(const char* line) {
  if (strncmp(line, "\xEF\xBB\xBF", 3) == 0) line += 3;
  if (*line == '"') line++;
  return strncmp(line, "Status", 6) == 0;
}
