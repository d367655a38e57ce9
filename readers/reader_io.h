// Byte-level helpers shared by the netlist readers.
#pragma once

#include <cstddef>

#include "netlist/files.h"
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
// The first position at or after `pos` holding any byte of `stops`.
size_t scanToAny(const char* text, size_t pos, size_t end, const char* stops);
// The first position at or after `pos` where `word` begins.
size_t scanToWord(const char* text, size_t pos, size_t end, const char* word);
// Whether `word` begins at `pos` (and ends before `end`).
bool wordAt(const char* text, size_t pos, size_t end, const char* word);

// Appends one byte to the compacted input in textBuffer; `length` counts
// the bytes kept.  The last byte of the buffer stays free for the
// terminator, so nothing is ever written past it.
inline void packByte(int* length, char c) {
  if (*length < TEXT_BUFFER_SIZE - 1) textBuffer[(*length)++] = c;
}

// Index of the first byte at or after `i` that is not a space.
inline int skipSpaces(const char* line, int i, int len) {
  while (i < len && line[i] == ' ') i++;
  return i;
}

// Stores the next node in the node table (or the spare when it is full) and
// returns whether it was counted.  Texts are cut to their capacities.
bool addNode(NodeRecord* nodes, int* count, const char* reference, size_t referenceLen,
             const char* pin, size_t pinLen, const char* netName);

// The end of every read: no node stored gives -9 (the out count is left
// alone); otherwise the node count goes out and the part count is the result.
inline int finishRead(int partsStored, int nodesStored, int* nodeCountOut) {
  if (nodesStored == 0) return -9;
  *nodeCountOut = nodesStored;
  return partsStored;
}
