// Where the record tables live.
//
// The node and part records and the sort items come first, and the chunks
// that hold the records' texts (netlist/text_store.h) follow them, so that
// a small board's records and texts share the first 2 MB, which the run
// requests as one huge page, and a full board's texts follow its records
// densely.
#pragma once

#include <cstdint>

#include "netlist/key_sort.h"
#include "netlist/model.h"
#include "netlist/text_store.h"

// A huge page's alignment where the object format allows it (ELF); PE
// objects align to at most 8 KB, and Windows asks for no huge pages.
#ifdef _WIN32
enum : int { TABLE_MEMORY_ALIGNMENT = 4096 };
#else
enum : int { TABLE_MEMORY_ALIGNMENT = 2 * 1024 * 1024 };
#endif

struct alignas(TABLE_MEMORY_ALIGNMENT) TableMemory {
  NodeRecord nodes[MAX_NODES + 1];
  PartRecord parts[MAX_PARTS + 1];
  SortItem sortItems[MAX_NODES + 1];
  SortItem sortItemScratch[MAX_NODES + 1];
  SortItem netOrder[MAX_NODES + 1];           // nodes in net order: their reader positions
  uint8_t readerOrderFlags[MAX_NODES + 1];    // node flags before the nodes are sorted
  uint8_t nodeReferenceFlags[MAX_NODES + 1];
  alignas(64) char textChunks[TEXT_CHUNKS][TEXT_CHUNK_BYTES];  // also room for records
  char textTail[8];  // read past the last chunk's last terminator
};

extern TableMemory tableMemory;

// Hands out the next field of a record's texts: returns *cursor and moves
// it past `cap` characters and a terminator.
inline char* takeField(char** cursor, int cap) {
  char* field = *cursor;
  *cursor += cap + 1;
  return field;
}
