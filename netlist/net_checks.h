// Checks of a read netlist for what KiCad would drop without a word: a
// reference that the part list holds twice (KiCad gives nets to the first
// part only) and a pin that stands in two different nets (KiCad keeps it in
// the first).  Each finding is noted in the loss record.
#pragma once

#include <cstdint>

#include "netlist/model.h"

// Notes every part of parts[0..count) whose reference an earlier part has.
void checkDuplicateReferences(const PartRecord* parts, int count);

// Notes every pin (reference and pin) of nodes[0..count) that stands in more
// than one net, once per pin.  Nodes with an empty reference are passed over.
// referenceHashes[i] is a hash of nodes[i].reference under which equal
// references hash alike, which the caller has at hand.
void checkPinsInTwoNets(const NodeRecord* nodes, int count, const uint32_t* referenceHashes);
