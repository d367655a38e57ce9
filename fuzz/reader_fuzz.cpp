// Fuzz target: format detection and the reader of one format of the format
// table (named by KORV_FORMAT_NAME) over arbitrary bytes, then normalisation
// and the KiCad writer, as a run would call them.  The first byte picks the
// numeric format option some readers look at and the target project kind.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "netlist/kicad_writer.h"
#include "readers/formats.h"

static ByteSource source;
static TextOut out;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const FormatRow* reader = formatNamed(KORV_FORMAT_NAME);
  startNetlistTables();  // as every run starts: the texts of the last input go back
  openMemorySource(&source, data, size);
  detectFormatOfBytes(reinterpret_cast<const char*>(data), size);  // detection reads any bytes
  int option = size > 0 ? data[0] % 4 : 0;
  int result = reader->read(&source, partTable, nodeTable, &nodeCount, option);
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
