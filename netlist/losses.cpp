// The loss record of a run.
#include "netlist/losses.h"

#include <cstdint>
#include <cstring>

#include "netlist/text.h"

LossRecord losses;

namespace {

// A Shift-JIS lead byte: it and the byte after it are one character.
bool isLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Appends up to `len` bytes of `text` to the example; returns false when the
// example is full.  A two-byte character is kept whole or not at all.
bool appendExample(char* example, int* n, const char* text, size_t len) {
  for (size_t i = 0; i < len; i++) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    int width = isLeadByte(c) && i + 1 < len ? 2 : 1;
    if (*n + width > LOSS_EXAMPLE_MAX) return false;
    example[(*n)++] = c < 32 ? '?' : static_cast<char>(c);
    if (width == 2) example[(*n)++] = text[++i];
  }
  return true;
}

}  // namespace

void clearLosses() { memset(&losses, 0, sizeof losses); }

bool anyLoss() {
  for (int kind = 0; kind < LOSS_KIND_COUNT; kind++)
    if (losses.count[kind] > 0) return true;
  return false;
}

void noteLoss(int kind, const char* text, size_t len, char separator, const char* more,
              size_t moreLen) {
  if (losses.count[kind] > 0) {
    // Saturates: a reader may be fed again and again without a run clearing.
    if (losses.count[kind] < INT32_MAX) losses.count[kind]++;
    return;
  }
  losses.count[kind] = 1;
  char* example = losses.example[kind];
  int n = 0;
  bool whole = appendExample(example, &n, text, len);
  if (whole && more != nullptr) whole = appendExample(example, &n, &separator, 1) &&
                                        appendExample(example, &n, more, moreLen);
  if (!whole) {
    memcpy(example + n, "...", 3);
    n += 3;
  }
  example[n] = '\0';
}

void noteMissingClose(const char* mark) {
  if (losses.count[LOSS_READ_LIMIT] == 0) noteLoss(LOSS_NO_CLOSING_MARK, mark, strlen(mark));
}

void noteReadLimit(const char* keptText, size_t kept) {
  size_t from = kept > 24 ? kept - 24 : 0;
  noteLoss(LOSS_READ_LIMIT, keptText + from, kept - from);
}

int copyCut(char* dst, int cap, const char* src, size_t len, int kind) {
  int n = copyBytes(dst, cap, src, len);
  for (size_t i = static_cast<size_t>(n); i < len; i++) {
    if (src[i] != ' ') {
      noteLoss(kind, dst, static_cast<size_t>(n));
      break;
    }
  }
  return n;
}
