// Byte-string helpers shared by every module.
//
// Texts are zero-terminated byte strings of fixed capacity, compared as
// unsigned bytes (the order of strcmp).  Every copy is bounded by the
// capacity of its destination, given as the number of characters it holds
// (the buffer has one more byte for the terminator).
#pragma once

#include <cstddef>
#include <cstring>

// Copies at most `cap` characters of `src` into `dst` and terminates it.
// Returns the number of characters stored.
inline int copyText(char* dst, int cap, const char* src) {
  int n = 0;
  while (n < cap && src[n] != '\0') {
    dst[n] = src[n];
    n++;
  }
  dst[n] = '\0';
  return n;
}

// Copies at most `cap` of the `len` bytes at `src` into `dst`.
inline int copyBytes(char* dst, int cap, const char* src, size_t len) {
  int n = len < static_cast<size_t>(cap) ? static_cast<int>(len) : cap;
  memcpy(dst, src, static_cast<size_t>(n));
  dst[n] = '\0';
  return n;
}

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A set of byte values made at compile time: the bytes of `bytes` and the
// terminator, which ends every text scan.
struct ByteSet {
  bool has[256];
  constexpr bool operator[](char c) const { return has[static_cast<unsigned char>(c)]; }
};
constexpr ByteSet byteSetWithTerminator(const char* bytes) {
  ByteSet set{};
  set.has[0] = true;
  for (const char* p = bytes; *p != '\0'; p++) set.has[static_cast<unsigned char>(*p)] = true;
  return set;
}

// Removes trailing spaces (byte 32 only).
inline void trimTrailingSpaces(char* text) {
  size_t n = strlen(text);
  while (n > 0 && text[n - 1] == ' ') n--;
  text[n] = '\0';
}

// Byte-wise comparison on unsigned bytes; strcmp already compares that way.
inline int compareText(const char* a, const char* b) { return strcmp(a, b); }

// Texts are often shared (the nodes of a net point at one stored name), so
// one text is equal to itself before any byte is read.
inline bool textEquals(const char* a, const char* b) { return a == b || strcmp(a, b) == 0; }

inline bool startsWith(const char* text, const char* prefix) {
  return strncmp(text, prefix, strlen(prefix)) == 0;
}
