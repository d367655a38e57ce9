// Netlist model tables, their binding to text storage, and normalisation.
#include "netlist/model.h"

#include <bit>
#include <cstring>

#include "netlist/group_sort.h"
#include "netlist/key_sort.h"
#include "netlist/large_tables.h"
#include "netlist/losses.h"
#include "netlist/net_checks.h"
#include "netlist/reference_set.h"
#include "netlist/table_memory.h"
#include "netlist/text.h"
#include "netlist/text_class.h"
#include "netlist/text_store.h"

int partCount;
int nodeCount;
LARGE_TABLE(2) char textBuffer[TEXT_BUFFER_SIZE];
const char emptyText[1] = {'\0'};

namespace {

// Lambdas rather than functions, so that each sort inlines its packing.
// Node texts are stored texts (netlist/text_store.h), so they pack eight
// bytes at a time.
const auto packReference = [](const NodeRecord& node, KeyPacker& key) {
  key.storedText(node.reference);
};
const auto packNet = [](const NodeRecord& node, KeyPacker& key) { key.storedText(node.netName); };
const auto packInNet = [](const NodeRecord& node, KeyPacker& key) {
  key.storedText(node.reference).storedText(node.pin);
};

uint8_t (&readerOrderFlags)[MAX_NODES + 1] = tableMemory.readerOrderFlags;
SortItem (&netOrder)[MAX_NODES + 1] = tableMemory.netOrder;

// Pin clean-up: an optional "P$" and leading zeros before a plain number go;
// a pin made only of zeros keeps one '0'.
void cleanPin(char* pin) {
  size_t k = (pin[0] == 'P' && pin[1] == '$') ? 2 : 0;
  if (pin[k] == '0') {
    size_t z = k;
    while (pin[z] == '0') z++;
    if (pin[z] == '\0') {
      k = z - 1;
    } else {
      bool digits = true;
      for (size_t i = z; pin[i] != '\0'; i++)
        if (pin[i] < '0' || pin[i] > '9') digits = false;
      if (digits) k = z;
    }
  }
  if (k > 0) memmove(pin, pin + k, strlen(pin + k) + 1);
}

// A hash of a stored reference, read eight bytes at a time (readable bytes
// follow every stored text; those after the terminator are masked off).
// With `cut`, the reference is first ended at its first ':'.  Equal
// references hash alike, cut or not.
template <bool cut>
uint32_t hashStoredReference(char* reference) {
  constexpr uint64_t COLONS = 0x3A3A3A3A3A3A3A3Au;
  constexpr uint64_t MIX = 0x9E3779B97F4A7C15u;
  uint64_t h = 0;
  for (char* p = reference;; p += 8) {
    uint64_t word = loadBigEndian(p);
    uint64_t stops = zeroBytes(word) | (cut ? zeroBytes(word ^ COLONS) : 0);
    if (stops == 0) {
      h = (h + word) * MIX;
      continue;
    }
    int at = std::countl_zero(stops) / 8;  // the first stop byte
    if (cut) p[at] = '\0';
    uint64_t kept = at == 0 ? 0 : word >> (64 - 8 * at);
    h = (h + kept + 1) * MIX;
    return static_cast<uint32_t>(h >> 32);
  }
}

// Appends a part with this reference and empty value and PCB attribute.
void appendDerivedPart(PartRecord* parts, int* count, const char* reference) {
  PartRecord& part = *partRecordToFill(parts, *count);
  copyText(part.reference, CAP_REFERENCE, reference);
  keepPartTexts(&part);
  (*count)++;
}

// Gives a part to each distinct reference of the nodes that `items` index
// (sorted by reference), in byte order, while the table has room, and flags
// each of those nodes with whether its reference now has a part.
void deriveParts(const SortItem* items, int n, const NodeRecord* nodes, PartRecord* parts,
                 int* count) {
  const char* previous = emptyText;
  uint8_t flags = 0;
  for (int i = 0; i < n; i++) {
    const char* reference = nodes[items[i].index].reference;
    if (strcmp(reference, previous) != 0) {
      previous = reference;
      flags = 0;
      if (*count < MAX_PARTS) {
        appendDerivedPart(parts, count, reference);
        size_t len;
        flags = NODE_HAS_PART | classifyText(reference, &len);
      }
    }
    readerOrderFlags[items[i].index] = flags;
  }
}

}  // namespace

