// Report numbering and reading back the previous report.
//
// Every run writes a report named after the input netlist: the input path,
// "_f", a two-digit number and ".csv".  The new number follows the highest
// existing one; the previous report, whose rows carry the user's edits into
// this run, is the highest-numbered existing report that has a column
// header (a line beginning with "Status").  A report left by a run that
// failed before its rows has no header and is passed over, so that such a
// run never breaks the chain of edits.
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

// Empties the previous table (previousCount = 0) and gives its texts back.
void bindPreviousTable();

// The row to fill next (the spare once the table is full), with room for
// its texts at their capacities, all empty, and no footprints.  It counts
// once the caller raises previousCount; keepRowTexts first keeps its texts
// at their real lengths (a row counted without it keeps its whole room).
PreviousRow& nextPreviousRow();
void keepRowTexts(PreviousRow& row);

struct ReportNames {
  char number[3];                          // two characters
  char reportPath[RUN_PATH_MAX + 1];
  bool hasPrevious;
  char previousPath[RUN_PATH_MAX + 1];
};

// Finds the new report number, the new report's path and the previous
// report (if any) for the input netlist `inputPath` (at most 511 characters).
// Only reports whose number is two decimal digits count.  The number
// follows the highest existing report; "99" stays "99", so that report is
// rewritten.  The previous report is the highest-numbered one holding a
// line that begins with "Status"; a report that cannot be opened is taken
// as the previous report too, so that the run reports it.
void findReportNames(const char* inputPath, ReportNames* names);

// The next report number after `pair` (two characters, compared as signed
// bytes): the second goes up below '9', else the first goes up below '9'
// and the second becomes '0', else the pair stays.
void nextReportNumber(const char pair[2], char next[2]);

// 1 when the file at `path` holds a line beginning with "Status" (read in
// text mode), 0 when it does not, -1 when it cannot be opened.
int reportHasHeader(const char* path);

// Reads the previous report (text mode) into the previous table: the rows
// between the "Status" header and the quoted totals line.
void readPreviousReport(ByteSource* in);

// Reads one row of a report (a line after the header, `len` bytes up to its
// terminator) into the next previous row, or the spare once the table is
// full.
void readPreviousRow(char* line, size_t len);
