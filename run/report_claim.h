// Taking a report number for this run alone.
//
// The report is written under its numbered name + ".tmp", created
// exclusively: that file is the claim on the number, so two runs at once
// never write the same report, and a report that is not whole never stands
// under a numbered name.  Such temporary names do not match the report
// pattern, so the numbering and the previous-report search pass over any a
// killed run left behind.
#pragma once

#include <cstdio>

#include "run/output_file.h"
#include "run/previous.h"

// Claims the first free number from names->number upward and opens its
// temporary file; names->number and names->reportPath follow the number
// taken.  A number whose report already exists is passed over, except "99",
// whose report is replaced (*replacesExisting is then set).  Null when no
// number can be taken; *failedPath then names the file that could not be
// created.
FILE* claimReport(const char* inputPath, ReportNames* names, OutputFile* file,
                  bool* replacesExisting, const char** failedPath);
