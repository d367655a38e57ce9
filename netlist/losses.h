// What a run dropped or cut: one count and one first example per kind.
//
// The readers, the normalisation, the writer and the readers of the run's
// own files note each loss where it happens; the run turns the record into
// warning lines of the result text.  The record is a fixed global cleared
// at the start of every run; noting never allocates.
#pragma once

#include <cstddef>
#include <cstdint>

enum LossKind : int {
  LOSS_PARTS_OVER_CAPACITY,
  LOSS_PINS_OVER_CAPACITY,
  LOSS_READ_LIMIT,
  LOSS_CUT_REFERENCE,
  LOSS_CUT_VALUE,
  LOSS_CUT_PCB_ATTRIBUTE,
  LOSS_CUT_PIN,
  LOSS_CUT_NET_NAME,
  LOSS_PIN_WITHOUT_PART,
  LOSS_DUPLICATE_REFERENCE,
  LOSS_PIN_IN_TWO_NETS,
  LOSS_NO_CLOSING_MARK,
  LOSS_CATEGORY_ROWS_OVER_CAPACITY,
  LOSS_TEXT_POOL_FULL,
  LOSS_CATEGORY_WITHOUT_ROWS,
  LOSS_PREVIOUS_WITHOUT_ROWS,
  LOSS_LONG_CATEGORY_LINE,
  LOSS_LONG_REPORT_LINE,
  LOSS_KIND_COUNT
};

enum : int { LOSS_EXAMPLE_MAX = 40 };  // characters of an example that are kept

struct LossRecord {
  int32_t count[LOSS_KIND_COUNT];
  char example[LOSS_KIND_COUNT][LOSS_EXAMPLE_MAX + 4];  // room for "..."
};

extern LossRecord losses;

void clearLosses();
bool anyLoss();

// Counts one loss of `kind`; the first one's example is the `len` bytes at
// `text`, joined by `separator` to the `moreLen` bytes at `more` when `more`
// is given.  Control bytes show as '?', and a long example keeps its first
// characters and "...".
void noteLoss(int kind, const char* text, size_t len, char separator = '\0',
              const char* more = nullptr, size_t moreLen = 0);

// The input ended before its format's closing mark.  Not noted when the
// reader stopped at its read limit: the limit is then the reason.
void noteMissingClose(const char* mark);

// The reader kept `kept` bytes and stopped with input left over; the
// example is the end of what was kept.
void noteReadLimit(const char* keptText, size_t kept);

// copyBytes that notes a cut: when any byte past `cap` is not a space (the
// readers trim trailing spaces), a loss of `kind` is noted with the stored
// text as its example.
int copyCut(char* dst, int cap, const char* src, size_t len, int kind);
