// Category part file, its sorted index, and the run's text pool.
//
// The category part file maps a part category (the letters of a reference,
// such as R or IC) and a PCB attribute to a KiCad footprint code.  A run
// reads it into the index, sorts the index by (category, PCB attribute) and
// then looks footprints up with one merge walk over the sorted parts.
#pragma once

#include "netlist/files.h"
#include "netlist/model.h"

enum : int {
  MAX_INDEX = 6000,
  TEXT_POOL_SIZE = 2196384,
  VERSION_TEXT_MAX = 201,  // characters of the version column that are used
};

struct IndexEntry {
  char* category;             // CAP_CATEGORY characters
  char* pcbAttribute;         // CAP_PCB_ATTRIBUTE characters
  const char* footprintCode;  // a text in the text pool
};

extern IndexEntry categoryIndex[MAX_INDEX + 1];
extern int indexCount;

// Empties the index and gives its texts back.
void bindCategoryIndex();

// Empties the text pool.
void clearTextPool();
// Appends `len` bytes of `text` to the pool and returns the stored copy;
// when it does not fit, returns the empty text.
const char* storeInTextPool(const char* text, size_t len);
// Bytes of the pool in use, terminators included.
size_t textPoolUsed();

// Reads the category part file from `in` into the index (rows filtered by
// `versionSelect`) and sorts it by (category, PCB attribute).  Lines are
// read into the shared text buffer; the caller closes the file.
void loadCategoryIndex(ByteSource* in, const char* versionSelect);

// Reads one row (a line after the header, line end included, `len` bytes
// up to its terminator) and adds its entries to the index.  Returns the
// number of entries the row gave (those past the capacity included), 0
// when the row was skipped.
int readCategoryRow(const char* line, size_t len, const char* versionSelect);

// Whether the line is the header of the category part file.
bool isCategoryHeader(const char* line);

// Stable sort of the index by (category, PCB attribute).
void sortCategoryIndex();

// Writes one "(dup index)" line per duplicate key of the sorted index into
// the report; returns their count.
int writeDuplicateIndexLines(TextOut* report);

// Orders two keys the way the sorted index is ordered: negative, 0 or
// positive.
int compareIndexKey(const char* categoryA, const char* pcbA, const char* categoryB,
                    const char* pcbB);

// A merge walk over the sorted index.  Keys must be asked for in ascending
// key order; each ask moves the walk forward, so a whole sorted sequence is
// matched in one pass.  Of several entries with the same key the first in
// index order answers.
struct IndexWalk {
  int next;  // first entry whose key is not below the last key asked for
};

void startIndexWalk(IndexWalk* walk);
// The footprint code of the entry with exactly this key, or null.
const char* walkIndexTo(IndexWalk* walk, const char* category, const char* pcbAttribute);

// One lookup without a walk (a binary search), for single keys.
const char* findIndexFootprint(const char* category, const char* pcbAttribute);
