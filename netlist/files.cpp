// Buffered byte input, fgets-style line reading and text-mode output.
#include "netlist/files.h"

#include <sys/stat.h>

#include <cstring>

void openByteSource(ByteSource* source, FILE* file) {
  source->file = file;
  source->data = source->buffer;
  source->pos = 0;
  source->len = 0;
}

void openMemorySource(ByteSource* source, const void* data, size_t size) {
  source->file = nullptr;
  source->data = static_cast<const unsigned char*>(data);
  source->pos = 0;
  source->len = size;
}

int refillByteSource(ByteSource* source) {
  if (source->file == nullptr) return -1;
  size_t n = fread(source->buffer, 1, sizeof source->buffer, source->file);
  source->data = source->buffer;
  source->pos = 0;
  source->len = n;
  if (n == 0) return -1;
  source->pos = 1;
  return source->buffer[0];
}

int readFileLine(ByteSource* source, char* buf, int cap, bool textMode) {
  int n = 0;
  int c = 0;
  while (n < cap) {
    c = nextByte(source);
    if (c < 0) break;
    if (textMode && c == '\r' && peekByte(source) == '\n') c = nextByte(source);
    buf[n++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  buf[n] = '\0';
  if (n == 0 && c < 0) return -1;
  return n;
}

void openTextOut(TextOut* out, FILE* file) {
  out->file = file;
  out->used = 0;
  out->failed = false;
}

static void flushTextOut(TextOut* out) {
  if (out->used > 0 && fwrite(out->buffer, 1, out->used, out->file) != out->used)
    out->failed = true;
  out->used = 0;
}

void putBytes(TextOut* out, const char* bytes, size_t len) {
  while (len > 0) {
    if (out->used == sizeof out->buffer) flushTextOut(out);
    size_t room = sizeof out->buffer - out->used;
    size_t n = len < room ? len : room;
    memcpy(out->buffer + out->used, bytes, n);
    out->used += n;
    bytes += n;
    len -= n;
  }
}

void putText(TextOut* out, const char* text) {
  const char* start = text;
  for (const char* p = text; *p != '\0'; p++) {
    if (*p == '\n') {
      putBytes(out, start, static_cast<size_t>(p - start));
      putBytes(out, "\r\n", 2);
      start = p + 1;
    }
  }
  putBytes(out, start, strlen(start));
}

void putChar(TextOut* out, char c) {
  if (c == '\n') putBytes(out, "\r\n", 2);
  else putBytes(out, &c, 1);
}

void putDecimal(TextOut* out, long long value) {
  char digits[24];
  int n = snprintf(digits, sizeof digits, "%lld", value);
  putBytes(out, digits, static_cast<size_t>(n));
}

void putUpperHex(TextOut* out, unsigned value) {
  char digits[16];
  int n = snprintf(digits, sizeof digits, "%X", value);
  putBytes(out, digits, static_cast<size_t>(n));
}

bool closeTextOut(TextOut* out) {
  flushTextOut(out);
  if (fclose(out->file) != 0) out->failed = true;
  out->file = nullptr;
  return !out->failed;
}

FILE* openForReading(const char* path) {
  FILE* f = fopen(path, "rb");
  if (f == nullptr) return nullptr;
  struct stat info;
  if (fstat(fileno(f), &info) == 0 && S_ISDIR(info.st_mode)) {
    fclose(f);
    return nullptr;
  }
  return f;
}

FILE* openForWriting(const char* path) { return fopen(path, "wb"); }
