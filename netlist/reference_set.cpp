// Hash set of reference texts.
#include "netlist/reference_set.h"

#include <cstdint>
#include <cstring>

#include "netlist/large_tables.h"

namespace {

enum : uint32_t { MAX_SLOTS = 16384, MIN_SLOTS = 64 };  // a power of two above twice MAX_PARTS
static_assert(MAX_SLOTS > 2 * MAX_PARTS, "the set must stay at most half full");

struct Slot {
  const char* text;
  int number;
};

LARGE_TABLE(1) Slot slots[MAX_SLOTS];
uint32_t mask = MIN_SLOTS - 1;

uint32_t hashText(const char* text) {
  uint32_t h = 2166136261u;  // FNV-1a over the bytes
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; p++)
    h = (h ^ *p) * 16777619u;
  return h;
}

}  // namespace

void startReferenceSet(int capacity) {
  uint32_t size = MIN_SLOTS;
  while (size < MAX_SLOTS && size <= 2u * static_cast<uint32_t>(capacity)) size *= 2;
  mask = size - 1;
  memset(slots, 0, size * sizeof slots[0]);
}

void addToReferenceSet(const char* text, int number) {
  uint32_t at = hashText(text) & mask;
  while (slots[at].text != nullptr) {
    if (strcmp(slots[at].text, text) == 0) return;
    at = (at + 1) & mask;
  }
  slots[at].text = text;
  slots[at].number = number;
}

int findInReferenceSet(const char* text) {
  uint32_t at = hashText(text) & mask;
  while (slots[at].text != nullptr) {
    if (strcmp(slots[at].text, text) == 0) return slots[at].number;
    at = (at + 1) & mask;
  }
  return -1;
}

void fillReferenceSet(const PartRecord* parts, int count) {
  startReferenceSet(count);
  for (int i = 0; i < count; i++) addToReferenceSet(parts[i].reference, i);
}

bool referenceSetHas(const char* reference) { return findInReferenceSet(reference) >= 0; }
