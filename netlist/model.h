// The netlist model: component and connection tables that every reader
// fills, and their normalisation after reading.
//
// Both tables are fixed global arrays with one spare record past their
// capacity: once a table is full a reader parses into the spare and drops
// it, so it stays in step with its input.  Records point at their own text
// storage (netlist/table_memory.h), bound when a record is first filled, so
// sorting moves only records and a small board touches only what it uses.
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
  const char* footprint;  // owned elsewhere: index, text pool, or emptyText
  char* status;
  char* forcedMark;
  char* category;
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

// Binds every part and node record (spares included) to its own text
// storage and sets nodeCount to 0.  Text storage is not cleared.
void bindNetlistTables();

// Starts a run's tables (counts 0) without touching the records: each
// record is bound to its own text storage when the run first fills it, so
// a run touches only the records it uses, and the texts of a run lie in
// the order of filling even after an earlier run sorted the records.  A
// record the run has not filled is never read.  Every place that fills a
// record takes it from these two.
void startNetlistTables();
PartRecord* partRecordToFill(PartRecord* parts, int index);
NodeRecord* nodeRecordToFill(NodeRecord* nodes, int index);

// Stores a new part in the next free record (or the spare when the table is
// full) and returns whether it was counted.  Texts are cut to capacity.
bool addPart(PartRecord* parts, int* count, const char* reference, const char* value,
             const char* pcbAttribute);
// The same in two steps, for a reader that cuts each text into the record as
// it parses it: the record the next part is stored in (the spare when the
// table is full), and then counting it (or, when the table is full, noting
// its loss) once its texts are in.
PartRecord* nextPartRecord(PartRecord* parts, int count);
bool countPart(PartRecord* parts, int* count);

// Cleans pins and references, derives missing parts from the nodes, sorts
// the nodes into net order and sets nodeReferenceFlags.  Returns the reader's result when negative,
// else the final part count.
int normalizeNetlist(NodeRecord* nodes, int count, int readerResult, PartRecord* parts);

// Stable sorts of the part table over its first `count` records.
void sortPartsByReference(PartRecord* parts, int count);
void sortPartsByCategoryAndNumber(PartRecord* parts, int count);
// Sorted as groups of equal keys: sameGroupAsBefore (netlist/group_sort.h)
// then tells the parts that repeat the key before them.
void sortPartsByCategoryAndPcb(PartRecord* parts, int count);
void sortPartsForReport(PartRecord* parts, int count);
