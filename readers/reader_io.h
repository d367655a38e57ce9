// What the netlist readers share: the record a read fills, the line-loop
// driver of the line-state readers, line reading, and the byte toolkit (one
// function per kind of scan).  Each reader file holds only its grammar.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "netlist/files.h"
#include "netlist/losses.h"
#include "netlist/model.h"

enum : int {
  READER_LINE_MAX = 519,  // characters of one line a reader keeps at once
  READER_LINE_SIZE = 520,
};

// Line rules for readLine.
enum : unsigned {
  LINE_TAB_AS_SPACE = 1u,        // a TAB byte reads as a space
  LINE_DROP_CONTROLS = 2u,       // other bytes below 32 are discarded
  LINE_END_NEEDS_TEXT = 4u,      // see readLine: dropped bytes alone make no last line
  LINE_CLOSE_LAST = 8u,          // see readLinePiece: the last line gets its CR
  LINE_NUL_AS_SPACE = 16u,       // readLinePiece: a zero byte reads as a space
};

// Reads one line into buf (at most `cap` characters, terminated).  A line
// ends at a CR (a LF right after it belongs to the same line end), at a LF
// alone, after `cap` stored bytes (the next byte begins the next line), or at
// the end of the input.  The line end is not stored.  Returns the number of
// bytes stored, or -1 when the input ended before the line had any byte,
// line end or dropped byte.  Under LINE_END_NEEDS_TEXT it also returns -1
// when the input ends after dropped bytes alone, without a line end.
int readLine(ByteSource* source, char* buf, int cap, unsigned rules);

// Reads the next piece of a line for the readers that take every line as
// ending in CR LF and read it in pieces of at most `cap` bytes, the line end
// counted (as fgets(buf, cap + 1, ...) reads such a file in binary mode).
// A line ends at a CR (a LF right after it belongs to the same line end) or
// at a LF alone; whatever its form, the piece that holds the line end gets
// one CR as its last byte.  A piece is either at most cap - 1 bytes of text
// and that CR, or `cap` bytes of text without one (the line goes on in the
// next piece).  The LF of a line end whose CR filled a piece is not handed
// out as a piece of its own: it would hold nothing but a blank.  Under
// LINE_CLOSE_LAST the last line of the input gets its CR even when the input
// ends without a line end; otherwise it arrives without one.  `lineOpen`
// carries from call to call whether the last piece ended inside its line;
// start it false.  Returns the number of bytes stored (the buffer is
// terminated), or -1 at the end of the input.
int readLinePiece(ByteSource* source, char* buf, int cap, unsigned rules, bool* lineOpen);

// Scanning of a text held in memory, text[0..end): no search reads at or
// past `end`, and a search that finds nothing returns `end`.
// The first position at or after `pos` holding `c`.
size_t scanToByte(const char* text, size_t pos, size_t end, char c);
inline int scanToByte(const char* text, int pos, int end, char c) {
  if (pos >= end) return end;
  return static_cast<int>(
      scanToByte(text, static_cast<size_t>(pos), static_cast<size_t>(end), c));
}
// The last position in [from, to) holding `c`, or -1.
int scanBackToByte(const char* text, int from, int to, char c);
// The first position at or after `pos` where `word` begins.
size_t scanToWord(const char* text, size_t pos, size_t end, const char* word);
inline int scanToWord(const char* text, int pos, int end, const char* word) {
  if (pos >= end) return end;
  return static_cast<int>(
      scanToWord(text, static_cast<size_t>(pos), static_cast<size_t>(end), word));
}
// Whether `word` begins at `pos` (and ends before `end`).
bool wordAt(const char* text, size_t pos, size_t end, const char* word);

