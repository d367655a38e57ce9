// KiCad netlist writer: the finished model as an s-expression netlist of
// version D (components, then nets with their nodes).
#pragma once

#include "netlist/files.h"
#include "netlist/model.h"

// Writes the whole netlist.  Parts are expected in output order and nodes in
// net order (netName, reference, pin).  Returns 0.
int writeKicadNetlist(TextOut* out, int parts, const PartRecord* partRecords,
                      const NodeRecord* nodes, int nodes_);
