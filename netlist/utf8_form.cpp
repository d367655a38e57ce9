// Strict UTF-8 validation and code page 932 decoding, from the program's own
// table: no platform code-page call, so every build gives the same bytes.
#include "netlist/utf8_form.h"

#include "netlist/cp932_table.h"

namespace {

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

int cp932LeadRow(unsigned char c) {
  if (c >= 0x81 && c <= 0x9F) return c - 0x81;
  if (c >= 0xE0 && c <= 0xFC) return c - 0xE0 + 31;
  return -1;
}

}  // namespace

bool isStrictUtf8(const unsigned char* text, size_t len) {
  size_t i = 0;
  while (i < len) {
    unsigned char c = text[i];
    if (c < 0x80) {
      i++;
      continue;
    }
    size_t extra;
    uint32_t ch, lowest;
    if (c >= 0xC2 && c <= 0xDF) {
      extra = 1, ch = c & 0x1Fu, lowest = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2, ch = c & 0x0Fu, lowest = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3, ch = c & 0x07u, lowest = 0x10000;
    } else {
      return false;  // a continuation byte first, 0xC0/0xC1 or 0xF5-0xFF
    }
    if (len - i - 1 < extra) return false;
    for (size_t k = 1; k <= extra; k++) {
      if (!isContinuation(text[i + k])) return false;
      ch = (ch << 6) | (text[i + k] & 0x3Fu);
    }
    if (ch < lowest || ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

uint32_t decodeCp932(const unsigned char* text, size_t len, size_t* pos) {
  unsigned char c = text[*pos];
  (*pos)++;
  if (c < 0x80) return c;
  if (c >= 0xA1 && c <= 0xDF) return 0xFF61u + (c - 0xA1u);
  int row = cp932LeadRow(c);
  if (row < 0 || *pos >= len) return REPLACEMENT_CHARACTER;
  unsigned char trail = text[*pos];
  if (trail < CP932_TRAIL_FIRST || trail > CP932_TRAIL_LAST) return REPLACEMENT_CHARACTER;
  uint16_t ch = cp932PairTable[row * CP932_TRAIL_COUNT + (trail - CP932_TRAIL_FIRST)];
  if (ch == 0) return REPLACEMENT_CHARACTER;
  (*pos)++;
  return ch;
}

int encodeUtf8(uint32_t ch, char* out) {
  if (ch < 0x80) {
    out[0] = static_cast<char>(ch);
    return 1;
  }
  if (ch < 0x800) {
    out[0] = static_cast<char>(0xC0 | (ch >> 6));
    out[1] = static_cast<char>(0x80 | (ch & 0x3F));
    return 2;
  }
  if (ch < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (ch >> 12));
    out[1] = static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (ch & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (ch >> 18));
  out[1] = static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (ch & 0x3F));
  return 4;
}
