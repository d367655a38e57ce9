// MM-2/Colmo netlist reader.
//
// Line-oriented: a line holding "$PTS" starts the part list, "$NET" the net
// list, "$END" ends a list.  Part lines read `PCB ! VALUE ; REF`, net lines
// `NAME ; REF-PIN, REF-PIN, ...`, continued on the next line after a
// trailing comma; a value or net name may stand in double quotes.  Pass 1
// copies the lines of the lists into the shared text buffer without their
// blanks (bytes of 32 or less but CR; a part line keeps the spaces inside
// its PCB attribute and value), each line ending in one CR.  Lines are read
// in pieces of at most 519 bytes, and pass 1 stops before the next piece
// once COMPACT_MARK bytes are written.  Pass 2 parses the copy.  TAB reads
// as a space; lines end at CR, CR LF or LF.
#include <cstdint>
#include <cstring>

#include "netlist/losses.h"
#include "netlist/text.h"
#include "readers/formats.h"
#include "readers/reader_io.h"

namespace {

enum ListState { IGNORE, PART_LIST, NET_LIST };
enum Mm2ColmoState { SEEK, KEYWORD, PART_RECORD, NET_RECORD, NODE_RECORD, FINISH };

// The result codes of this reader (besides the part count); 0 inside the
// reader means "read on".
enum Mm2ColmoResult : int {
  MM2_OK = 0,
  MM2_VALUE_NOT_ENDED = -2,       // a part's value without ";"
  MM2_REFERENCE_NOT_ENDED = -3,   // a part's reference without a line end
  MM2_NET_NAME_NOT_ENDED = -4,    // a net name without ";"
  MM2_NODE_MALFORMED = -7,        // a node without "-", or without "," or a line end
  MM2_NO_NODES = READ_NO_NODES,
};

// Copies piece[from..len) without its blanks to textBuffer at `used`.
// Eight bytes at a time are stored whole and counted up to their first byte
// of 32 or less: no byte adds more than one kept byte and a piece of at most
// READER_LINE_MAX bytes starts below COMPACT_MARK, so every word stored
// ahead stays inside the buffer.
size_t copyNonBlanks(const char* piece, int from, int len, size_t used) {
  int i = from;
  while (i < len) {
    if (len - i >= 8) {
      uint64_t x = loadWord(piece + i);
      uint64_t marks = marksBelow(x, 33);
      memcpy(textBuffer + used, piece + i, 8);
      int plain = marks == 0 ? 8 : firstMarked(marks);
      used += static_cast<size_t>(plain);
      i += plain;
      if (plain == 8) continue;
    }
    char c = piece[i++];
    if (!isBlank(c)) textBuffer[used++] = c;
  }
  return used;
}

// Copies piece[*i..) as it is up to `stop`; a CR is written and ends the
// line (returns false).  Then drops the spaces this stretch wrote last.
bool copyStretch(const char* piece, int* i, int len, char stop, size_t* used) {
  size_t start = *used;
  int q = scanToAnyOf(piece, *i, len, stop, '\r', '\r');
  memcpy(textBuffer + *used, piece + *i, static_cast<size_t>(q - *i));
  *used += static_cast<size_t>(q - *i);
  *i = q;
  if (q >= len) return false;
  if (piece[q] == '\r') {
    textBuffer[(*used)++] = '\r';
    (*i)++;
    return false;
  }
  while (*used > start && textBuffer[*used - 1] == ' ') (*used)--;
  return true;
}

// A part line: PCB attribute and value keep their inner spaces.
size_t compactPartLine(const char* piece, int len, size_t used) {
  int i = 0;
  while (i < len && isBlank(piece[i])) i++;
  if (!copyStretch(piece, &i, len, '!', &used)) return used;
  textBuffer[used++] = '!';
  i++;
  while (i < len && isBlank(piece[i])) i++;
  if (!copyStretch(piece, &i, len, ';', &used)) return used;
  textBuffer[used++] = ';';
  return copyNonBlanks(piece, i + 1, len, used);
}

size_t compactInput(ByteSource* in) {
  char piece[READER_LINE_SIZE];
  size_t used = 0;
  ListState state = IGNORE;
  bool lineOpen = false;
  int len;
  while (used < COMPACT_MARK &&
         (len = readLinePiece(in, piece, READER_LINE_MAX, LINE_TAB_AS_SPACE, &lineOpen)) >= 0) {
    // The keywords are looked for only in a piece that holds a '$'.
    int k = len;
    if (scanToByte(piece, 0, len, '$') < len) {
      if ((k = scanToWord(piece, 0, len, "$PTS")) < len) state = PART_LIST;
      else if ((k = scanToWord(piece, 0, len, "$NET")) < len) state = NET_LIST;
      else if ((k = scanToWord(piece, 0, len, "$END")) < len) state = IGNORE;
    }
    if (k < len) used = copyNonBlanks(piece, k, len, used);
    else if (state == NET_LIST) used = copyNonBlanks(piece, 0, len, used);
    else if (state == PART_LIST) used = compactPartLine(piece, len, used);
  }
  textBuffer[used] = '\0';
  if (used >= COMPACT_MARK && peekByte(in) >= 0) noteReadLimit(textBuffer, used);
  else if (state != IGNORE) noteMissingClose("$END");
  return used;
}

struct Mm2ColmoReader : NetlistRead {
  const char* t;  // the compacted text t[0..end), read at p
  size_t end;
  size_t p;
};

// Skips the line ends before a record; false when the list ends there, with
// the state that follows (the input's end, or a keyword) in *next.
bool recordFollows(Mm2ColmoReader* m, Mm2ColmoState* next) {
  while (m->p < m->end && m->t[m->p] == '\r') m->p++;
  if (m->p >= m->end) {
    *next = FINISH;
    return false;
  }
  if (m->t[m->p] == '$') {
    m->p++;
    *next = KEYWORD;
    return false;
  }
  return true;
}

// A quoted text at the position: the bytes up to the next double quote, cut
// to `cap` (a cut is noted as `cutKind`); then on to the next `stop`.
// Unquoted: the bytes up to `stop`.
// Returns the position of the stop, or end.
size_t takeMaybeQuoted(Mm2ColmoReader* m, char stop, char* dst, int cap, int cutKind) {
  const char* t = m->t;
  size_t p = m->p;
  if (p < m->end && t[p] == '"') {
    size_t q = scanToByte(t, p + 1, m->end, '"');
    copyCut(dst, cap, t + p + 1, q - p - 1, cutKind);
    return scanToByte(t, q, m->end, stop);
  }
  size_t q = scanToByte(t, p, m->end, stop);
  copyCut(dst, cap, t + p, q - p, cutKind);
  return q;
}

// Each record step returns MM2_OK with the state that follows in *next, or
// an error code.
int readPartRecord(Mm2ColmoReader* m, Mm2ColmoState* next) {
  if (!recordFollows(m, next)) return MM2_OK;
  size_t q = scanToAny(m->t, m->p, m->end, "!$");
  *next = FINISH;
  if (q >= m->end) return MM2_OK;
  if (m->t[q] == '$') {  // no '!' before the next keyword: the record is dropped
    m->p = q + 1;
    *next = KEYWORD;
    return MM2_OK;
  }
  // The texts go straight into the next part record.
  PartRecord* part = partToFill(m);
  copyCut(part->pcbAttribute, CAP_PCB_ATTRIBUTE, m->t + m->p, q - m->p, LOSS_CUT_PCB_ATTRIBUTE);
  trimTrailingSpaces(part->pcbAttribute);
  m->p = q + 1;
  q = takeMaybeQuoted(m, ';', part->value, CAP_VALUE, LOSS_CUT_VALUE);
  if (q >= m->end) return MM2_VALUE_NOT_ENDED;
  trimTrailingSpaces(part->value);
  m->p = q + 1;
  q = scanToByte(m->t, m->p, m->end, '\r');
  if (q >= m->end) return MM2_REFERENCE_NOT_ENDED;
  copyCut(part->reference, CAP_REFERENCE, m->t + m->p, q - m->p, LOSS_CUT_REFERENCE);
  storeFilledPart(m);
  m->p = q + 1;
  *next = PART_RECORD;
  return MM2_OK;
}

int readNetRecord(Mm2ColmoReader* m, Mm2ColmoState* next) {
  if (!recordFollows(m, next)) return MM2_OK;
  size_t q = takeMaybeQuoted(m, ';', m->netName, CAP_NET_NAME, LOSS_CUT_NET_NAME);
  netNameWritten(m);
  if (q >= m->end) return MM2_NET_NAME_NOT_ENDED;
  m->p = q + 1;
  *next = NODE_RECORD;
  return MM2_OK;
}

int readNodeRecord(Mm2ColmoReader* m, Mm2ColmoState* next) {
  // Blank lines after a trailing comma leave CRs before the next node.
  while (m->p < m->end && m->t[m->p] == '\r') m->p++;
  const char* t = m->t;
  size_t dash = scanToAnyOf(t, m->p, m->end, '-', '-', '-');
  if (dash >= m->end) return MM2_NODE_MALFORMED;
  size_t pin = dash + 1;
  size_t stop = scanToAny(t, pin, m->end, ",\r");
  if (stop >= m->end) return MM2_NODE_MALFORMED;
  storeNode(m, t + m->p, dash - m->p, t + pin, stop - pin);
  m->p = stop + 1;
  *next = t[stop] == '\r' ? NET_RECORD : NODE_RECORD;
  if (t[stop] != '\r' && m->p < m->end && t[m->p] == '\r') m->p++;
  return MM2_OK;
}

int parseCompacted(Mm2ColmoReader* m) {
  Mm2ColmoState state = SEEK;
  while (state != FINISH) {
    int r = MM2_OK;
    switch (state) {
      case SEEK: {
        size_t q = scanToByte(m->t, m->p, m->end, '$');
        if (q >= m->end) return MM2_OK;
        m->p = q + 1;
        state = KEYWORD;
        break;
      }
      case KEYWORD:
        if (wordAt(m->t, m->p, m->end, "PTS")) state = PART_RECORD;
        else if (wordAt(m->t, m->p, m->end, "NET")) state = NET_RECORD;
        else state = SEEK;
        m->p = m->p + 3 < m->end ? m->p + 3 : m->end;
        break;
      case PART_RECORD: r = readPartRecord(m, &state); break;
      case NET_RECORD: r = readNetRecord(m, &state); break;
      case NODE_RECORD: r = readNodeRecord(m, &state); break;
      case FINISH: break;
    }
    if (r < 0) return r;
  }
  return MM2_OK;
}

}  // namespace

int readMm2ColmoNetlist(ByteSource* in, PartRecord* parts, NodeRecord* nodes, int* nodeCountOut,
                        int /*formatOption*/) {
  Mm2ColmoReader m{startRead(parts, nodes), textBuffer, compactInput(in), 0};
  if (m.end == 0) return MM2_NO_NODES;
  int r = parseCompacted(&m);
  if (r < 0) return r;
  return finishRead(&m, nodeCountOut);
}
