// Netlist model tables, their binding to text storage, and normalisation.
#include "netlist/model.h"

#include <cstring>

#include "netlist/losses.h"
#include "netlist/net_checks.h"
#include "netlist/reference_set.h"
#include "netlist/stable_sort.h"
#include "netlist/text.h"

PartRecord partTable[MAX_PARTS + 1];
NodeRecord nodeTable[MAX_NODES + 1];
int partCount;
int nodeCount;
char textBuffer[TEXT_BUFFER_SIZE];
const char emptyText[1] = {'\0'};

namespace {

struct PartTexts {
  char status[CAP_STATUS + 1];
  char forcedMark[CAP_FORCED_MARK + 1];
  char category[CAP_CATEGORY + 1];
  char reference[CAP_REFERENCE + 1];
  char value[CAP_VALUE + 1];
  char pcbAttribute[CAP_PCB_ATTRIBUTE + 1];
};

struct NodeTexts {
  char reference[CAP_REFERENCE + 1];
  char pin[CAP_PIN + 1];
  char netName[CAP_NET_NAME + 1];
};

PartTexts partTexts[MAX_PARTS + 1];
NodeTexts nodeTexts[MAX_NODES + 1];
PartRecord partScratch[MAX_PARTS + 1];
NodeRecord nodeScratch[MAX_NODES + 1];
NodeRecord missingNodes[MAX_NODES + 1];

bool lessNodeReference(const NodeRecord& a, const NodeRecord& b) {
  return strcmp(a.reference, b.reference) < 0;
}

bool lessNodeNet(const NodeRecord& a, const NodeRecord& b) {
  int c = strcmp(a.netName, b.netName);
  if (c != 0) return c < 0;
  c = strcmp(a.reference, b.reference);
  if (c != 0) return c < 0;
  return strcmp(a.pin, b.pin) < 0;
}

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

// Appends a part with this reference and empty value and PCB attribute.
void appendDerivedPart(PartRecord* parts, int* count, const char* reference) {
  PartRecord& part = parts[*count];
  copyText(part.reference, CAP_REFERENCE, reference);
  part.value[0] = '\0';
  part.pcbAttribute[0] = '\0';
  (*count)++;
}

}  // namespace

void bindNetlistTables() {
  for (int i = 0; i <= MAX_PARTS; i++) {
    PartRecord& p = partTable[i];
    PartTexts& t = partTexts[i];
    p.refNumber = 0;
    p.numericValue = 0;
    p.footprint = emptyText;
    p.status = t.status;
    p.forcedMark = t.forcedMark;
    p.category = t.category;
    p.reference = t.reference;
    p.value = t.value;
    p.pcbAttribute = t.pcbAttribute;
  }
  for (int i = 0; i <= MAX_NODES; i++) {
    nodeTable[i].reference = nodeTexts[i].reference;
    nodeTable[i].pin = nodeTexts[i].pin;
    nodeTable[i].netName = nodeTexts[i].netName;
  }
  partCount = 0;
  nodeCount = 0;
}

bool addPart(PartRecord* parts, int* count, const char* reference, const char* value,
             const char* pcbAttribute) {
  PartRecord& part = parts[*count < MAX_PARTS ? *count : MAX_PARTS];
  copyCut(part.reference, CAP_REFERENCE, reference, strlen(reference), LOSS_CUT_REFERENCE);
  copyCut(part.value, CAP_VALUE, value, strlen(value), LOSS_CUT_VALUE);
  copyCut(part.pcbAttribute, CAP_PCB_ATTRIBUTE, pcbAttribute, strlen(pcbAttribute),
          LOSS_CUT_PCB_ATTRIBUTE);
  if (*count >= MAX_PARTS) {
    noteLoss(LOSS_PARTS_OVER_CAPACITY, part.reference, strlen(part.reference));
    return false;
  }
  (*count)++;
  return true;
}

int normalizeNetlist(NodeRecord* nodes, int count, int readerResult, PartRecord* parts) {
  if (readerResult < 0) return readerResult;

  for (int i = 0; i < count; i++) {
    cleanPin(nodes[i].pin);
    char* colon = strchr(nodes[i].reference, ':');
    if (colon != nullptr) *colon = '\0';
  }
  checkPinsInTwoNets(nodes, count);
  if (readerResult > 0) checkDuplicateReferences(parts, readerResult);

  int parts_ = readerResult;
  if (readerResult == 0) {
    // No part list: one part per distinct node reference, in byte order.
    if (count > 0) stableSort(nodes, count, nodeScratch, lessNodeReference);
    const char* previous = emptyText;
    for (int i = 0; i < count && parts_ < MAX_PARTS; i++) {
      if (strcmp(nodes[i].reference, previous) == 0) continue;
      appendDerivedPart(parts, &parts_, nodes[i].reference);
      previous = nodes[i].reference;
    }
  } else {
    // A part list that misses references its nets use: add those parts, so
    // that the netlist never names a component that does not exist.
    fillReferenceSet(parts, readerResult);
    int missing = 0;
    for (int i = 0; i < count; i++)
      if (nodes[i].reference[0] != '\0' && !referenceSetHas(nodes[i].reference))
        missingNodes[missing++] = nodes[i];
    if (missing > 0) stableSort(missingNodes, missing, nodeScratch, lessNodeReference);
    const char* previous = emptyText;
    for (int i = 0; i < missing && parts_ < MAX_PARTS; i++) {
      if (strcmp(missingNodes[i].reference, previous) == 0) continue;
      appendDerivedPart(parts, &parts_, missingNodes[i].reference);
      previous = missingNodes[i].reference;
    }
  }

  if (count > 0) stableSort(nodes, count, nodeScratch, lessNodeNet);
  return parts_;
}

void sortPartsByReference(PartRecord* parts, int count) {
  stableSort(parts, count, partScratch, [](const PartRecord& a, const PartRecord& b) {
    return strcmp(a.reference, b.reference) < 0;
  });
}

void sortPartsByCategoryAndNumber(PartRecord* parts, int count) {
  stableSort(parts, count, partScratch, [](const PartRecord& a, const PartRecord& b) {
    int c = strcmp(a.category, b.category);
    if (c != 0) return c < 0;
    return a.refNumber < b.refNumber;
  });
}

void sortPartsByCategoryAndPcb(PartRecord* parts, int count) {
  stableSort(parts, count, partScratch, [](const PartRecord& a, const PartRecord& b) {
    int c = strcmp(a.category, b.category);
    if (c != 0) return c < 0;
    return strcmp(a.pcbAttribute, b.pcbAttribute) < 0;
  });
}

void sortPartsForReport(PartRecord* parts, int count) {
  stableSort(parts, count, partScratch, [](const PartRecord& a, const PartRecord& b) {
    int c = strcmp(a.category, b.category);
    if (c != 0) return c < 0;
    if (a.numericValue != b.numericValue) return a.numericValue < b.numericValue;
    c = strcmp(a.value, b.value);
    if (c != 0) return c < 0;
    return a.refNumber < b.refNumber;
  });
}
