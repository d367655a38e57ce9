// Report numbering and reading back the previous report.
#pragma once

#include "netlist/files.h"
#include "netlist/model.h"

enum : int {
  MAX_PREVIOUS = 6000,
  RUN_PATH_MAX = 519,  // characters of every path the run forms
};

struct PreviousRow {
  char* value;            // CAP_VALUE
  char* category;         // CAP_CATEGORY
  char* reference;        // CAP_REFERENCE
  char* pcbAttribute;     // CAP_PCB_ATTRIBUTE
  char* forcedMark;       // CAP_FORCED_MARK
  const char* footprintCode;     // a text in the text pool
  const char* currentFootprint;  // set by the reconciliation
};

extern PreviousRow previousTable[MAX_PREVIOUS + 1];
extern int previousCount;

// Binds every previous row (spare included) to its text storage and sets
// previousCount to 0.
void bindPreviousTable();

struct ReportNames {
  char number[3];                          // two characters
  char reportPath[RUN_PATH_MAX + 1];
  bool hasPrevious;
  char previousPath[RUN_PATH_MAX + 1];
};

// Finds the new report number, the new report's path and the previous
// report (if any) for the input netlist `inputPath` (at most 511 characters).
void findReportNames(const char* inputPath, ReportNames* names);

// Reads the previous report (text mode) into the previous table.
void readPreviousReport(ByteSource* in);
