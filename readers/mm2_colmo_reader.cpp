// Mm2Colmo netlist reader (not built yet: every input is a format error).
#include "readers/reader_io.h"

int readMm2ColmoNetlist(ByteSource*, PartRecord*, NodeRecord*, int*) { return -1; }
