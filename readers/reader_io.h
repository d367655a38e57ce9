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
};

// Reads one line into buf (at most `cap` characters, terminated).  A line
// ends at a CR (a LF right after it belongs to the same line end), at a LF
// alone, after `cap` stored bytes (the next byte begins the next line), or at
// the end of the input.  The line end is not stored.  Returns the number of
// bytes stored, or -1 when the input ended before the line had any byte,
// line end or dropped byte.
int readLine(ByteSource* source, char* buf, int cap, unsigned rules);

// Index of the first byte at or after `i` that is not a space.
inline int skipSpaces(const char* line, int i, int len) {
  while (i < len && line[i] == ' ') i++;
  return i;
}

// Stores the next node in the node table (or the spare when it is full) and
// returns whether it was counted.  Texts are cut to their capacities.
bool addNode(NodeRecord* nodes, int* count, const char* reference, size_t referenceLen,
             const char* pin, size_t pinLen, const char* netName);

// Turns every TAB of a buffer into a space.
void tabsToSpaces(char* bytes, size_t len);

// Reader entry points, selected by the run through the input format.
int readCadvanceNetlist(ByteSource* in, PartRecord* parts, NodeRecord* nodes, int* nodeCountOut);
int readMm2ColmoNetlist(ByteSource* in, PartRecord* parts, NodeRecord* nodes, int* nodeCountOut);
int readProtelNetlist(ByteSource* in, PartRecord* parts, NodeRecord* nodes, int* nodeCountOut);
int readTelesisNetlist(ByteSource* in, PartRecord* parts, NodeRecord* nodes, int* nodeCountOut);
int readCcfNetlist(ByteSource* in, PartRecord* parts, NodeRecord* nodes, int* nodeCountOut);
int readPadsNetlist(ByteSource* in, PartRecord* parts, NodeRecord* nodes, int* nodeCountOut);
