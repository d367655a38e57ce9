// Where the texts of the record tables live, at their real lengths.
//
// A record is filled in room reserved for its fields at their capacities,
// and then kept: its texts move together and the room they leave goes back.
// The texts of a run so lie densely in the order the run kept them, and a
// run touches memory in proportion to the texts it holds rather than to the
// tables' capacity.  The storage is a pool of fixed chunks in the table
// memory, shared by the four kinds of record: a kind takes chunks as it
// grows and gives all of them back when its table starts again.  The pool
// holds every kind's table full of texts at their capacities.
//
// Every stored text is followed by at least seven readable bytes (the rest
// of its chunk, the next chunk, or the pool's tail), so the key packers and
// hashes may read a word past a terminator.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "netlist/files.h"
#include "netlist/key_sort.h"
#include "netlist/model.h"

enum RecordKind : int { PART_TEXTS, NODE_TEXTS, ROW_TEXTS, ENTRY_TEXTS, RECORD_KINDS };

enum : int {
  // The room each record reserves: its fields at their capacities with their
  // terminators.  A part keeps room for its category, which reconciliation
  // fills in later from its reference; its status and forced mark are texts
  // owned elsewhere.  The previous report's rows and the index entries are
  // tables of at most MAX_PARTS records.
  PART_TEXT_ROOM =
      (CAP_CATEGORY + 1) + (CAP_REFERENCE + 1) + (CAP_VALUE + 1) + (CAP_PCB_ATTRIBUTE + 1),
  NODE_TEXT_ROOM = (CAP_REFERENCE + 1) + (CAP_PIN + 1) + (CAP_NET_NAME + 1),
  ROW_TEXT_ROOM = (CAP_VALUE + 1) + (CAP_CATEGORY + 1) + (CAP_REFERENCE + 1) +
                  (CAP_PCB_ATTRIBUTE + 1) + (CAP_FORCED_MARK + 1),
  ENTRY_TEXT_ROOM = (CAP_CATEGORY + 1) + (CAP_PCB_ATTRIBUTE + 1),
  MOST_TEXT_ROOM = ROW_TEXT_ROOM,

  TEXT_CHUNK_BYTES = 16384,
  // A chunk is left for the next one only when a record's room does not
  // fit in what remains, so each kind fills at least TEXT_CHUNK_BYTES - its
  // room of every chunk but its last.
  TEXT_CHUNKS = (MAX_PARTS * PART_TEXT_ROOM + TEXT_CHUNK_BYTES - PART_TEXT_ROOM - 1) /
                        (TEXT_CHUNK_BYTES - PART_TEXT_ROOM) +
                (MAX_NODES * NODE_TEXT_ROOM + TEXT_CHUNK_BYTES - NODE_TEXT_ROOM - 1) /
                        (TEXT_CHUNK_BYTES - NODE_TEXT_ROOM) +
                (MAX_PARTS * ROW_TEXT_ROOM + TEXT_CHUNK_BYTES - ROW_TEXT_ROOM - 1) /
                        (TEXT_CHUNK_BYTES - ROW_TEXT_ROOM) +
                (MAX_PARTS * ENTRY_TEXT_ROOM + TEXT_CHUNK_BYTES - ENTRY_TEXT_ROOM - 1) /
                        (TEXT_CHUNK_BYTES - ENTRY_TEXT_ROOM) +
                RECORD_KINDS,
};
static_assert(MOST_TEXT_ROOM >= PART_TEXT_ROOM && MOST_TEXT_ROOM >= NODE_TEXT_ROOM &&
                  MOST_TEXT_ROOM >= ENTRY_TEXT_ROOM,
              "the spare room holds any record");

// The texts of one kind: the chunks it holds in the order it took them,
// and the free bytes of the last one.
struct KindTexts {
  char* top;      // the next free byte of the last chunk (null: no chunk yet)
  char* end;      // the end of the last chunk
  char* open;     // the last room reserved and not yet kept, or null
  int openIndex;  // the record it was reserved for
  int chunkCount;
  uint16_t chunks[TEXT_CHUNKS];
};
extern KindTexts kindTexts[RECORD_KINDS];

// Empties the texts of a kind: its chunks go back to the pool.  Records of
// the kind that still point at them must not be read again.
void startTexts(RecordKind kind);

// Room for the texts of record `index` of a kind (`room` bytes, at most
// MOST_TEXT_ROOM), within one chunk.  The room stays reserved until
// keepTexts gives back what its record does not use, so a record filled
// but never kept still keeps its texts; asked again for the same record
// before anything else was reserved, it hands out the same room.  Should the pool
// ever run dry, the loss is noted and the spare room is handed out instead.
// The room in a chunk not yet begun is reserved out of line.
char* reserveTextsInNewChunk(RecordKind kind, int room, int index);
inline char* reserveTexts(RecordKind kind, int room, int index) {
  KindTexts& k = kindTexts[kind];
  if (k.open != nullptr && k.openIndex == index && k.open + room == k.top) return k.open;
  if (k.end - k.top < room) return reserveTextsInNewChunk(kind, room, index);
  k.open = k.top;
  k.openIndex = index;
  k.top += room;
  return k.open;
}

// The record whose room ends at `roomEnd` keeps its texts up to `keptEnd`:
// when no room was reserved after it, the rest goes back to the kind.
inline void keepTexts(RecordKind kind, const char* roomEnd, char* keptEnd) {
  KindTexts& k = kindTexts[kind];
  if (k.top == roomEnd) k.top = keptEnd;
  k.open = nullptr;
}

// The length of a stored text, measured eight bytes at a time.
inline size_t storedTextLength(const char* text) {
  for (size_t len = 0;; len += 8) {
    uint64_t zeros = zeroBytes(loadBigEndian(text + len));
    if (zeros != 0) return len + static_cast<size_t>(std::countl_zero(zeros) / 8);
  }
}

// Moves a text of a record's room down to `to` (never above it), points
// the field there, and returns where the next text goes.  The text is
// measured eight bytes at a time: readable bytes follow every field of a
// room, and those past the terminator are not copied.
inline char* packText(char** field, char* to) {
  const char* from = *field;
  size_t len = storedTextLength(from);
  *field = to;
  if (to != from) {
    if (len < 32) copyShortBytes(to, from, len + 1);  // loads all before it stores
    else memmove(to, from, len + 1);
  }
  return to + len + 1;
}

// Room for a record that no table keeps: the spare past a full table.  One
// per kind, reused by every such record.
char* spareTexts(RecordKind kind);
