// Duplicate references and pins in two nets, found with one open-addressing
// hash table of record indexes sized for the node table.
#include "netlist/net_checks.h"

#include <cstdint>
#include <cstring>

#include "netlist/large_tables.h"
#include "netlist/losses.h"

namespace {

// A power of two above MAX_NODES / 0.65, in 16-bit slots: 64 KB that a run
// touches, where every page costs a fault the first time.
enum : uint32_t { SLOTS = 32768 };
static_assert(20u * MAX_NODES < 13u * SLOTS, "the table must stay at most 65% full");
static_assert(MAX_NODES + 1 <= INT16_MAX, "an index + 1 must fit in a slot");

// Index + 1 of the first record with a key; negative once that key was noted.
LARGE_TABLE(1) int16_t slots[SLOTS];

uint32_t hashBytes(uint32_t h, const char* text) {
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; p++)
    h = (h ^ *p) * 16777619u;
  return (h ^ 0xFFu) * 16777619u;  // the terminator too, so "R1"+"2" differs from "R"+"12"
}

// The slot of the key (a, b): the one holding a record with that key, or the
// empty one where it belongs.  `keyOf` gives a record's key.
template <typename KeyOf>
uint32_t findSlot(const char* a, const char* b, KeyOf keyOf) {
  uint32_t at = hashBytes(hashBytes(2166136261u, a), b) & (SLOTS - 1);
  while (slots[at] != 0) {
    const char* ka;
    const char* kb;
    keyOf((slots[at] < 0 ? -slots[at] : slots[at]) - 1, &ka, &kb);
    if (strcmp(ka, a) == 0 && strcmp(kb, b) == 0) break;
    at = (at + 1) & (SLOTS - 1);
  }
  return at;
}

}  // namespace

void checkDuplicateReferences(const PartRecord* parts, int count) {
  memset(slots, 0, sizeof slots);
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

void checkPinsInTwoNets(const NodeRecord* nodes, int count) {
  memset(slots, 0, sizeof slots);
  auto keyOf = [nodes](int i, const char** a, const char** b) {
    *a = nodes[i].reference;
    *b = nodes[i].pin;
  };
  for (int i = 0; i < count; i++) {
    const NodeRecord& node = nodes[i];
    if (node.reference[0] == '\0') continue;
    uint32_t at = findSlot(node.reference, node.pin, keyOf);
    if (slots[at] == 0) {
      slots[at] = static_cast<int16_t>(i + 1);
    } else if (slots[at] > 0 && strcmp(nodes[slots[at] - 1].netName, node.netName) != 0) {
      noteLoss(LOSS_PIN_IN_TWO_NETS, node.reference, strlen(node.reference), '.', node.pin,
               strlen(node.pin));
      slots[at] = static_cast<int16_t>(-slots[at]);
    }
  }
}
