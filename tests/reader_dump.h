// Text forms of what a reader stored, for comparing whole tables in tests,
// and a check that every stored text fits its capacity.
#pragma once

#include <cstring>
#include <string>

#include "netlist/model.h"

// One line per part: "reference|value|pcbAttribute".
inline std::string dumpParts(int count) {
  std::string s;
  for (int i = 0; i < count; i++) {
    const PartRecord& p = partTable[i];
    s += std::string(p.reference) + "|" + p.value + "|" + p.pcbAttribute + "\n";
  }
  return s;
}

// One line per node: "netName|reference|pin".
inline std::string dumpNodes(int count) {
  std::string s;
  for (int i = 0; i < count; i++) {
    const NodeRecord& n = nodeTable[i];
    s += std::string(n.netName) + "|" + n.reference + "|" + n.pin + "\n";
  }
  return s;
}

// Whether every text of the first parts and nodes is within its capacity.
inline bool textsWithinCapacity(int parts, int nodes) {
  for (int i = 0; i < parts; i++) {
    const PartRecord& p = partTable[i];
    if (strlen(p.reference) > CAP_REFERENCE || strlen(p.value) > CAP_VALUE ||
        strlen(p.pcbAttribute) > CAP_PCB_ATTRIBUTE)
      return false;
  }
  for (int i = 0; i < nodes; i++) {
    const NodeRecord& n = nodeTable[i];
    if (strlen(n.reference) > CAP_REFERENCE || strlen(n.pin) > CAP_PIN ||
        strlen(n.netName) > CAP_NET_NAME)
      return false;
  }
  return true;
}