// Word-at-a-time scanning: eight bytes of text as one number, the first
// byte in the lowest bits whatever the machine's byte order.
inline uint64_t loadWord(const void* bytes) {
  uint64_t x;
  memcpy(&x, bytes, 8);
  if constexpr (std::endian::native == std::endian::big) {
    uint64_t swapped = 0;
    for (int k = 0; k < 8; k++) swapped |= ((x >> (8 * k)) & 0xFF) << (8 * (7 - k));
    x = swapped;
  }
  return x;
}

inline constexpr uint64_t BYTE_ONES = 0x0101010101010101ull;  // 1 in every byte
inline constexpr uint64_t BYTE_TOPS = 0x8080808080808080ull;  // every byte's top bit

// Marks (top bit set) the bytes of x below `limit` (at most 128): in
// x - limit..limit a byte below the limit gets its top bit set while ~x has
// it set too, and a borrow only starts at such a byte.  The lowest mark is
// always exact; marks above it may be false, so only the first counts.
inline uint64_t marksBelow(uint64_t x, unsigned limit) {
  return (x - limit * BYTE_ONES) & ~x & BYTE_TOPS;
}
// Marks the bytes of x equal to `c` the same way.
inline uint64_t marksOf(uint64_t x, unsigned char c) { return marksBelow(x ^ (c * BYTE_ONES), 1); }
// Marks the bytes of x equal to `c`, every mark exact: adding 0x7F to the
// low seven bits of a byte carries into its top bit unless they are all
// zero, and never into the next byte.
inline uint64_t exactMarksOf(uint64_t x, unsigned char c) {
  uint64_t y = x ^ (c * BYTE_ONES);
  uint64_t low = ~BYTE_TOPS;
  return ~(((y & low) + low) | y | low);
}
// The index (0 to 7) of the last marked byte of exact marks; not 0.
inline int lastMarked(uint64_t marks) { return 7 - std::countl_zero(marks) / 8; }
// The index (0 to 7) of the first marked byte; marks must not be 0.
inline int firstMarked(uint64_t marks) { return std::countr_zero(marks) / 8; }

// The first position at or after `pos` holding any of the bytes a, b, c
// (none of them zero; repeat one for fewer), eight bytes at a time.  In line
// so that the three bytes' patterns fold into constants at each use.
inline size_t scanToAnyOf(const char* text, size_t pos, size_t end, char a, char b, char c) {
  if (pos >= end) return end;
  while (end - pos >= 8) {
    uint64_t x = loadWord(text + pos);
    uint64_t marks = marksOf(x, static_cast<unsigned char>(a)) |
                     marksOf(x, static_cast<unsigned char>(b)) |
                     marksOf(x, static_cast<unsigned char>(c));
    if (marks != 0) return pos + static_cast<size_t>(firstMarked(marks));
    pos += 8;
  }
  while (pos < end && text[pos] != a && text[pos] != b && text[pos] != c) pos++;
  return pos;
}
inline int scanToAnyOf(const char* text, int pos, int end, char a, char b, char c) {
  if (pos >= end) return end;
  return static_cast<int>(scanToAnyOf(text, static_cast<size_t>(pos), static_cast<size_t>(end), a,
                                      b, c));
}
// The same for a list of one to three stops, such as ",}".
inline size_t scanToAny(const char* text, size_t pos, size_t end, const char* stops) {
  size_t count = strlen(stops);
  char a = stops[0];
  return scanToAnyOf(text, pos, end, a, count > 1 ? stops[1] : a, count > 2 ? stops[2] : a);
}

// copyCut (netlist/losses.h) with the common case of a text that fits
// done in line; returns the length stored.
inline size_t cutText(char* dst, int cap, const char* src, size_t len, int kind) {
  if (len > static_cast<size_t>(cap))
    return static_cast<size_t>(copyCut(dst, cap, src, len, kind));
  copyShortBytes(dst, src, len);
  dst[len] = '\0';
  return len;
}

// Appends one byte to the compacted input in textBuffer; `length` counts
// the bytes kept.  The last byte of the buffer stays free for the
// terminator, so nothing is ever written past it.
inline void packByte(int* length, char c) {
  if (*length < TEXT_BUFFER_SIZE - 1) textBuffer[(*length)++] = c;
}

