// Whether an output path names one of the files a run reads.
#pragma once

#include <cstdio>

// True when `path` is, by file identity (links and other spellings
// included), the open input netlist, the category part file, or one of the
// reports of the input netlist `inputPath` (its "_f??.csv" files).  A path
// that names nothing yet is none of them.
bool isRunInput(const char* path, FILE* input, const char* categoryPath, const char* inputPath);
