// Stable sorts of tables whose sort keys repeat: the records are first
// gathered into groups of equal keys with a hash table, only one record of
// each group is sorted on the packed key (netlist/key_sort.h), and one
// counting pass then lays out every group in that order, its records in
// table order, which is the order a stable sort gives equal records.  A
// table of a few hundred distinct keys among thousands of records so costs
// a hash and a comparison per record instead of a sort over all of them.
// A key that ends in a number that hardly repeats (a reference number) is
// left out of the groups and sorts the records within each group.
#pragma once

#include <cstdint>
#include <cstring>

#include "netlist/key_sort.h"
#include "netlist/text.h"

// Open-addressing slots of record numbers + 1 (0: free), shared by the
// group sorts and the netlist checks, which never run at once.
enum : uint32_t { RECORD_SLOTS = 65536 };
static_assert(MAX_NODES + 1 <= INT16_MAX, "a record number + 1 must fit in a slot");
extern int16_t recordSlots[RECORD_SLOTS];

// Clears the slots that `count` records need (at most half full, at least
// 64) and returns their mask.
uint32_t startRecordSlots(int count);

// One byte of FNV-1a.
inline uint32_t hashByte(uint32_t h, unsigned char byte) { return (h ^ byte) * 16777619u; }
// FNV-1a over a text and its terminator (hashed as 0xFF), so that "R1"+"2"
// and "R"+"12" differ.
inline uint32_t hashText(uint32_t h, const char* text) {
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; p++)
    h = hashByte(h, *p);
  return hashByte(h, 0xFFu);
}
// A hash of a record's stored text (readable bytes follow its terminator:
// netlist/text_store.h) that joins on `h`, eight bytes at a time.  Any
// hash serves the groups, since `same` decides; this one waits on one
// multiplication per word where hashText waits on one per byte.
inline uint32_t hashStoredText(uint32_t h, const char* text) {
  constexpr uint64_t MIX = 0x9E3779B97F4A7C15u;
  uint64_t x = h;
  for (const char* p = text;; p += 8) {
    uint64_t word = loadBigEndian(p);
    uint64_t zeros = zeroBytes(word);
    if (zeros == 0) {
      x = (x ^ word) * MIX;
      continue;
    }
    int at = std::countl_zero(zeros) / 8;  // the terminator's byte
    uint64_t kept = at == 0 ? 0 : word >> (64 - 8 * at);
    x = (x ^ kept ^ (static_cast<uint64_t>(at + 1) << 59)) * MIX;
    return static_cast<uint32_t>(x >> 32);
  }
}
// A double as its key packs it: -0 as 0.
inline uint32_t hashNumber(uint32_t h, double value) {
  double x = value + 0.0;
  uint64_t bits;
  memcpy(&bits, &x, sizeof bits);
  return ((h ^ static_cast<uint32_t>(bits)) * 16777619u ^ static_cast<uint32_t>(bits >> 32)) *
         16777619u;
}
enum : uint32_t { HASH_START = 2166136261u };

// Items for the records' groups, beside sortItems (netlist/table_memory.h).
extern SortItem (&groupItems)[MAX_NODES + 1];

// Puts into sortItems[0..count) the positions of records[0..count)
// (count at most MAX_NODES + 1) in the stable order of the fields `pack`
// lays out, and leaves in groupItems[i].index the number of record i's
// group of equal keys.  `hash` and `same` see only those
// fields: records that `same` calls equal must pack equal keys, and
// records that pack equal keys must hash alike and be `same`.
template <typename Record, typename Hash, typename Same, typename Pack>
void orderByGroups(const Record* records, int count, Hash hash, Same same, Pack pack) {
  // groupItems[i].index: the group of record i, numbered as first met;
  // sortItems[g]: group g's first record, its span the group's size.
  uint32_t mask = startRecordSlots(count);
  int groups = 0;
  for (int i = 0; i < count; i++) {
    uint32_t at = hash(records[i]) & mask;
    int group;
    for (;;) {
      int slot = recordSlots[at];
      if (slot == 0) {
        group = groups++;
        recordSlots[at] = static_cast<int16_t>(group + 1);
        sortItems[group] = SortItem{0, i, 0};
        break;
      }
      if (same(records[sortItems[slot - 1].index], records[i])) {
        group = slot - 1;
        break;
      }
      at = (at + 1) & mask;
    }
    sortItems[group].span++;
    groupItems[i].index = group;
  }

  // The groups in key order; each one's first position goes to
  // groupItems[g].key (records and groups share the items' numbering, in
  // different fields).
  sortItemsByKey(sortItems, groups, records, pack);
  // groupItems[k].span: whether position k starts a group.
  for (int k = 0; k < count; k++) groupItems[k].span = 0;
  int placed = 0;
  for (int g = 0; g < groups; g++) {
    groupItems[groupItems[sortItems[g].index].index].key = static_cast<uint64_t>(placed);
    groupItems[placed].span = 1;
    placed += sortItems[g].span;
  }
  // Every record to its group's next position, in table order.
  for (int i = 0; i < count; i++) {
    uint64_t& next = groupItems[groupItems[i].index].key;
    sortItems[next++] = SortItem{0, i, 1};
  }
}

// Whether the record at `position` of the table that the last group sort
// sorted has the same key as the one before it (the tail fields aside).
inline bool sameGroupAsBefore(int position) {
  return position > 0 && groupItems[position].span == 0;
}

// Stable sort of records[0..count) by the fields `pack` lays out (see
// orderByGroups).
template <typename Record, typename Hash, typename Same, typename Pack>
void sortByGroups(Record* records, int count, Hash hash, Same same, Pack pack) {
  orderByGroups(records, count, hash, same, pack);
  applyOrder(records, sortItems, count);
}

// Stable sort of records[0..count) by the fields `pack` lays out and then
// by those `packTail` lays out, which are left out of the groups: the
// records of each group sort among themselves on them.
template <typename Record, typename Hash, typename Same, typename Pack, typename PackTail>
void sortByGroupsThen(Record* records, int count, Hash hash, Same same, Pack pack,
                      PackTail packTail) {
  orderByGroups(records, count, hash, same, pack);
  for (int start = 0; start < count;) {
    int group = groupItems[sortItems[start].index].index;
    int end = start + 1;
    while (end < count && groupItems[sortItems[end].index].index == group) end++;
    if (end - start > 1) sortItemsByKey(sortItems + start, end - start, records, packTail);
    start = end;
  }
  applyOrder(records, sortItems, count);
}

// Stable sort of records[0..count) by (category, PCB attribute), both
// stored texts: the parts and the previous report's rows, whose few keys
// repeat over many records.
template <typename Record>
void sortByCategoryAndPcb(Record* records, int count) {
  sortByGroups(
      records, count,
      [](const Record& r) {
        return hashStoredText(hashStoredText(HASH_START, r.category), r.pcbAttribute);
      },
      [](const Record& a, const Record& b) {
        return textEquals(a.category, b.category) && textEquals(a.pcbAttribute, b.pcbAttribute);
      },
      [](const Record& r, KeyPacker& key) {
        key.storedText(r.category).storedText(r.pcbAttribute);
      });
}
