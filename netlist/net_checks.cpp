// Duplicate references and pins in two nets, found with the open-addressing
// table of record numbers that the group sorts use too.
#include "netlist/net_checks.h"

#include <cstdint>
#include <cstring>

#include "netlist/group_sort.h"
#include "netlist/large_tables.h"
#include "netlist/losses.h"
#include "netlist/text.h"

// The record slots (netlist/group_sort.h).
LARGE_TABLE(1) int16_t recordSlots[RECORD_SLOTS];

namespace {

static_assert(20u * MAX_NODES < 13u * RECORD_SLOTS, "the table must stay at most 65% full");

// Index + 1 of the first record with a key; negative once that key was noted.
int16_t (&slots)[RECORD_SLOTS] = recordSlots;
uint32_t mask;

// The slot of the key (a, b): the one holding a record with that key, or the
// empty one where it belongs.  `keyOf` gives a record's key.
template <typename KeyOf>
uint32_t findSlot(const char* a, const char* b, KeyOf keyOf) {
  uint32_t at = hashText(hashText(HASH_START, a), b) & mask;
  while (slots[at] != 0) {
    const char* ka;
    const char* kb;
    keyOf((slots[at] < 0 ? -slots[at] : slots[at]) - 1, &ka, &kb);
    if (strcmp(ka, a) == 0 && strcmp(kb, b) == 0) break;
    at = (at + 1) & mask;
  }
  return at;
}

}  // namespace

void checkDuplicateReferences(const PartRecord* parts, int count) {
  mask = startRecordSlots(count);
  auto keyOf = [parts](int i, const char** a, const char** b) {
    *a = parts[i].reference;
    *b = "";
  };
  for (int i = 0; i < count; i++) {
    uint32_t at = findSlot(parts[i].reference, "", keyOf);
    if (slots[at] == 0) slots[at] = static_cast<int16_t>(i + 1);
    else noteLoss(LOSS_DUPLICATE_REFERENCE, parts[i].reference, strlen(parts[i].reference));
  }
}

void checkPinsInTwoNets(const NodeRecord* nodes, int count, const uint32_t* referenceHashes) {
  // Each node's key hash, so that probing passes other keys on the hash alone.
  LARGE_TABLE(1) static uint32_t keyHashes[MAX_NODES + 1];
  mask = startRecordSlots(count);
  for (int i = 0; i < count; i++) {
    const NodeRecord& node = nodes[i];
    if (node.reference[0] == '\0') continue;
    uint32_t hash = hashText(referenceHashes[i], node.pin);
    keyHashes[i] = hash;
    uint32_t at = hash & mask;
    for (;;) {
      int slot = slots[at];
      if (slot == 0) break;
      int first = (slot < 0 ? -slot : slot) - 1;
      if (keyHashes[first] == hash && strcmp(nodes[first].reference, node.reference) == 0 &&
          strcmp(nodes[first].pin, node.pin) == 0)
        break;
      at = (at + 1) & mask;
    }
    if (slots[at] == 0) {
      slots[at] = static_cast<int16_t>(i + 1);
    } else if (slots[at] > 0 && !textEquals(nodes[slots[at] - 1].netName, node.netName)) {
      noteLoss(LOSS_PIN_IN_TWO_NETS, node.reference, strlen(node.reference), '.', node.pin,
               strlen(node.pin));
      slots[at] = static_cast<int16_t>(-slots[at]);
    }
  }
}
