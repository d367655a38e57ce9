// Fuzz target: the category part file loader and its duplicate check.  The
// bytes up to the first NUL are the version filter, the rest is the file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "run/category.h"

static ByteSource source;
static TextOut out;
static char versionSelect[256];

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const uint8_t* nul = static_cast<const uint8_t*>(memchr(data, 0, size < 200 ? size : 200));
  size_t skip = 0;
  versionSelect[0] = '\0';
  if (nul != nullptr) {
    skip = static_cast<size_t>(nul - data) + 1;
    memcpy(versionSelect, data, skip);
  }
  bindCategoryIndex();
  clearTextPool();
  openMemorySource(&source, data + skip, size - skip);
  loadCategoryIndex(&source, versionSelect);
  FILE* sink = fopen("/dev/null", "wb");
  if (sink == nullptr) return 0;
  openTextOut(&out, sink);
  writeDuplicateIndexLines(&out);
  closeTextOut(&out);
  return 0;
}
