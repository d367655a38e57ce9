// Byte classes of a text that decide how the netlist writer puts it out,
// found in one pass over the text.
#pragma once

#include <cstddef>
#include <cstdint>

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
