// Fuzz target: one netlist reader over arbitrary bytes, then normalisation
// and the KiCad writer, as a run would call them.  The first byte picks the
// numeric format option some readers look at and the target project kind.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "netlist/kicad_writer.h"
#include "options/options.h"
#include "readers/reader_io.h"

static ByteSource source;
static TextOut out;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  settingValues[VAL_FORMAT_OPTION_VALUE] = size > 0 ? data[0] % 4 : 0;
  static bool bound = false;
  if (!bound) bindNetlistTables();  // records stay bound to distinct storage
  bound = true;
  nodeCount = 0;
  openMemorySource(&source, data, size);
  int result = KORV_READER(&source, partTable, nodeTable, &nodeCount);
  if (result >= 0 && (nodeCount < 0 || nodeCount > MAX_NODES || result > MAX_PARTS))
    __builtin_trap();
  result = normalizeNetlist(nodeTable, result < 0 ? 0 : nodeCount, result, partTable);
  if (result < 0 || nodeCount == 0) return 0;
  FILE* sink = fopen("/dev/null", "wb");
  if (sink == nullptr) return 0;
  openTextOut(&out, sink);
  int kind = size > 0 && (data[0] & 4) != 0 ? PROJECT_KIND_KICAD6 : PROJECT_KIND_KICAD5;
  writeKicadNetlist(&out, result, partTable, nodeTable, nodeCount, kind);
  closeTextOut(&out);
  return 0;
}
