// The cells of a report row, as the run writes them and as a spreadsheet
// may save them again.
//
// The run writes the Value, PCB attribute and Footprint code cells in
// double quotes and the others bare.  A cell holding a ',' or a '"' is
// written in double quotes with each '"' doubled, as spreadsheets write
// and read it.  A spreadsheet that saves the report again may quote every
// cell, put a byte-order mark before the first line and end lines with CR
// alone; all of these read back.
#pragma once

#include <cstddef>
#include <cstring>

#include "netlist/files.h"

enum : int { REPORT_COLUMNS = 7 };

// Writes a cell that normally stands bare: quoted only when it holds a ','
// or a '"'.
void putBareCell(TextOut* out, const char* text);
// Writes the text inside a quoted cell, each '"' doubled.
void putQuotedText(TextOut* out, const char* text);

struct ReportCells {
  const char* text[REPORT_COLUMNS];
  size_t length[REPORT_COLUMNS];
  bool quoted[REPORT_COLUMNS];
  int count;  // cells the line has (at most REPORT_COLUMNS are kept)
};

// Splits a row of `len` bytes (without its line end) into cells the way
// spreadsheets write them: a cell that begins with '"' runs to the '"'
// that is followed by ',' or the end of the line, "" inside it standing for
// one '"'.  The kept quoted cells are unescaped in place.  False, with the
// line unchanged, when a quoted cell does not close that way (as in reports
// written before quotes were doubled); such a row is read by the older
// column rules.
bool splitReportRow(char* line, size_t len, ReportCells* cells);
// The same for a zero-terminated row.
inline bool splitReportRow(char* line, ReportCells* cells) {
  return splitReportRow(line, strlen(line), cells);
}

// Whether a line is the column header: "Status" at its start, after an
// optional byte-order mark and an optional '"'.
bool isReportHeader(const char* line);
