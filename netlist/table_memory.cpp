// The record tables and their interleaved text storage.
#include "netlist/table_memory.h"

#include "netlist/large_tables.h"

LARGE_TABLE(4) TableMemory tableMemory;

PartRecord (&partTable)[MAX_PARTS + 1] = tableMemory.parts;
NodeRecord (&nodeTable)[MAX_NODES + 1] = tableMemory.nodes;
uint8_t (&nodeReferenceFlags)[MAX_NODES + 1] = tableMemory.nodeReferenceFlags;
SortItem (&sortItems)[MAX_NODES + 1] = tableMemory.sortItems;
SortItem (&sortItemScratch)[MAX_NODES + 1] = tableMemory.sortItemScratch;
