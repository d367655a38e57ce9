// Report numbering and previous report (placeholder: always report 00).
#include "run/previous.h"

#include <cstdio>

PreviousRow previousTable[MAX_PREVIOUS + 1];
int previousCount;

void bindPreviousTable() { previousCount = 0; }

void findReportNames(const char* inputPath, ReportNames* names) {
  names->number[0] = '0';
  names->number[1] = '0';
  names->number[2] = '\0';
  snprintf(names->reportPath, sizeof names->reportPath, "%s_f00.csv", inputPath);
  names->hasPrevious = false;
  names->previousPath[0] = '\0';
}

void readPreviousReport(ByteSource*) { previousCount = 0; }