// A blank: a space or a control byte, but not CR (which ends a line in the
// compacted texts).  Bytes 128 to 255 are text (Shift-JIS names survive whole).
inline bool isBlank(char c) {
  unsigned char b = static_cast<unsigned char>(c);
  return b <= 32 && b != '\r';
}

// Index of the first byte at or after `i` that is not a space.
inline int skipSpaces(const char* line, int i, int len) {
  while (i < len && line[i] == ' ') i++;
  return i;
}

// The result of a read that stored no node, whatever the format.
enum : int { READ_NO_NODES = -9 };

// What every read fills: the part and node tables, how many of each it
// stored, and the name of the net whose pins it is reading with its length
// and, once a node stored it, the stored copy its other nodes share.
struct NetlistRead {
  PartRecord* parts;
  NodeRecord* nodes;
  int partsStored;
  int nodesStored;
  char netName[CAP_NET_NAME + 1];
  size_t netNameLen;   // set by netNameWritten
  char* keptNetName;   // null until a node of the net is stored
};

// The record at the start of a read: nothing stored, no net yet.  Reader
// records derive from it and begin as {startRead(parts, nodes), ...}.
inline NetlistRead startRead(PartRecord* parts, NodeRecord* nodes) {
  return {parts, nodes, 0, 0, {}, 0, nullptr};
}

// A reader calls this each time it has written a net name into netName, so
// that the nodes of the net share one stored copy, measured once.
inline void netNameWritten(NetlistRead* read) {
  read->netNameLen = strlen(read->netName);
  read->keptNetName = nullptr;
}

// Stores a part (or, when the table is full, notes its loss).
inline bool storePart(NetlistRead* read, const char* reference, const char* value,
                      const char* pcbAttribute) {
  return addPart(read->parts, &read->partsStored, reference, value, pcbAttribute);
}

// A reader that cuts each text of a part straight into its record as it
// parses it: the record to fill, then storing it once its texts are in.
inline PartRecord* partToFill(NetlistRead* read) {
  return nextPartRecord(read->parts, read->partsStored);
}
inline bool storeFilledPart(NetlistRead* read) { return countPart(read->parts, &read->partsStored); }

// Stores the next node of the current net in the node table (or the spare
// when it is full) and returns whether it was counted.  Texts are cut to
// their capacities.
bool storeNode(NetlistRead* read, const char* reference, size_t referenceLen, const char* pin,
               size_t pinLen);
// The same into any node table, with the net name given (for tests and tools
// that build node tables).
bool addNode(NodeRecord* nodes, int* count, const char* reference, size_t referenceLen,
             const char* pin, size_t pinLen, const char* netName);

// The end of every read: no node stored gives READ_NO_NODES (the out count
// is left alone); otherwise the node count goes out and the part count is
// the result.
inline int finishRead(const NetlistRead* read, int* nodeCountOut) {
  if (read->nodesStored == 0) return READ_NO_NODES;
  *nodeCountOut = read->nodesStored;
  return read->partsStored;
}

// The loop of the line-state readers: every line (TAB read as a space, other
// control bytes dropped) goes to `step` from cursor 0 until the step moves
// the cursor to the line's end; the state carries from line to line.  A step
// returns the new cursor, or a negative result code that ends the read.
// Returns 0 when the input ended, else that code.
template <typename Record>
int readLineSteps(ByteSource* in, Record* reader,
                  int (*step)(Record* reader, const char* line, int i, int len)) {
  char line[READER_LINE_SIZE];
  int len;
  while ((len = readLine(in, line, READER_LINE_MAX, LINE_TAB_AS_SPACE | LINE_DROP_CONTROLS)) >= 0) {
    for (int i = 0; i < len;) {
      i = step(reader, line, i, len);
      if (i < 0) return i;
    }
  }
  return 0;
}
