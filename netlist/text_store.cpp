// The chunk pool that holds the record tables' texts.
#include "netlist/text_store.h"

#include <cstdint>
#include <cstring>

#include "netlist/large_tables.h"
#include "netlist/losses.h"
#include "netlist/table_memory.h"

LARGE_TABLE(1) KindTexts kindTexts[RECORD_KINDS];

namespace {

// Chunks given back, the lowest on top; chunks from freshChunks on were
// never handed out, so a new process takes them in address order.
LARGE_TABLE(1) uint16_t freeChunks[TEXT_CHUNKS];
int freeCount;
int freshChunks;
// The spare rooms, and readable bytes after them.
LARGE_TABLE(1) char spareRooms[RECORD_KINDS][MOST_TEXT_ROOM + 8];

}  // namespace

void startTexts(RecordKind kind) {
  KindTexts& k = kindTexts[kind];
  while (k.chunkCount > 0) freeChunks[freeCount++] = k.chunks[--k.chunkCount];
  k.top = nullptr;
  k.end = nullptr;
  k.open = nullptr;
}

char* reserveTextsInNewChunk(RecordKind kind, int room, int index) {
  KindTexts& k = kindTexts[kind];
  int chunk;
  if (freeCount > 0) {
    chunk = freeChunks[--freeCount];
  } else if (freshChunks < TEXT_CHUNKS) {
    chunk = freshChunks++;
  } else {
    noteLoss(LOSS_TEXT_POOL_FULL, "", 0);
    return spareTexts(kind);
  }
  k.chunks[k.chunkCount++] = static_cast<uint16_t>(chunk);
  k.top = tableMemory.textChunks[chunk];
  k.end = k.top + TEXT_CHUNK_BYTES;
  k.open = k.top;
  k.openIndex = index;
  k.top += room;
  return k.open;
}

char* spareTexts(RecordKind kind) { return spareRooms[kind]; }

// The chunks never handed out follow the last one handed out, in the same
// stretch of memory as the texts of the run so far.
void* borrowUnusedTextRoom(size_t bytes) {
  size_t unused = static_cast<size_t>(TEXT_CHUNKS - freshChunks) * TEXT_CHUNK_BYTES;
  return bytes <= unused && freshChunks < TEXT_CHUNKS ? tableMemory.textChunks[freshChunks]
                                                      : nullptr;
}
