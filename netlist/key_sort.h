// Stable sorts of record tables on precomputed keys.
//
// A record's compared fields are laid end to end as bytes (each text with
// its terminator, each number in a fixed-width form whose byte order is its
// numeric order), so comparing those bytes gives the order of comparing the
// fields one after another with strcmp on unsigned bytes.  The bytes are
// packed eight at a time big-endian into integer keys; a sort compares
// only integers, and moves 16-byte key items, then places every record
// once, instead of moving whole records at each merge step.  Equal records
// keep their order, exactly as a stable sort of the records keeps it.
#pragma once

#include <bit>
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

// Items for every sort of the run (sorts never nest), and their scratch
// (in netlist/table_memory.h's TableMemory).
extern SortItem (&sortItems)[MAX_NODES + 1];
extern SortItem (&sortItemScratch)[MAX_NODES + 1];

// Eight bytes from p, p[0] the most significant.
inline uint64_t loadBigEndian(const char* p) {
  unsigned char b[8];
  memcpy(b, p, 8);
  return uint64_t{b[0]} << 56 | uint64_t{b[1]} << 48 | uint64_t{b[2]} << 40 |
         uint64_t{b[3]} << 32 | uint64_t{b[4]} << 24 | uint64_t{b[5]} << 16 |
         uint64_t{b[6]} << 8 | uint64_t{b[7]};
}

// The high bit of each zero byte of a word, exactly (no carry crosses a
// byte).
inline uint64_t zeroBytes(uint64_t word) {
  constexpr uint64_t LOW7 = 0x7F7F7F7F7F7F7F7Fu;
  return ~(((word & LOW7) + LOW7) | word | LOW7);
}

// Builds the key at one window of a record's compared fields: the fields
// laid end to end, of which the bytes [8 * level, 8 * level + 8) are packed.
struct KeyPacker {
  uint64_t key = 0;
  int skip = 0;  // bytes still to pass before the window
  int room = 8;  // bytes of the window still free

  explicit KeyPacker(int level = 0) : skip(8 * level) {}

  // A text and its terminator, which sorts before every byte.  The bytes
  // before the window are passed over in one loop and the window filled in
  // another, since deeper windows are packed again from the start.
  KeyPacker& text(const char* text) {
    const char* p = text;
    for (; skip > 0; skip--)
      if (*p++ == '\0') {
        skip--;
        return *this;
      }
    for (; room > 0; p++) {
      unsigned char byte = static_cast<unsigned char>(*p);
      key |= static_cast<uint64_t>(byte) << (8 * --room);
      if (byte == 0) break;
    }
    return *this;
  }
  // The same for a text stored with at least seven readable bytes after
  // its terminator (a record's texts in netlist/text_store.h): eight bytes
  // are read at a time, and the bytes after the terminator are masked off.
  KeyPacker& storedText(const char* text) {
    const char* p = text;
    while (skip > 0) {
      int n = skip < 8 ? skip : 8;
      uint64_t zeros = zeroBytes(loadBigEndian(p));
      if (zeros != 0) {
        int end = std::countl_zero(zeros) / 8;  // the terminator's byte
        if (end < n) {
          skip -= end + 1;
          return *this;
        }
      }
      p += n;
      skip -= n;
    }
    if (room == 0) return *this;
    uint64_t word = loadBigEndian(p);
    uint64_t zeros = zeroBytes(word);
    int length = 8;  // bytes of the text and its terminator in the word
    if (zeros != 0) {
      length = std::countl_zero(zeros) / 8 + 1;
      if (length < 8) word &= ~uint64_t{0} << (8 * (8 - length));
    }
    key |= word >> (8 * (8 - room));
    room = length < room ? room - length : 0;
    return *this;
  }
  // A signed 32-bit number as four bytes in numeric order.
  KeyPacker& number(int32_t value) {
    uint32_t bits = static_cast<uint32_t>(value) ^ 0x80000000u;
    return wide(static_cast<uint64_t>(bits) << 32, 4);
  }
  // A double (never NaN) as eight bytes in numeric order; -0 equals 0.
  KeyPacker& number(double value) {
    double x = value + 0.0;
    uint64_t bits;
    memcpy(&bits, &x, sizeof bits);
    bits = (bits >> 63) != 0 ? ~bits : bits | (1ull << 63);
    return wide(bits, 8);
  }

