// The conversion report's rows and totals line.
#pragma once

#include "netlist/files.h"
#include "netlist/model.h"

// Sorts the parts into report order and writes the column header, one row
// per part and the quoted totals line.  The totals line (unquoted) is left
// in `totals` (at most size - 1 characters).
void writeReportBody(TextOut* report, PartRecord* parts, int count, int duplicateCount,
                     char* totals, int size);
