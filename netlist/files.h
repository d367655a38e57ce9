// Byte streams shared by the readers, the run and the settings file.
//
// ByteSource reads bytes in file order from an open FILE* (through its own
// buffer) or from memory.  TextOut writes a file the way a text-mode stream
// of the Windows C runtime does: every line feed goes out as CR LF, so every
// build writes the same bytes.  readFileLine reads the run's own files the
// way fgets does, in binary or in text mode (CR LF read as a line feed).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

enum : int { BYTE_SOURCE_BUFFER = 65536, TEXT_OUT_BUFFER = 65536 };

struct ByteSource {
  FILE* file;                 // null for a memory source
  const unsigned char* data;  // bytes not yet handed out are data[pos..len)
  size_t pos;
  size_t len;
  size_t readSize;            // bytes one refill asks the file for
  unsigned char buffer[BYTE_SOURCE_BUFFER];
};

void openByteSource(ByteSource* source, FILE* file);
// Makes each refill read at most `size` bytes (at most the buffer's size):
// a source that usually needs only the start of a file then touches only
// the start of its buffer.
void limitByteSourceReads(ByteSource* source, size_t size);
void openMemorySource(ByteSource* source, const void* data, size_t size);

int refillByteSource(ByteSource* source);

// The next byte (0..255), or -1 at the end of the input.
inline int nextByte(ByteSource* source) {
  if (source->pos < source->len) return source->data[source->pos++];
  return refillByteSource(source);
}

// The next byte without taking it, or -1 at the end of the input.
inline int peekByte(ByteSource* source) {
  if (source->pos < source->len) return source->data[source->pos];
  int c = refillByteSource(source);
  if (c >= 0) source->pos--;
  return c;
}

// Reads one line into buf the way fgets(buf, cap + 1, ...) does: at most
// `cap` bytes, the line feed kept as part of the line.  In text mode a CR
// directly before a LF is dropped.  Returns the length stored, or -1 when
// the input ended before any byte.
int readFileLine(ByteSource* source, char* buf, int cap, bool textMode);

struct TextOut {
  FILE* file;
  size_t used;
  bool failed;
  char buffer[TEXT_OUT_BUFFER];
};

void openTextOut(TextOut* out, FILE* file);
void putBytesSlow(TextOut* out, const char* bytes, size_t len);

// Copies `len` bytes.  Most texts written are a few dozen bytes long at
// most, so those up to 32 bytes move in overlapping word copies from both
// ends (reading nothing outside the text) instead of a library call; for a
// length known when compiling only one branch is left.
inline void copyShortBytes(char* dst, const char* src, size_t len) {
  if (len > 32) {
    memcpy(dst, src, len);
  } else if (len > 16) {
    uint64_t head[2], tail[2];
    memcpy(head, src, 16);
    memcpy(tail, src + len - 16, 16);
    memcpy(dst, head, 16);
    memcpy(dst + len - 16, tail, 16);
  } else if (len >= 8) {
    uint64_t head, tail;
    memcpy(&head, src, 8);
    memcpy(&tail, src + len - 8, 8);
    memcpy(dst, &head, 8);
    memcpy(dst + len - 8, &tail, 8);
  } else if (len >= 4) {
    uint32_t head, tail;
    memcpy(&head, src, 4);
    memcpy(&tail, src + len - 4, 4);
    memcpy(dst, &head, 4);
    memcpy(dst + len - 4, &tail, 4);
  } else if (len > 0) {
    char first = src[0], middle = src[len / 2], last = src[len - 1];
    dst[0] = first;
    dst[len / 2] = middle;
    dst[len - 1] = last;
  }
}

// Writes bytes as they are.
inline void putBytes(TextOut* out, const char* bytes, size_t len) {
  if (len <= sizeof out->buffer - out->used) {
    copyShortBytes(out->buffer + out->used, bytes, len);
    out->used += len;
  } else {
    putBytesSlow(out, bytes, len);
  }
}
// Direct writing of a piece of bounded size: reserveOut makes room for
// `room` bytes (at most TEXT_OUT_BUFFER), writing out what is buffered when
// they do not fit, and returns where they go; the caller writes through its
// own cursor and hands the end back to commitOut.  A writer that puts many
// small pieces so checks the room once rather than once per piece.
void flushTextOut(TextOut* out);
inline char* reserveOut(TextOut* out, size_t room) {
  if (room > sizeof out->buffer - out->used) flushTextOut(out);
  return out->buffer + out->used;
}
inline void commitOut(TextOut* out, char* end) { out->used = static_cast<size_t>(end - out->buffer); }
// Copies a literal (its length known when compiling) to a cursor of
// reserved room and returns the cursor past it.
template <size_t N>
inline char* storeLiteral(char* cursor, const char (&text)[N]) {
  memcpy(cursor, text, N - 1);
  return cursor + (N - 1);
}

void putText(TextOut* out, const char* text);  // '\n' goes out as CR LF
void putChar(TextOut* out, char c);
// Writes a literal as it stands: its line ends are written out as "\r\n".
template <size_t N>
inline void putLiteral(TextOut* out, const char (&text)[N]) {
  putBytes(out, text, N - 1);
}
void putDecimal(TextOut* out, long long value);
void putUpperHex(TextOut* out, unsigned value);
// Writes what is buffered and closes the file; false when anything failed.
bool closeTextOut(TextOut* out);

// Opens a regular file for reading (binary); a directory, FIFO, device or
// socket counts as a file that cannot be opened, so no read waits for ever.
FILE* openForReading(const char* path);
FILE* openForWriting(const char* path);  // binary "wb": TextOut adds the CRs
