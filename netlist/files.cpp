// Buffered byte input, fgets-style line reading and text-mode output.
#include "netlist/files.h"

#include <cstring>

#include "run/platform.h"

void openByteSource(ByteSource* source, FILE* file) {
  source->file = file;
  source->data = source->buffer;
  source->pos = 0;
  source->len = 0;
  source->readSize = sizeof source->buffer;
}

void limitByteSourceReads(ByteSource* source, size_t size) {
  source->readSize = size < sizeof source->buffer ? size : sizeof source->buffer;
}

void openMemorySource(ByteSource* source, const void* data, size_t size) {
  source->file = nullptr;
  source->data = static_cast<const unsigned char*>(data);
  source->pos = 0;
  source->len = size;
  source->readSize = 0;
}

int refillByteSource(ByteSource* source) {
  if (source->file == nullptr) return -1;
  size_t n = fread(source->buffer, 1, source->readSize, source->file);
  source->data = source->buffer;
  source->pos = 0;
  source->len = n;
  if (n == 0) return -1;
  source->pos = 1;
  return source->buffer[0];
}

int readFileLine(ByteSource* source, char* buf, int cap, bool textMode) {
  // Copies whole stretches of the input buffer up to the next line feed.
  size_t n = 0;
  size_t room = static_cast<size_t>(cap);
  bool ended = false;
  while (n < room) {
    if (source->pos >= source->len) {
      if (refillByteSource(source) < 0) {
        ended = true;
        break;
      }
      source->pos--;
    }
    const unsigned char* start = source->data + source->pos;
    size_t take = source->len - source->pos;
    if (take > room - n) take = room - n;
    const void* lf = memchr(start, '\n', take);
    if (lf != nullptr) take = static_cast<size_t>(static_cast<const unsigned char*>(lf) - start) + 1;
    memcpy(buf + n, start, take);
    n += take;
    source->pos += take;
    if (lf != nullptr) {
      // Text mode reads CR LF as a line feed.
      if (textMode && n >= 2 && buf[n - 2] == '\r') {
        buf[n - 2] = '\n';
        n--;
      }
      buf[n] = '\0';
      return static_cast<int>(n);
    }
  }
  // A line cut by the capacity right after a CR still takes the LF that
  // follows it in text mode, as one line feed.
  if (!ended && textMode && n > 0 && buf[n - 1] == '\r' && peekByte(source) == '\n') {
    nextByte(source);
    buf[n - 1] = '\n';
  }
  buf[n] = '\0';
  if (n == 0 && ended) return -1;
  return static_cast<int>(n);
}

void openTextOut(TextOut* out, FILE* file) {
  out->file = file;
  out->used = 0;
  out->failed = false;
}

void flushTextOut(TextOut* out) {
  if (out->used > 0 && fwrite(out->buffer, 1, out->used, out->file) != out->used)
    out->failed = true;
  out->used = 0;
}

void putBytesSlow(TextOut* out, const char* bytes, size_t len) {
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
  size_t len = strlen(text);
  const char* end = text + len;
  while (text < end) {
    const char* lf = static_cast<const char*>(memchr(text, '\n', static_cast<size_t>(end - text)));
    if (lf == nullptr) {
      putBytes(out, text, static_cast<size_t>(end - text));
      return;
    }
    putBytes(out, text, static_cast<size_t>(lf - text));
    putBytes(out, "\r\n", 2);
    text = lf + 1;
  }
}

void putChar(TextOut* out, char c) {
  if (c == '\n') putBytes(out, "\r\n", 2);
  else putBytes(out, &c, 1);
}

void putDecimal(TextOut* out, long long value) {
  char digits[24];
  char* p = digits + sizeof digits;
  unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                           : static_cast<unsigned long long>(value);
  do {
    *--p = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) *--p = '-';
  putBytes(out, p, static_cast<size_t>(digits + sizeof digits - p));
}

void putUpperHex(TextOut* out, unsigned value) {
  char digits[16];
  char* p = digits + sizeof digits;
  do {
    *--p = "0123456789ABCDEF"[value & 15];
    value >>= 4;
  } while (value != 0);
  putBytes(out, p, static_cast<size_t>(digits + sizeof digits - p));
}

bool closeTextOut(TextOut* out) {
  flushTextOut(out);
  if (fclose(out->file) != 0) out->failed = true;
  out->file = nullptr;
  return !out->failed;
}

FILE* openForReading(const char* path) { return openRegularFile(path); }

FILE* openForWriting(const char* path) { return fopen(path, "wb"); }
