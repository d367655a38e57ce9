// Lines of the run's own files (the category part file, the previous
// report): read into the shared text buffer whole, up to RUN_LINE_MAX bytes.
#pragma once

#include "netlist/files.h"

// Reads the next line as readFileLine does with RUN_LINE_MAX.  A longer
// line keeps its first RUN_LINE_MAX bytes; the rest of it, up to and with
// its line feed, is skipped (never read as a line of its own) and noted as a
// loss of `lossKind`.  Returns the length stored, or -1 at the end.
int readOwnLine(ByteSource* in, bool textMode, int lossKind);

// The length of the line just read (`len` bytes) without its line end.
size_t lineText(int len);
