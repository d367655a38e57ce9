// The double-byte characters of code page 932 (Shift-JIS as Windows reads
// it): one row per lead byte, one column per trail byte, each entry the
// Unicode character of that pair or 0 when the pair stands for nothing.
// The table is generated (netlist/make_cp932_table.py), so every build
// decodes the same bytes the same way.
#pragma once

#include <cstdint>

enum : int {
  CP932_LEAD_COUNT = 60,    // 0x81-0x9F and 0xE0-0xFC
  CP932_TRAIL_FIRST = 0x40,
  CP932_TRAIL_LAST = 0xFC,
  CP932_TRAIL_COUNT = CP932_TRAIL_LAST - CP932_TRAIL_FIRST + 1,
};

extern const uint16_t cp932PairTable[CP932_LEAD_COUNT * CP932_TRAIL_COUNT];
