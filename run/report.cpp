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
  for (int i = 0; i < count; i++) {
    const PartRecord& part = parts[i];
    putBareCell(report, part.status);
    putLiteral(report, ",");
    putBareCell(report, part.category);
    putLiteral(report, ",\"`");
    putQuotedText(report, part.value);
    putLiteral(report, "\",");
    putBareCell(report, part.reference);
    putLiteral(report, ",\"");
    putQuotedText(report, part.pcbAttribute);
    putLiteral(report, "\",");
    putBareCell(report, part.forcedMark);
    putLiteral(report, ",\"");
    putQuotedText(report, part.footprint);
    putLiteral(report, "\"\r\n");
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
