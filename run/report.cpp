// Conversion report: column header, one row per part, totals line.  A
// cell holding ',' or '"' is quoted with its quotes doubled, so that it
// reads back whole.
#include "run/report.h"

#include <cstdio>

#include "run/category.h"
#include "run/previous.h"
#include "run/reconcile.h"
#include "run/report_cells.h"

void writeReportBody(TextOut* report, PartRecord* parts, int count, int duplicateCount,
                     char* totals, int size) {
  sortPartsForReport(parts, count);
  putLiteral(report,
             "Status,Category,Value,Reference number,PCB attribute,Forced mark,Footprint code\r\n");
  // Value, PCB attribute and footprint code are always quoted (Value behind
  // a '`' that keeps spreadsheets from reading it as a number); the other
  // cells are quoted only when they must be.
  enum : int { CELL_BARE, CELL_QUOTED, CELL_VALUE };
  static const int forms[7] = {CELL_BARE, CELL_BARE,   CELL_VALUE, CELL_BARE,
                               CELL_QUOTED, CELL_BARE, CELL_QUOTED};
  for (int i = 0; i < count; i++) {
    const PartRecord& part = parts[i];
    const char* cells[7] = {part.status,       part.category,   part.value, part.reference,
                            part.pcbAttribute, part.forcedMark, part.footprint};
    for (int k = 0; k < 7; k++) {
      if (k > 0) putLiteral(report, ",");
      if (forms[k] == CELL_BARE) {
        putBareCell(report, cells[k]);
        continue;
      }
      if (forms[k] == CELL_VALUE)
        putLiteral(report, "\"`");
      else
        putLiteral(report, "\"");
      putQuotedText(report, cells[k]);
      putLiteral(report, "\"");
    }
    putLiteral(report, "\r\n");
  }
  const StatusCounters& c = statusCounters;
  snprintf(totals, static_cast<size_t>(size),
           "total parts=%d, ERROR(no pcb)=%d, ERROR(no index)=%d, ERROR(dup index)=%d, "
           "FORCED(no index)=%d, FORCED(mark)=%d, update=%d, new=%d, keep=%d, illegal=%d, "
           "too long=%d; index=%d, previous=%d",
           count, c.noPcb, c.noIndex, duplicateCount, c.forcedNoIndex, c.forcedMark, c.update,
           c.added, c.keep, c.illegal, c.tooLong, indexCount, previousCount);
  putText(report, "\"");
  putText(report, totals);
  putText(report, "\"\n");
}
