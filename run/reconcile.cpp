// Part reconciliation (placeholder: no footprints).
#include "run/reconcile.h"

StatusCounters statusCounters;

void readNoMountMarks(const char*) { statusCounters = StatusCounters{}; }
void resolvePreviousFootprints(TextOut*) {}
void reconcileParts(TextOut*, PartRecord* parts, int count) {
  for (int i = 0; i < count; i++) {
    parts[i].footprint = emptyText;
    parts[i].status[0] = '\0';
    parts[i].forcedMark[0] = '\0';
    parts[i].category[0] = '\0';
  }
}
double parseScaledValue(const char*, const char*) { return 0; }
