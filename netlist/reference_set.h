// A set of part references for membership tests: an open-addressing hash
// table of pointers to the parts' own reference texts, sized for every part
// the model can hold.  Filled once per use, it answers "does a part carry
// this reference?" in about one comparison.
#pragma once

#include "netlist/model.h"

// Empties the set and adds the references of parts[0..count).
void fillReferenceSet(const PartRecord* parts, int count);

// Whether a part added by the last fill carries exactly this reference.
bool referenceSetHas(const char* reference);
