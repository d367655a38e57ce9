// Hash set of reference texts.
#include "netlist/reference_set.h"

#include <cstdint>
#include <cstring>

#include "netlist/group_sort.h"
#include "netlist/large_tables.h"

namespace {

enum : uint32_t { MAX_SLOTS = 16384, MIN_SLOTS = 64 };  // a power of two above twice MAX_PARTS
static_assert(MAX_SLOTS > 2 * MAX_PARTS, "the set must stay at most half full");

struct Slot {
  const char* text;
  int number;
  uint32_t hash;  // of the text: most other texts met while probing differ in it
};

LARGE_TABLE(1) Slot slots[MAX_SLOTS];
uint32_t mask = MIN_SLOTS - 1;

// References are short: a loop here costs less than a call to strcmp.
bool sameText(const char* a, const char* b) {
  for (; *a == *b; a++, b++)
    if (*a == '\0') return true;
  return false;
}

// The slot holding the text, or the free one where it belongs.
uint32_t slotOf(const char* text, uint32_t hash) {
  uint32_t at = hash & mask;
  while (slots[at].text != nullptr &&
         (slots[at].hash != hash || !sameText(slots[at].text, text)))
    at = (at + 1) & mask;
  return at;
}

}  // namespace

void startReferenceSet(int capacity) {
  uint32_t size = MIN_SLOTS;
  while (size < MAX_SLOTS && size <= 2u * static_cast<uint32_t>(capacity)) size *= 2;
  mask = size - 1;
  memset(slots, 0, size * sizeof slots[0]);
}

bool addToReferenceSet(const char* text, int number, uint32_t hash) {
  uint32_t at = slotOf(text, hash);
  if (slots[at].text != nullptr) return false;
  slots[at] = Slot{text, number, hash};
  return true;
}

bool addToReferenceSet(const char* text, int number) {
  return addToReferenceSet(text, number, hashText(HASH_START, text));
}

int findInReferenceSet(const char* text, uint32_t hash) {
  uint32_t at = slotOf(text, hash);
  return slots[at].text != nullptr ? slots[at].number : -1;
}

int findInReferenceSet(const char* text) { return findInReferenceSet(text, hashText(HASH_START, text)); }

void fillReferenceSet(const PartRecord* parts, int count) {
  startReferenceSet(count);
  for (int i = 0; i < count; i++) addToReferenceSet(parts[i].reference, i);
}

bool referenceSetHas(const char* reference) { return findInReferenceSet(reference) >= 0; }
