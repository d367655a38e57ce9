// Report cells: quoting on writing, splitting on reading back.
#include "run/report_cells.h"

#include <cstring>

void putBareCell(TextOut* out, const char* text) {
  if (strpbrk(text, ",\"") == nullptr) {
    putText(out, text);
    return;
  }
  putLiteral(out, "\"");
  putQuotedText(out, text);
  putLiteral(out, "\"");
}

void putQuotedText(TextOut* out, const char* text) {
  for (const char* quote; (quote = strchr(text, '"')) != nullptr; text = quote + 1) {
    putBytes(out, text, static_cast<size_t>(quote - text));
    putLiteral(out, "\"\"");
  }
  putText(out, text);
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

}  // namespace

bool splitReportRow(char* line, ReportCells* cells) {
  // First pass: every quoted cell must close properly; nothing is changed.
  for (const char* p = line;;) {
    if (*p == '"') {
      p = closingQuote(p);
      if (p == nullptr) return false;
      p++;
    } else {
      p += strcspn(p, ",");
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
      char* out = start;
      char* in = start;
      for (;;) {
        if (*in == '"') {
          if (in[1] != '"') break;
          in++;
        }
        *out++ = *in++;
      }
      end = out;
      p = in + 1;
    } else {
      p += strcspn(p, ",");
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
