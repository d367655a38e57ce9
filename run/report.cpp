// Conversion report: column header, one row per part, totals line.  A
// cell holding ',' or '"' is quoted with its quotes doubled, so that it
// reads back whole.
#include "run/report.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "netlist/text.h"
#include "run/category.h"
#include "run/previous.h"
#include "run/reconcile.h"
#include "run/report_cells.h"

namespace {

// Rows are written through a cursor into room reserved once per row
// (reserveOut): cells up to DIRECT_CELL_MAX bytes that need no quoting are
// copied there, and ROW_ROOM holds a row's seven such cells with their
// separators and quotes.
enum : size_t {
  DIRECT_CELL_MAX = 1024,
  ROW_ROOM = 64 + 7 * (DIRECT_CELL_MAX + 3),
};

// The bytes that end a bare cell's plain stretch: its terminator, and
// those that change how it is written (',' and '"' make it quoted, '\n'
// goes out as CR LF).
constexpr ByteSet cellStops = byteSetWithTerminator(",\"\n");

// A cell that normally stands bare.  Such cells (status, category,
// reference, forced mark) are a few bytes long: one inline pass to the
// first stop byte finds the length of a plain cell, cheaper than a library
// scan.
inline char* putBareCellAt(TextOut* out, char* cursor, const char* text) {
  size_t len = 0;
  while (!cellStops[text[len]]) len++;
  if (text[len] == '\0' && len <= DIRECT_CELL_MAX) {
    copyShortBytes(cursor, text, len);
    return cursor + len;
  }
  commitOut(out, cursor);
  putBareCell(out, text);
  return reserveOut(out, ROW_ROOM);
}

// The text of a quoted cell whose first `plain` bytes hold no '"' and no
// '\n' (strcspn): copied at the cursor when that is all of it.
inline char* putQuotedTextAt(TextOut* out, char* cursor, const char* text, size_t plain) {
  if (text[plain] == '\0' && plain <= DIRECT_CELL_MAX) {
    copyShortBytes(cursor, text, plain);
    return cursor + plain;
  }
  commitOut(out, cursor);
  putQuotedText(out, text);
  return reserveOut(out, ROW_ROOM);
}

// Footprints are shared: every part of a category index row points at the
// row's one stored footprint text.  A small table keyed by the text's
// address keeps the length of each footprint's plain stretch, so a
// footprint is scanned once rather than once per part.
struct FootprintPlain {
  const char* text;  // null for an empty slot
  size_t plain;
};
enum : int { FOOTPRINT_SLOTS = 256 };  // indexed by the top 8 bits of a hash
FootprintPlain footprintSlots[FOOTPRINT_SLOTS];

size_t footprintPlain(const char* footprint) {
  // Fibonacci hashing spreads texts stored a few dozen bytes apart.
  uint64_t address = reinterpret_cast<uintptr_t>(footprint);
  FootprintPlain& slot = footprintSlots[(address * 0x9E3779B97F4A7C15u) >> 56];
  if (slot.text != footprint) {
    slot.text = footprint;
    slot.plain = strcspn(footprint, "\"\n");
  }
  return slot.plain;
}

}  // namespace

void writeReportBody(TextOut* report, PartRecord* parts, int count, int duplicateCount,
                     char* totals, int size) {
  sortPartsForReport(parts, count);
  putLiteral(report,
             "Status,Category,Value,Reference number,PCB attribute,Forced mark,Footprint code\r\n");
  for (FootprintPlain& slot : footprintSlots) slot.text = nullptr;
  // Value, PCB attribute and footprint code are always quoted (Value behind
  // a '`' that keeps spreadsheets from reading it as a number); the other
  // cells are quoted only when they must be.
  for (int i = 0; i < count; i++) {
    const PartRecord& part = parts[i];
    char* p = reserveOut(report, ROW_ROOM);
    p = putBareCellAt(report, p, part.status);
    p = storeLiteral(p, ",");
    p = putBareCellAt(report, p, part.category);
    p = storeLiteral(p, ",\"`");
    p = putQuotedTextAt(report, p, part.value, strcspn(part.value, "\"\n"));
    p = storeLiteral(p, "\",");
    p = putBareCellAt(report, p, part.reference);
    p = storeLiteral(p, ",\"");
    p = putQuotedTextAt(report, p, part.pcbAttribute, strcspn(part.pcbAttribute, "\"\n"));
    p = storeLiteral(p, "\",");
    p = putBareCellAt(report, p, part.forcedMark);
    p = storeLiteral(p, ",\"");
    p = putQuotedTextAt(report, p, part.footprint, footprintPlain(part.footprint));
    p = storeLiteral(p, "\"\r\n");
    commitOut(report, p);
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
