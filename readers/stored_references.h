// The references of the parts a read has stored so far, as a set that grows
// with the read: each part is added once, so a lookup costs the same however
// often parts and lookups alternate.  It points at the parts' own texts.
#pragma once

#include <cstddef>

#include "netlist/model.h"

// Empties the set (at the start of a read).
void clearStoredReferences();

// Adds the references of parts[known..count) that the set does not hold yet,
// where `known` is the count of the last call; cheap when nothing is new.
void addStoredReferences(const PartRecord* parts, int count);

// Whether a part added so far carries exactly the `len` bytes at `bytes`.
bool hasStoredReference(const char* bytes, size_t len);
