// Category part file, its sorted index, and the run's text pool.
#pragma once

#include "netlist/files.h"
#include "netlist/model.h"

enum : int {
  MAX_INDEX = 6000,
  TEXT_POOL_SIZE = 2196384,
};

struct IndexEntry {
  char* category;             // CAP_CATEGORY characters
  char* pcbAttribute;         // CAP_PCB_ATTRIBUTE characters
  const char* footprintCode;  // a text in the text pool
};

extern IndexEntry categoryIndex[MAX_INDEX + 1];
extern int indexCount;

// Binds every index entry (spare included) to its text storage.
void bindCategoryIndex();

// Empties the text pool.
void clearTextPool();
// Appends `len` bytes of `text` to the pool and returns the stored copy;
// when it does not fit, returns the empty text.
const char* storeInTextPool(const char* text, size_t len);

// Reads the category part file from `in` into the index (rows filtered by
// `versionSelect`) and sorts it by (category, PCB attribute).
void loadCategoryIndex(ByteSource* in, const char* versionSelect);

// Writes one "(dup index)" line per duplicate key of the sorted index into
// the report; returns their count.
int writeDuplicateIndexLines(TextOut* report);