namespace {

// Texts of their own at their capacities for every part and node record,
// for bindNetlistTables; a run never touches them.  Readable bytes follow
// the last ones.
struct BoundTexts {
  char parts[MAX_PARTS + 1][PART_TEXT_ROOM];
  char nodes[MAX_NODES + 1][NODE_TEXT_ROOM];
  char tail[8];
};
LARGE_TABLE(6) BoundTexts boundTexts;

// Points a part's fields into its room (PART_TEXT_ROOM bytes): the category,
// then reference, value and PCB attribute, each at its capacity.
void bindPart(PartRecord& p, char* room) {
  p.refNumber = 0;
  p.numericValue = 0;
  p.footprint = emptyText;
  p.status = emptyText;
  p.forcedMark = emptyText;
  p.category = takeField(&room, CAP_CATEGORY);
  p.reference = takeField(&room, CAP_REFERENCE);
  p.value = takeField(&room, CAP_VALUE);
  p.pcbAttribute = takeField(&room, CAP_PCB_ATTRIBUTE);
}

}  // namespace

void bindNetlistTables() {
  startNetlistTables();
  for (int i = 0; i <= MAX_PARTS; i++) bindPart(partTable[i], boundTexts.parts[i]);
  for (int i = 0; i <= MAX_NODES; i++) {
    char* room = boundTexts.nodes[i];
    nodeTable[i].reference = takeField(&room, CAP_REFERENCE);
    nodeTable[i].pin = takeField(&room, CAP_PIN);
    nodeTable[i].netName = takeField(&room, CAP_NET_NAME);
  }
}

void startNetlistTables() {
  startTexts(PART_TEXTS);
  startTexts(NODE_TEXTS);
  partCount = 0;
  nodeCount = 0;
}

PartRecord* partRecordToFill(PartRecord* parts, int index) {
  PartRecord& p = parts[index];
  bindPart(p, index < MAX_PARTS ? reserveTexts(PART_TEXTS, PART_TEXT_ROOM, index)
                                : spareTexts(PART_TEXTS));
  p.category[0] = '\0';
  p.reference[0] = '\0';
  p.value[0] = '\0';
  p.pcbAttribute[0] = '\0';
  return &p;
}

// The category keeps its room at the start; the other texts follow it.
void keepPartTexts(PartRecord* part) {
  char* room = part->category;
  if (room == spareTexts(PART_TEXTS)) return;
  char* to = room + CAP_CATEGORY + 1;
  to = packText(&part->reference, to);
  to = packText(&part->value, to);
  to = packText(&part->pcbAttribute, to);
  keepTexts(PART_TEXTS, room + PART_TEXT_ROOM, to);
}

bool addPart(PartRecord* parts, int* count, const char* reference, const char* value,
             const char* pcbAttribute) {
  PartRecord& part = *nextPartRecord(parts, *count);
  copyCut(part.reference, CAP_REFERENCE, reference, strlen(reference), LOSS_CUT_REFERENCE);
  copyCut(part.value, CAP_VALUE, value, strlen(value), LOSS_CUT_VALUE);
  copyCut(part.pcbAttribute, CAP_PCB_ATTRIBUTE, pcbAttribute, strlen(pcbAttribute),
          LOSS_CUT_PCB_ATTRIBUTE);
  return countPart(parts, count);
}

PartRecord* nextPartRecord(PartRecord* parts, int count) {
  return partRecordToFill(parts, count < MAX_PARTS ? count : MAX_PARTS);
}

bool countPart(PartRecord* parts, int* count) {
  if (*count >= MAX_PARTS) {
    const char* reference = parts[MAX_PARTS].reference;
    noteLoss(LOSS_PARTS_OVER_CAPACITY, reference, strlen(reference));
    return false;
  }
  keepPartTexts(&parts[*count]);
  (*count)++;
  return true;
}

namespace {

// Puts the nodes in net order (net name, reference, pin), stable.  Nodes
// arrive mostly grouped by net, so the runs of equal net names are sorted
// first, and then the nodes of each net among themselves; runs of one name
// that lie apart are joined in reader order, so any input gives the order
// of one stable sort of all nodes.  Carries the flags along.
void sortNodesIntoNets(NodeRecord* nodes, int count) {
  int runs = 0;
  for (int i = 0; i < count; runs++) {
    int end = i + 1;
    while (end < count && textEquals(nodes[end].netName, nodes[i].netName)) end++;
    sortItems[runs] = SortItem{0, i, end - i};
    i = end;
  }
  sortItemsByKey(sortItems, runs, nodes, packNet);

  // sortItems now lists the runs in net order; netOrder gets their nodes.
  int placed = 0;
  for (int r = 0; r < runs;) {
    const char* net = nodes[sortItems[r].index].netName;
    int first = placed;
    for (; r < runs && (placed == first || textEquals(nodes[sortItems[r].index].netName, net)); r++)
      for (int k = 0; k < sortItems[r].span; k++) {
        int at = sortItems[r].index + k;
        netOrder[placed++] = SortItem{0, at, 1};
      }
    sortItemsByKey(netOrder + first, placed - first, nodes, packInNet);
    for (int k = first; k < placed; k++) nodeReferenceFlags[k] = readerOrderFlags[netOrder[k].index];
    nodeReferenceFlags[first] |= NODE_STARTS_NET;
  }
  applyOrder(nodes, netOrder, count);
}

}  // namespace