 private:
  // The top `width` bytes of `bits`, most significant first, as that many
  // putByte calls would lay them: the skipped ones passed, the window's
  // free bytes filled.
  KeyPacker& wide(uint64_t bits, int width) {
    int pass = skip < width ? skip : width;
    skip -= pass;
    width -= pass;
    int take = room < width ? room : width;
    if (take == 0) return *this;
    bits <<= 8 * pass;  // pass < 8 here: a field of 8 bytes passed whole takes none
    room -= take;
    key |= (bits >> (64 - 8 * take)) << (8 * room);
    return *this;
  }
};

// Stable sort of items[0..count) by key, least significant byte first: one
// counting pass over the keys gives every byte's counts, and each byte in
// which the keys differ then places all items once (a byte every key
// shares is passed over).  Many items cost a few passes instead of a merge
// sort's dozen rounds of comparisons; few items take the merge sort.
inline void sortItemsOnKey(SortItem* items, int count) {
  auto less = [](const SortItem& a, const SortItem& b) { return a.key < b.key; };
  if (count < 256) {
    stableSort(items, count, sortItemScratch, less);
    return;
  }
  int counts[8][256];  // 8 KB of stack
  memset(counts, 0, sizeof counts);
  for (int i = 0; i < count; i++) {
    uint64_t key = items[i].key;
    for (int b = 0; b < 8; b++) counts[b][(key >> (8 * b)) & 0xFF]++;
  }
  SortItem* from = items;
  SortItem* to = sortItemScratch;
  for (int b = 0; b < 8; b++) {
    int* next = counts[b];
    if (next[(from[0].key >> (8 * b)) & 0xFF] == count) continue;
    int placed = 0;
    for (int v = 0; v < 256; v++) {
      int n = next[v];
      next[v] = placed;
      placed += n;
    }
    for (int i = 0; i < count; i++) to[next[(from[i].key >> (8 * b)) & 0xFF]++] = from[i];
    SortItem* swap = from;
    from = to;
    to = swap;
  }
  if (from != items) memcpy(items, from, static_cast<size_t>(count) * sizeof *items);
}

// Sorts items[0..count) by the fields that `pack(record, packer)` lays out
// for the records they index, one 8-byte window at a time: a run of items
// whose windows are equal and full is sorted again on the next window.
// Texts end in their terminator and numbers have a fixed width, so no
// field sequence is the start of another, and equal keys in a window that
// was not filled mean equal records, which keep their order.
template <typename Record, typename Pack>
void sortItemsByKey(SortItem* items, int count, const Record* records, Pack pack, int level = 0) {
  for (int i = 0; i < count; i++) {
    KeyPacker packer(level);
    pack(records[items[i].index], packer);
    items[i].key = packer.key;
  }
  // Items already in key order (deeper windows of equal texts, inputs
  // written in order) stay as they are: a stable sort would not move them.
  // Items in strictly rising order are done: no two share a key.
  bool ordered = true;
  bool distinct = true;
  for (int i = 1; i < count; i++) {
    if (items[i - 1].key < items[i].key) continue;
    if (items[i - 1].key > items[i].key) {
      ordered = false;
      break;
    }
    distinct = false;
  }
  if (ordered && distinct) return;
  if (!ordered) sortItemsOnKey(items, count);
  for (int start = 0; start < count;) {
    int end = start + 1;
    while (end < count && items[end].key == items[start].key) end++;
    if (end - start > 1) {
      KeyPacker packer(level);
      pack(records[items[start].index], packer);
      if (packer.room == 0) sortItemsByKey(items + start, end - start, records, pack, level + 1);
    }
    start = end;
  }
}

// Room for `bytes` of records being put in a new order, or null when there
// is not that much: text storage that no text has used yet
// (netlist/text_store.h), good until the next text is stored.
void* borrowUnusedTextRoom(size_t bytes);

// Puts records[order[i].index] at position i for every i, in place.  Each
// record is copied out in the new order and the table copied back, loads
// that do not wait on one another; without the room for that, each record
// moves once along the cycles of the order, which uses up its indexes.
template <typename Record>
void applyOrder(Record* records, SortItem* order, int count) {
  if (count < 2) return;
  if (void* room = borrowUnusedTextRoom(sizeof(Record) * static_cast<size_t>(count))) {
    Record* placed = static_cast<Record*>(room);
    for (int i = 0; i < count; i++) placed[i] = records[order[i].index];
    memcpy(static_cast<void*>(records), room, sizeof(Record) * static_cast<size_t>(count));
    return;
  }
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

// Stable sort of records[0..count) by the fields `pack` lays out.
template <typename Record, typename Pack>
void sortByKey(Record* records, int count, Pack pack) {
  for (int i = 0; i < count; i++) sortItems[i] = SortItem{0, i, 1};
  sortItemsByKey(sortItems, count, records, pack);
  applyOrder(records, sortItems, count);
}
