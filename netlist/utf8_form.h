// The UTF-8 form of a text for netlists that are read as UTF-8: a text that
// already is strict UTF-8 stays as it is; any other text is read as code
// page 932 and re-encoded, byte by byte where a byte is no character.
#pragma once

#include <cstddef>
#include <cstdint>

enum : uint32_t { REPLACEMENT_CHARACTER = 0xFFFD };

// Whether the bytes are strict UTF-8: shortest forms only, no surrogates,
// nothing above U+10FFFF.
bool isStrictUtf8(const unsigned char* text, size_t len);

// Decodes the code page 932 character at text[*pos] (*pos < len) and moves
// *pos past it.  ASCII bytes stand for themselves, 0xA1-0xDF for the
// half-width katakana U+FF61-U+FF9F, a lead byte with a trail byte for the
// pair's character.  Any other byte, and a lead byte whose pair maps to
// nothing, gives U+FFFD and moves on by that one byte.
uint32_t decodeCp932(const unsigned char* text, size_t len, size_t* pos);

// Writes the UTF-8 bytes of a character (at most 4) and returns how many.
int encodeUtf8(uint32_t ch, char* out);
