// KiCad netlist writer: the finished model as an s-expression netlist of
// version D (components, then nets with their nodes).
#pragma once

#include "netlist/files.h"
#include "netlist/model.h"
#include "options/options.h"

// Writes the whole netlist.  Parts are expected in output order and nodes in
// net order (netName, reference, pin).  For PROJECT_KIND_KICAD6 every text
// is written in UTF-8 and each component's tstamp comes from its reference;
// PROJECT_KIND_KICAD5 writes the model's bytes as they are and numbers the
// tstamps by position.  `referenceFlags`, when given, holds what
// normalisation found out about each node's reference (nodeReferenceFlags);
// without it every node's reference is looked up among the parts.
// Returns 0.
int writeKicadNetlist(TextOut* out, int parts, const PartRecord* partRecords,
                      const NodeRecord* nodes, int nodes_,
                      int projectKind = PROJECT_KIND_KICAD5,
                      const uint8_t* referenceFlags = nullptr);
