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
#include <cstring>

#include "netlist/losses.h"
#include "netlist/text.h"
#include "readers/formats.h"
#include "readers/reader_io.h"

namespace {

enum ListState { IGNORE, PART_LIST, NET_LIST };
enum Mm2State { SEEK, KEYWORD, PART_RECORD, NET_RECORD, NODE_RECORD, FINISH };

bool isBlank(char c) {
  unsigned char b = static_cast<unsigned char>(c);
  return b <= 32 && b != '\r';
}

size_t copyNonBlanks(const char* piece, int from, int len, size_t used) {
  for (int i = from; i < len; i++)
    if (!isBlank(piece[i])) textBuffer[used++] = piece[i];
  return used;
}

// Copies piece[*i..) as it is up to `stop`; a CR is written and ends the
// line (returns false).  Then drops the spaces this stretch wrote last.
bool copyStretch(const char* piece, int* i, int len, char stop, size_t* used) {
  size_t start = *used;
  while (*i < len && piece[*i] != stop) {
    char c = piece[(*i)++];
    textBuffer[(*used)++] = c;
    if (c == '\r') return false;
  }
  if (*i >= len) return false;
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
    size_t end = static_cast<size_t>(len);
    size_t k;
    if ((k = scanToWord(piece, 0, end, "$PTS")) < end) state = PART_LIST;
    else if ((k = scanToWord(piece, 0, end, "$NET")) < end) state = NET_LIST;
    else if ((k = scanToWord(piece, 0, end, "$END")) < end) state = IGNORE;
    if (k < end) used = copyNonBlanks(piece, static_cast<int>(k), len, used);
    else if (state == NET_LIST) used = copyNonBlanks(piece, 0, len, used);
    else if (state == PART_LIST) used = compactPartLine(piece, len, used);
  }
  textBuffer[used] = '\0';
  if (used >= COMPACT_MARK && peekByte(in) >= 0) noteReadLimit(textBuffer, used);
  else if (state != IGNORE) noteMissingClose("$END");
  return used;
}

struct Mm2 {
  const char* t;
  size_t end;
  size_t p;
  PartRecord* parts;
  NodeRecord* nodes;
  int partsStored;
  int nodesStored;
  char netName[CAP_NET_NAME + 1];
};

void skipLineEnds(Mm2* m) {
  while (m->p < m->end && m->t[m->p] == '\r') m->p++;
}

// A quoted text at the position: the bytes up to the next double quote, cut
// to `cap` (a cut is noted as `cutKind`); then on to the next `stop`.
// Unquoted: the bytes up to `stop`.
// Returns the position of the stop, or end.
size_t takeMaybeQuoted(Mm2* m, char stop, char* dst, int cap, int cutKind) {
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

// Returns the next state, or an error code.
int readPartRecord(Mm2* m) {
  skipLineEnds(m);
  if (m->p >= m->end) return FINISH;
  if (m->t[m->p] == '$') {
    m->p++;
    return KEYWORD;
  }
  char pcbAttribute[CAP_PCB_ATTRIBUTE + 1];
  char value[CAP_VALUE + 1];
  char reference[CAP_REFERENCE + 1];
  size_t q = scanToAny(m->t, m->p, m->end, "!$");
  if (q >= m->end) return FINISH;
  if (m->t[q] == '$') {  // no '!' before the next keyword: the record is dropped
    m->p = q + 1;
    return KEYWORD;
  }
  copyCut(pcbAttribute, CAP_PCB_ATTRIBUTE, m->t + m->p, q - m->p, LOSS_CUT_PCB_ATTRIBUTE);
  trimTrailingSpaces(pcbAttribute);
  m->p = q + 1;
  q = takeMaybeQuoted(m, ';', value, CAP_VALUE, LOSS_CUT_VALUE);
  if (q >= m->end) return -2;
  trimTrailingSpaces(value);
  m->p = q + 1;
  q = scanToByte(m->t, m->p, m->end, '\r');
  if (q >= m->end) return -3;
  copyCut(reference, CAP_REFERENCE, m->t + m->p, q - m->p, LOSS_CUT_REFERENCE);
  addPart(m->parts, &m->partsStored, reference, value, pcbAttribute);
  m->p = q + 1;
  return PART_RECORD;
}

int readNetRecord(Mm2* m) {
  skipLineEnds(m);
  if (m->p >= m->end) return FINISH;
  if (m->t[m->p] == '$') {
    m->p++;
    return KEYWORD;
  }
  size_t q = takeMaybeQuoted(m, ';', m->netName, CAP_NET_NAME, LOSS_CUT_NET_NAME);
  if (q >= m->end) return -4;
  m->p = q + 1;
  return NODE_RECORD;
}

int readNodeRecord(Mm2* m) {
  // Blank lines after a trailing comma leave CRs before the next node.
  skipLineEnds(m);
  const char* t = m->t;
  size_t dash = scanToByte(t, m->p, m->end, '-');
  if (dash >= m->end) return -7;
  size_t pin = dash + 1;
  size_t stop = scanToAny(t, pin, m->end, ",\r");
  if (stop >= m->end) return -7;
  addNode(m->nodes, &m->nodesStored, t + m->p, dash - m->p, t + pin, stop - pin, m->netName);
  m->p = stop + 1;
  if (t[stop] == '\r') return NET_RECORD;
  if (m->p < m->end && t[m->p] == '\r') m->p++;
  return NODE_RECORD;
}

int parseCompacted(Mm2* m) {
  int state = SEEK;
  while (state != FINISH) {
    switch (state) {
      case SEEK: {
        size_t q = scanToByte(m->t, m->p, m->end, '$');
        if (q >= m->end) return 0;
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
      case PART_RECORD: state = readPartRecord(m); break;
      case NET_RECORD: state = readNetRecord(m); break;
      case NODE_RECORD: state = readNodeRecord(m); break;
    }
    if (state < 0) return state;
  }
  return 0;
}

}  // namespace

int readMm2ColmoNetlist(ByteSource* in, PartRecord* parts, NodeRecord* nodes, int* nodeCountOut,
                        int /*formatOption*/) {
  Mm2 m;
  m.t = textBuffer;
  m.end = compactInput(in);
  m.p = 0;
  m.parts = parts;
  m.nodes = nodes;
  m.partsStored = 0;
  m.nodesStored = 0;
  m.netName[0] = '\0';
  if (m.end == 0) return -9;
  int r = parseCompacted(&m);
  if (r < 0) return r;
  return finishRead(m.partsStored, m.nodesStored, nodeCountOut);
}
