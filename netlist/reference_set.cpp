// Hash set of part references.
#include "netlist/reference_set.h"

#include <cstdint>
#include <cstring>

namespace {

enum : uint32_t { SLOTS = 16384 };  // a power of two above twice MAX_PARTS
static_assert(SLOTS > 2 * MAX_PARTS, "the set must stay at most half full");

const char* slots[SLOTS];

uint32_t hashText(const char* text) {
  uint32_t h = 2166136261u;  // FNV-1a over the bytes
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; p++)
    h = (h ^ *p) * 16777619u;
  return h;
}

}  // namespace

void fillReferenceSet(const PartRecord* parts, int count) {
  memset(slots, 0, sizeof slots);
  for (int i = 0; i < count; i++) {
    const char* reference = parts[i].reference;
    uint32_t at = hashText(reference) & (SLOTS - 1);
    while (slots[at] != nullptr && strcmp(slots[at], reference) != 0) at = (at + 1) & (SLOTS - 1);
    slots[at] = reference;
  }
}

bool referenceSetHas(const char* reference) {
  uint32_t at = hashText(reference) & (SLOTS - 1);
  while (slots[at] != nullptr) {
    if (strcmp(slots[at], reference) == 0) return true;
    at = (at + 1) & (SLOTS - 1);
  }
  return false;
}
