// Part reconciliation: categories, numbers, no-mount marks, illegal
// characters, footprint resolution and the status merge with the previous
// report.
#pragma once

#include <cstdint>

#include "netlist/files.h"
#include "netlist/model.h"
#include "options/options.h"

enum : int {
  MAX_NO_MOUNT_MARKS = 20,
  CAP_NO_MOUNT_MARK = 20,
};

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

enum MarkKind : int {
  MARK_PREFIX,          // NM: the value begins with the mark
  MARK_BRACKET_PREFIX,  // NM(: as a prefix, and a closing ')' goes too
  MARK_SUFFIX,          // ^NM: the value ends with the mark
};

struct NoMountMark {
  char text[CAP_NO_MOUNT_MARK + 1];
  MarkKind kind;
};

extern NoMountMark noMountMarks[MAX_NO_MOUNT_MARKS];
extern int noMountCount;

// Whether a byte of a value must not reach the netlist (it becomes '_'):
// control bytes always; for KiCad(v5) also parentheses and every byte above
// 0x7E.  KiCad 6 and later read UTF-8, so their values keep those (the
// writer quotes such values).
inline bool isIllegalValueChar(unsigned char c, int projectKind) {
  if (c >= 0x20 && c < 0x7F && c != '(' && c != ')') return false;  // most bytes
  return c < 0x20 || c == 0x7F || projectKind != PROJECT_KIND_KICAD6;
}

// Reads the no-mount marks from the "No mount symbol" text (its first 519
// characters) and zeroes the status counters.
void readNoMountMarks(const char* text);

// Strips the first matching no-mount mark from the value; returns whether
// one matched.
bool applyNoMountMarks(char* value);

// The number after a reference's category, read like strtol in base 10
// with a 32-bit long: out-of-range numbers saturate.
int32_t readRefNumber(const char* text);

// The category of a reference: its leading bytes from ':' to 0x7F, at most
// CAP_CATEGORY of them.  Returns how many were copied.
int deriveCategory(const char* reference, char* category);

// Sorts the previous rows by (category, PCB attribute) and resolves the
// current footprint of every row, writing a "(too long) previous" line for
// each too-long literal.
void resolvePreviousFootprints(TextOut* report);

// Prepares every part in table order: category, number, no-mount mark,
// illegal characters (one report line and one count each; which bytes are
// illegal depends on the project kind), numeric value.
void prepareParts(TextOut* report, PartRecord* parts, int count);

// Sorts the parts by (category, PCB attribute) and gives each its footprint:
// a literal PCB attribute, or the index entry of its key.
void resolvePartFootprints(TextOut* report, PartRecord* parts, int count);

// Sorts the parts by reference and merges them with the previous rows,
// giving each its status.  Of several rows with one reference the first in
// table order counts.
void mergeWithPrevious(PartRecord* parts, int count);

// Prepares every part, resolves its footprint and merges it with the
// previous rows, giving each its status.
void reconcileParts(TextOut* report, PartRecord* parts, int count);

// The value read as a number, scaled by its unit prefix.
double parseScaledValue(const char* value, const char* category);