// The nodes' and parts' texts are stored texts (netlist/text_store.h, or
// bindNetlistTables' own), which the hashes and key packers read eight
// bytes at a time.
int normalizeNetlist(NodeRecord* nodes, int count, int readerResult, PartRecord* parts) {
  if (readerResult < 0) return readerResult;

  // Each node's reference hash serves both the pin check and the part lookup.
  LARGE_TABLE(1) static uint32_t referenceHashes[MAX_NODES + 1];
  for (int i = 0; i < count; i++) {
    cleanPin(nodes[i].pin);
    referenceHashes[i] = hashStoredReference<true>(nodes[i].reference);
  }
  checkPinsInTwoNets(nodes, count, referenceHashes);

  int parts_ = readerResult;
  int n = 0;
  if (readerResult == 0) {
    // No part list: one part per distinct node reference, in byte order.
    for (int i = 0; i < count; i++)
      sortItems[n++] = SortItem{0, i, 1};
  } else {
    // A part list that misses references its nets use: add those parts, so
    // that the netlist never names a component that does not exist.  A
    // reference that an earlier part has is noted as a loss (KiCad gives
    // nets to the first part only).
    LARGE_TABLE(1) static uint8_t partFlags[MAX_PARTS + 1];
    startReferenceSet(readerResult);
    for (int i = 0; i < readerResult; i++) {
      size_t len;
      partFlags[i] = NODE_HAS_PART | classifyText(parts[i].reference, &len);
      if (!addToReferenceSet(parts[i].reference, i, hashStoredReference<false>(parts[i].reference)))
        noteLoss(LOSS_DUPLICATE_REFERENCE, parts[i].reference, len);
    }
    for (int i = 0; i < count; i++) {
      readerOrderFlags[i] = 0;
      if (nodes[i].reference[0] == '\0') continue;
      int part = findInReferenceSet(nodes[i].reference, referenceHashes[i]);
      if (part >= 0) readerOrderFlags[i] = partFlags[part];
      else sortItems[n++] = SortItem{0, i, 1};
    }
  }
  sortItemsByKey(sortItems, n, nodes, packReference);
  deriveParts(sortItems, n, nodes, parts, &parts_);

  if (count > 0) sortNodesIntoNets(nodes, count);
  return parts_;
}

void sortPartsByReference(PartRecord* parts, int count) {
  sortByKey(parts, count, [](const PartRecord& p, KeyPacker& key) { key.storedText(p.reference); });
}

// PCB attributes and values repeat across many parts, so these sorts
// gather parts of equal texts first (netlist/group_sort.h); the reference
// number, nearly unique, sorts the parts within each group.
namespace {

const auto packNumber = [](const PartRecord& p, KeyPacker& key) { key.number(p.refNumber); };

}  // namespace

// Short categories and the number fit one key window: a plain key sort.
void sortPartsByCategoryAndNumber(PartRecord* parts, int count) {
  sortByKey(parts, count, [](const PartRecord& p, KeyPacker& key) {
    key.storedText(p.category).number(p.refNumber);
  });
}

void sortPartsByCategoryAndPcb(PartRecord* parts, int count) {
  sortByCategoryAndPcb(parts, count);
}

// Values are never NaN: parseScaledValue reads digits only.  Numbers that
// compare equal (0 and -0) pack and hash alike.
void sortPartsForReport(PartRecord* parts, int count) {
  sortByGroupsThen(
      parts, count,
      [](const PartRecord& p) {
        return hashStoredText(hashNumber(hashStoredText(HASH_START, p.category), p.numericValue),
                              p.value);
      },
      [](const PartRecord& a, const PartRecord& b) {
        return a.numericValue == b.numericValue && textEquals(a.category, b.category) &&
               textEquals(a.value, b.value);
      },
      [](const PartRecord& p, KeyPacker& key) {
        key.storedText(p.category).number(p.numericValue).storedText(p.value);
      },
      packNumber);
}
