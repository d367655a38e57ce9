// Stable sorts of record tables on precomputed keys.
//
// A record's sort key is the first eight bytes of its compared fields laid
// end to end (each text with its terminator, each number in a fixed-width
// byte form whose byte order is its numeric order), packed big-endian into
// one integer.  Comparing two keys gives the same answer as comparing the
// fields themselves whenever the keys differ, so most comparisons never
// look at the texts; equal keys fall back to the full comparison.  The sort
// moves 16-byte key items and then places every record once, instead of
// moving whole records at each merge step.  Equal records keep their order,
// exactly as stableSort keeps it.
#pragma once

#include <cstdint>
#include <cstring>

#include "netlist/model.h"
#include "netlist/stable_sort.h"

// A record's key and its position in the table.
struct SortItem {
  uint64_t key;
  int32_t index;
  int32_t span;  // records from index on that the item stands for (1 for one record)
};

// Items for every sort of the run (sorts never nest), and their scratch.
extern SortItem sortItems[MAX_NODES + 1];
extern SortItem sortItemScratch[MAX_NODES + 1];

// Builds a key from the leading bytes of the fields given in order.
struct KeyPacker {
  uint64_t key = 0;
  int room = 8;

  void putByte(unsigned char byte) {
    if (room == 0) return;
    key |= static_cast<uint64_t>(byte) << (8 * --room);
  }
  // A text and its terminator, which sorts before every byte.
  KeyPacker& text(const char* text) {
    for (const char* p = text; room > 0; p++) {
      putByte(static_cast<unsigned char>(*p));
      if (*p == '\0') break;
    }
    return *this;
  }
  // A signed 32-bit number as four bytes in numeric order.
  KeyPacker& number(int32_t value) {
    uint32_t bits = static_cast<uint32_t>(value) ^ 0x80000000u;
    for (int shift = 24; shift >= 0 && room > 0; shift -= 8) putByte(static_cast<unsigned char>(bits >> shift));
    return *this;
  }
  // A double (never NaN) as eight bytes in numeric order; -0 equals 0.
  KeyPacker& number(double value) {
    double x = value + 0.0;
    uint64_t bits;
    memcpy(&bits, &x, sizeof bits);
    bits = (bits >> 63) != 0 ? ~bits : bits | (1ull << 63);
    for (int shift = 56; shift >= 0 && room > 0; shift -= 8) putByte(static_cast<unsigned char>(bits >> shift));
    return *this;
  }
};

// Sorts items[0..count) by key, then by `less` on the records they index.
template <typename Record, typename Less>
void sortItemsByKey(SortItem* items, int count, const Record* records, Less less) {
  stableSort(items, count, sortItemScratch, [records, &less](const SortItem& a, const SortItem& b) {
    if (a.key != b.key) return a.key < b.key;
    return less(records[a.index], records[b.index]);
  });
}

// Puts records[order[i].index] at position i for every i, in place, moving
// each record once.  The order's indexes are used up.
template <typename Record>
void applyOrder(Record* records, SortItem* order, int count) {
  for (int i = 0; i < count; i++) {
    if (order[i].index == i) continue;
    Record held = records[i];
    int at = i;
    for (;;) {
      int from = order[at].index;
      order[at].index = at;
      if (from == i) {
        records[at] = held;
        break;
      }
      records[at] = records[from];
      at = from;
    }
  }
}

// Stable sort of records[0..count) by `keyOf` (a KeyPacker result that
// agrees with `less`) and `less`.
template <typename Record, typename KeyOf, typename Less>
void sortByKey(Record* records, int count, KeyOf keyOf, Less less) {
  for (int i = 0; i < count; i++) sortItems[i] = SortItem{keyOf(records[i]), i, 1};
  sortItemsByKey(sortItems, count, records, less);
  applyOrder(records, sortItems, count);
}
