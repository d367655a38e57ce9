// The record tables and their interleaved text storage.
#include "netlist/table_memory.h"
#include "netlist/large_tables.h"

LARGE_TABLE(4) TableMemory tableMemory;

PartRecord (&partTable)[MAX_PARTS + 1] = tableMemory.parts;
NodeRecord (&nodeTable)[MAX_NODES + 1] = tableMemory.nodes;
uint8_t (&nodeReferenceFlags)[MAX_NODES + 1] = tableMemory.nodeReferenceFlags;
SortItem (&sortItems)[MAX_NODES + 1] = tableMemory.sortItems;
SortItem (&sortItemScratch)[MAX_NODES + 1] = tableMemory.sortItemScratch;

char* recordTexts(RecordKind kind, int index) {
  static const int perChunk[RECORD_KINDS] = {PARTS_PER_CHUNK, NODES_PER_CHUNK, PARTS_PER_CHUNK,
                                             PARTS_PER_CHUNK};
  static const int bytes[RECORD_KINDS] = {PART_TEXT_BYTES, NODE_TEXT_BYTES, ROW_TEXT_BYTES,
                                          ENTRY_TEXT_BYTES};
  static const int offset[RECORD_KINDS] = {
      0, PARTS_PER_CHUNK * PART_TEXT_BYTES,
      PARTS_PER_CHUNK * PART_TEXT_BYTES + NODES_PER_CHUNK * NODE_TEXT_BYTES,
      PARTS_PER_CHUNK * (PART_TEXT_BYTES + ROW_TEXT_BYTES) + NODES_PER_CHUNK * NODE_TEXT_BYTES};
  int chunk = index / perChunk[kind];
  int slot = index % perChunk[kind];
  return tableMemory.texts[chunk] + offset[kind] + slot * bytes[kind];
}
