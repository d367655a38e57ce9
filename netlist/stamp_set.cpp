// The set of component time stamps already given out in one netlist.
#include "netlist/stamp_set.h"

#include <cstring>

#include "netlist/large_tables.h"
#include "netlist/model.h"

namespace {

enum : uint32_t { STAMP_SLOT_BITS = 14, STAMP_SLOTS = 1u << STAMP_SLOT_BITS };
static_assert(static_cast<int>(STAMP_SLOTS) >= 2 * (MAX_PARTS + 1), "the set stays at most half full");

LARGE_TABLE(1) uint32_t stampSlots[STAMP_SLOTS];
LARGE_TABLE(1) bool slotUsed[STAMP_SLOTS];

uint32_t slotOf(uint32_t stamp) { return (stamp * 0x9E3779B1u) >> (32 - STAMP_SLOT_BITS); }

// Whether the stamp is in the set; adds it when it is not.
bool testAndAdd(uint32_t stamp) {
  for (uint32_t s = slotOf(stamp);; s = (s + 1) & (STAMP_SLOTS - 1)) {
    if (!slotUsed[s]) {
      slotUsed[s] = true;
      stampSlots[s] = stamp;
      return false;
    }
    if (stampSlots[s] == stamp) return true;
  }
}

}  // namespace

void clearStampSet() { memset(slotUsed, 0, sizeof slotUsed); }

uint32_t takeStamp(uint32_t hash) {
  while (testAndAdd(hash)) hash++;
  return hash;
}
