// Part reconciliation: categories, numbers, no-mount marks, illegal
// characters, footprint resolution and the status merge with the previous
// report.
#pragma once

#include "netlist/files.h"
#include "netlist/model.h"

struct StatusCounters {
  int noPcb;           // ERROR(no pcb)
  int noIndex;         // ERROR(no index)
  int forcedNoIndex;   // FORCED(no index)
  int forcedMark;      // FORCED(mark)
  int update;          // update, update(prev pcb)
  int added;           // new
  int keep;            // keep, keep(prev pcb)
  int illegal;         // replaced characters
  int tooLong;         // too-long literal PCB attributes, parts and rows
};

extern StatusCounters statusCounters;

// Reads the no-mount marks from the "No mount symbol" text (its first 519
// characters) and zeroes the status counters.
void readNoMountMarks(const char* text);

// Resolves the current footprint of every previous row, writing a
// "(too long) previous" line for each too-long literal, then sorts the rows
// by reference.
void resolvePreviousFootprints(TextOut* report);

// Prepares every part, resolves its footprint and merges it with the
// previous rows, giving each its status.
void reconcileParts(TextOut* report, PartRecord* parts, int count);

// The value read as a number, scaled by its unit prefix.
double parseScaledValue(const char* value, const char* category);
