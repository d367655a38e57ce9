// Fuzz target: reading a previous report back, then resolving the rows'
// footprints against an empty index.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "run/category.h"
#include "run/previous.h"
#include "run/reconcile.h"

static ByteSource source;
static TextOut out;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  bindCategoryIndex();
  bindPreviousTable();
  clearTextPool();
  readNoMountMarks("");
  openMemorySource(&source, data, size);
  readPreviousReport(&source);
  if (previousCount < 0 || previousCount > MAX_PREVIOUS) __builtin_trap();
  FILE* sink = fopen("/dev/null", "wb");
  if (sink == nullptr) return 0;
  openTextOut(&out, sink);
  if (previousCount > 0) resolvePreviousFootprints(&out);
  closeTextOut(&out);
  return 0;
}
