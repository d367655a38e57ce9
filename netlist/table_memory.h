// Where the record tables and their texts live.
//
// Every record's texts sit at an address computed from its table and
// index, and the texts of the four tables (parts, nodes, previous rows,
// index entries) are interleaved in chunks: chunk k holds the texts of
// records [k * n, (k + 1) * n) of each table.  A small board so touches
// one dense stretch of memory, and a run touches only the memory its
// records use.  The node and part records, the sort items and the first
// text chunk share the first 2 MB, which the run requests as one huge page.
#pragma once

#include <cstdint>

#include "netlist/key_sort.h"
#include "netlist/model.h"

enum RecordKind : int { PART_TEXTS, NODE_TEXTS, ROW_TEXTS, ENTRY_TEXTS, RECORD_KINDS };

enum : int {
  PART_TEXT_BYTES = (CAP_STATUS + 1) + (CAP_FORCED_MARK + 1) + (CAP_CATEGORY + 1) +
                    (CAP_REFERENCE + 1) + (CAP_VALUE + 1) + (CAP_PCB_ATTRIBUTE + 1),
  NODE_TEXT_BYTES = (CAP_REFERENCE + 1) + (CAP_PIN + 1) + (CAP_NET_NAME + 1),
  ROW_TEXT_BYTES = (CAP_VALUE + 1) + (CAP_CATEGORY + 1) + (CAP_REFERENCE + 1) +
                   (CAP_PCB_ATTRIBUTE + 1) + (CAP_FORCED_MARK + 1),
  ENTRY_TEXT_BYTES = (CAP_CATEGORY + 1) + (CAP_PCB_ATTRIBUTE + 1),
  // Records of each kind per chunk: the part, row and entry tables hold
  // 6000 records and the node table 20000, so each fills the same chunks.
  PARTS_PER_CHUNK = 96,
  NODES_PER_CHUNK = 320,
  TEXT_CHUNKS = (MAX_NODES + 1 + NODES_PER_CHUNK - 1) / NODES_PER_CHUNK,
  TEXT_CHUNK_BYTES = PARTS_PER_CHUNK * (PART_TEXT_BYTES + ROW_TEXT_BYTES + ENTRY_TEXT_BYTES) +
                     NODES_PER_CHUNK * NODE_TEXT_BYTES,
};
static_assert(TEXT_CHUNKS * PARTS_PER_CHUNK >= MAX_PARTS + 1, "every part, row and entry has texts");

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
  char texts[TEXT_CHUNKS][TEXT_CHUNK_BYTES];
};

extern TableMemory tableMemory;

// The texts of record `index` of a kind: its fields one after another,
// each with room for its capacity and terminator.  Inline, so that every
// caller's kind is a constant and the chunk arithmetic divides by constants.
inline char* recordTexts(RecordKind kind, int index) {
  enum : int {
    NODE_OFFSET = PARTS_PER_CHUNK * PART_TEXT_BYTES,
    ROW_OFFSET = NODE_OFFSET + NODES_PER_CHUNK * NODE_TEXT_BYTES,
    ENTRY_OFFSET = ROW_OFFSET + PARTS_PER_CHUNK * ROW_TEXT_BYTES,
  };
  switch (kind) {
    case NODE_TEXTS:
      return tableMemory.texts[index / NODES_PER_CHUNK] + NODE_OFFSET +
             index % NODES_PER_CHUNK * NODE_TEXT_BYTES;
    case ROW_TEXTS:
      return tableMemory.texts[index / PARTS_PER_CHUNK] + ROW_OFFSET +
             index % PARTS_PER_CHUNK * ROW_TEXT_BYTES;
    case ENTRY_TEXTS:
      return tableMemory.texts[index / PARTS_PER_CHUNK] + ENTRY_OFFSET +
             index % PARTS_PER_CHUNK * ENTRY_TEXT_BYTES;
    default:
      return tableMemory.texts[index / PARTS_PER_CHUNK] + index % PARTS_PER_CHUNK * PART_TEXT_BYTES;
  }
}

// Hands out the next field of a record's texts: returns *cursor and moves
// it past `cap` characters and a terminator.
inline char* takeField(char** cursor, int cap) {
  char* field = *cursor;
  *cursor += cap + 1;
  return field;
}
