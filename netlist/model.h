// The netlist model: component and connection tables that every reader
// fills, and their normalisation after reading.
//
// Both tables are fixed global arrays with one spare record past their
// capacity: once a table is full a reader parses into the spare and drops
// it, so it stays in step with its input.  Records point at their texts
// (netlist/text_store.h), kept at their real lengths when a record is
// stored, so sorting moves only records and a run touches only the memory
// its texts use.
#pragma once

#include <cstdint>

enum : int {
  MAX_PARTS = 6000,
  MAX_NODES = 20000,

  // Text capacities in characters (storage has one more byte).
  CAP_STATUS = 50,
  CAP_FORCED_MARK = 10,
  CAP_CATEGORY = 10,
  CAP_REFERENCE = 20,
  CAP_VALUE = 100,
  CAP_PCB_ATTRIBUTE = 121,
  CAP_PIN = 10,
  CAP_NET_NAME = 50,

  // Compacted input of the whole-file readers stops growing at this mark.
  COMPACT_MARK = 2100000,
  // Longest line of the run's own files, line end included.
  RUN_LINE_MAX = 2100200,
  TEXT_BUFFER_SIZE = 2100521,
};

struct PartRecord {
  int32_t refNumber;
  double numericValue;
  const char* footprint;   // owned elsewhere: index, text pool, or emptyText
  const char* status;      // owned elsewhere: a status word, or emptyText
  const char* forcedMark;  // owned elsewhere: a previous report's row, or emptyText
  char* category;          // room for CAP_CATEGORY characters
  char* reference;
  char* value;
  char* pcbAttribute;
};

struct NodeRecord {
  char* reference;
  char* pin;
  char* netName;
};

// Both live in netlist/table_memory.h's TableMemory.
extern PartRecord (&partTable)[MAX_PARTS + 1];
extern NodeRecord (&nodeTable)[MAX_NODES + 1];
extern int partCount;
extern int nodeCount;

// What normalisation found out about each node, in the final node order:
// NODE_HAS_PART when a part carries its reference, with the byte classes of
// the reference (netlist/text_class.h), so the writer neither looks the
// reference up again nor scans it; NODE_STARTS_NET on a net's first node.
enum : uint8_t { NODE_HAS_PART = 0x80, NODE_STARTS_NET = 0x40 };
extern uint8_t (&nodeReferenceFlags)[MAX_NODES + 1];

// Shared scratch area: compacted input of the readers that read their whole
// input first, and the line buffer of the run's own files.
extern char textBuffer[TEXT_BUFFER_SIZE];

// The one shared empty text that an unset footprint points at.
extern const char emptyText[1];

// For tools and tests that write into records directly: binds every part
// and node record (spares included) to texts of its own at their
// capacities, outside the run's text storage, and starts the tables as
// startNetlistTables does.  Those texts are not cleared.
void bindNetlistTables();

// Starts a run's tables (counts 0, their texts given back) without touching
// the records: a record is given room for its texts when the run fills it,
// and keeps them at their real lengths when it is stored.  A record the run
// has not filled is never read.
void startNetlistTables();

// The part record to fill at `index` (MAX_PARTS: the spare), with room for
// its texts at their capacities, all empty, and no status, forced mark or
// footprint.  Storing it keeps its texts (keepPartTexts); until then it may
// be asked for again and gets the same room.
PartRecord* partRecordToFill(PartRecord* parts, int index);
// Keeps the texts of a filled part at their real lengths; the spare's stay
// in the spare room.  After this a text may shrink in place but not grow.
void keepPartTexts(PartRecord* part);

// Stores a new part in the next free record (or the spare when the table is
// full) and returns whether it was counted.  Texts are cut to capacity.
bool addPart(PartRecord* parts, int* count, const char* reference, const char* value,
             const char* pcbAttribute);
// The same in two steps, for a reader that cuts each text into the record as
// it parses it: the record the next part is stored in (the spare when the
// table is full), and then counting it (or, when the table is full, noting
// its loss) once its texts are in, which keeps them.
PartRecord* nextPartRecord(PartRecord* parts, int count);
bool countPart(PartRecord* parts, int* count);

// Cleans pins and references, derives missing parts from the nodes, sorts
// the nodes into net order and sets nodeReferenceFlags.  Returns the reader's result when negative,
// else the final part count.
int normalizeNetlist(NodeRecord* nodes, int count, int readerResult, PartRecord* parts);

// Stable sorts of the part table over its first `count` records.  The
// parts' texts are stored texts (netlist/text_store.h, or bindNetlistTables'
// own), which the sorts read eight bytes at a time.
void sortPartsByReference(PartRecord* parts, int count);
void sortPartsByCategoryAndNumber(PartRecord* parts, int count);
// Sorted as groups of equal keys: sameGroupAsBefore (netlist/group_sort.h)
// then tells the parts that repeat the key before them.
void sortPartsByCategoryAndPcb(PartRecord* parts, int count);
void sortPartsForReport(PartRecord* parts, int count);
