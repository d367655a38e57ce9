// The items of the group sorts and the clearing of the record slots
// (which netlist/net_checks.cpp holds).
#include "netlist/group_sort.h"

#include "netlist/table_memory.h"

// Normalisation's net order is free outside normalisation, and the group
// sorts never run inside it.
SortItem (&groupItems)[MAX_NODES + 1] = tableMemory.netOrder;

uint32_t startRecordSlots(int count) {
  uint32_t size = 64;
  while (size < RECORD_SLOTS && size <= 2u * static_cast<uint32_t>(count)) size *= 2;
  memset(recordSlots, 0, size * sizeof recordSlots[0]);
  return size - 1;
}
