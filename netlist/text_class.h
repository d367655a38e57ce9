// Byte classes of a text that decide how the netlist writer puts it out,
// found in one pass over the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

enum : uint8_t {
  TEXT_BREAKS_TOKEN = 1,  // a blank, CR, LF or parenthesis: a bare token would end there
  TEXT_NEEDS_ESCAPE = 2,  // '\\', '"', CR or LF: escaped inside quotes
  TEXT_NON_ASCII = 4,     // a byte of 0x80 and above
  TEXT_CLASS_KNOWN = 8,   // set on every class, so that 0 means "not known"
};

struct TextByteClasses {
  uint8_t of[256];
};
extern const TextByteClasses textByteClasses;

// The classes of the bytes of `text` together, and its length.
inline uint8_t classifyText(const char* text, size_t* len) {
  uint8_t classes = TEXT_CLASS_KNOWN;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  for (; *p != 0; p++) classes |= textByteClasses.of[*p];
  *len = static_cast<size_t>(reinterpret_cast<const char*>(p) - text);
  return classes;
}

// The classes of `len` bytes whose length is already known (strlen), for
// texts longer than a few bytes.  Eight bytes are looked at together: a
// word with no byte below '0', no '\\' and no byte of 0x80 and above has
// no class at all (most words of names and footprints), and only other
// words are looked up byte by byte.  The last word overlaps the one before
// it rather than reading past the text.
inline uint8_t classifyBytes(const char* text, size_t len) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  uint8_t classes = TEXT_CLASS_KNOWN;
  if (len < 8) {
    for (size_t i = 0; i < len; i++) classes |= textByteClasses.of[p[i]];
    return classes;
  }
  constexpr uint64_t ONES = 0x0101010101010101u;
  constexpr uint64_t HIGH = ONES * 0x80;
  constexpr uint64_t LOW7 = ONES * 0x7F;
  for (size_t at = 0;;) {
    uint64_t word;
    memcpy(&word, p + at, 8);
    // The high bit of each byte below 0x30, of each '\\' and of each byte
    // of 0x80 and above; no sum carries into the next byte.
    uint64_t below = ~(((word & LOW7) + ONES * (0x80 - 0x30)) | word);
    uint64_t other = word ^ (ONES * '\\');
    uint64_t backslash = ~(((other & LOW7) + LOW7) | other);
    if (((below | backslash | word) & HIGH) != 0) {
      for (size_t k = 0; k < 8; k++) classes |= textByteClasses.of[p[at + k]];
    }
    if (at + 8 == len) return classes;
    at = len - at >= 16 ? at + 8 : len - 8;
  }
}
