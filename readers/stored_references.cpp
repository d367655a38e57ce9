// A growing hash set of part references: open addressing over the parts'
// table indices (slot value index + 1, 0 for a free slot), linear probing.
#include "readers/stored_references.h"

#include <cstdint>
#include <cstring>

#include "netlist/large_tables.h"

namespace {

enum : uint32_t { SLOT_COUNT = 1u << 14 };  // over twice MAX_PARTS: probes stay short
static_assert(SLOT_COUNT > 2u * MAX_PARTS, "the set must stay at most half full");

LARGE_TABLE(1) int slotIndex[SLOT_COUNT];  // part index + 1, or 0
const PartRecord* setParts;
int addedCount;

uint32_t hashBytes(const char* bytes, size_t len) {
  uint32_t h = 2166136261u;
  for (size_t i = 0; i < len; i++) h = (h ^ static_cast<unsigned char>(bytes[i])) * 16777619u;
  return h;
}

bool holds(int part, const char* bytes, size_t len) {
  const char* reference = setParts[part].reference;
  return strncmp(reference, bytes, len) == 0 && reference[len] == '\0' &&
         memchr(bytes, '\0', len) == nullptr;
}

}  // namespace

void clearStoredReferences() {
  // The slots are cleared when the set is first filled: most reads never
  // need the set, and clearing it would touch 64 KB for nothing.
  setParts = nullptr;
  addedCount = 0;
}

void addStoredReferences(const PartRecord* parts, int count) {
  if (setParts == nullptr) memset(slotIndex, 0, sizeof slotIndex);
  setParts = parts;
  for (; addedCount < count; addedCount++) {
    const char* reference = parts[addedCount].reference;
    size_t len = strlen(reference);
    uint32_t slot = hashBytes(reference, len) & (SLOT_COUNT - 1);
    for (; slotIndex[slot] != 0; slot = (slot + 1) & (SLOT_COUNT - 1))
      if (holds(slotIndex[slot] - 1, reference, len)) break;
    if (slotIndex[slot] == 0) slotIndex[slot] = addedCount + 1;
  }
}

bool hasStoredReference(const char* bytes, size_t len) {
  if (setParts == nullptr) return false;
  uint32_t slot = hashBytes(bytes, len) & (SLOT_COUNT - 1);
  for (; slotIndex[slot] != 0; slot = (slot + 1) & (SLOT_COUNT - 1))
    if (holds(slotIndex[slot] - 1, bytes, len)) return true;
  return false;
}
