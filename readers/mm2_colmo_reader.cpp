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
#include <bit>
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

// A piece of a line as readLinePiece hands it out, without its line end.
struct Piece {
  const char* text;
  int len;
  bool closed;     // the line ends after it
  bool hasDollar;  // it holds a '$'
  bool hasNul;     // it holds a zero byte
};

// The next piece.  A piece whose line ends inside the source's buffer
// (with the byte after a CR, which may be its LF) and that holds no other
// byte below 32 is seen in place, found in one scan eight bytes at a time;
// any other is copied into `buf` by readLinePiece.  False at the end of the
// input.
bool nextPiece(ByteSource* in, char* buf, bool* lineOpen, Piece* piece) {
  const char* data = reinterpret_cast<const char*>(in->data) + in->pos;
  size_t avail = in->len - in->pos;
  size_t limit = avail < size_t{READER_LINE_MAX} ? avail : size_t{READER_LINE_MAX};
  size_t d = 0;
  bool dollar = false;
  bool ended = false;
  while (limit - d >= 8) {
    uint64_t x = loadWord(data + d);
    uint64_t controls = marksBelow(x, 32);
    uint64_t dollars = marksOf(x, '$');
    if (controls != 0) {
      // The lowest mark of each kind is exact: a '$' marked below the
      // first control byte is one of the piece.
      int k = firstMarked(controls);
      dollar = dollar || (dollars & ((uint64_t{1} << (8 * k)) - 1)) != 0;
      d += static_cast<size_t>(k);
      ended = true;
      break;
    }
    dollar = dollar || dollars != 0;
    d += 8;
  }
  if (!ended) {
    for (; d < limit && static_cast<unsigned char>(data[d]) >= 32; d++)
      if (data[d] == '$') dollar = true;
    ended = d < limit;
  }
  size_t taken = 0;
  if (ended && data[d] == '\n') taken = d + 1;
  else if (ended && data[d] == '\r' && d + 1 < avail) taken = d + (data[d + 1] == '\n' ? 2 : 1);
  else if (!ended && limit == READER_LINE_MAX) taken = d;  // the line goes on
  if (taken > 0) {
    in->pos += taken;
    *lineOpen = !ended;
    *piece = {data, static_cast<int>(d), ended, dollar, false};
    return true;
  }
  int n = readLinePiece(in, buf, READER_LINE_MAX, LINE_TAB_AS_SPACE, lineOpen);
  if (n < 0) return false;
  bool closed = n > 0 && buf[n - 1] == '\r';
  int len = closed ? n - 1 : n;
  *piece = {buf, len, closed, memchr(buf, '$', static_cast<size_t>(len)) != nullptr,
            memchr(buf, '\0', static_cast<size_t>(len)) != nullptr};
  return true;
}

// Ends a stretch of the compacted text: a CR when its piece ends the line.
size_t closeLine(const Piece& piece, size_t used) {
  if (piece.closed) textBuffer[used++] = '\r';
  return used;
}

// Marks the bytes of x of 32 or less (the blanks of a piece, which holds
// no line end), every mark exact: adding 95 to the low seven bits of a
// byte carries into its top bit when they are 33 or more, and never into
// the next byte.
inline uint64_t blankMarks(uint64_t x) {
  uint64_t low = ~BYTE_TOPS;
  return ~(((x & low) + 95 * BYTE_ONES) | x) & BYTE_TOPS;
}

// Stores the eight bytes of a word as loadWord read them.
inline void storeWord(char* to, uint64_t x) {
  if constexpr (std::endian::native == std::endian::big) x = loadWord(&x);  // swaps back
  memcpy(to, &x, 8);
}

// Copies the piece from `from` on without its blanks to textBuffer at
// `used`, with its line end.  Eight bytes at a time: the word is stored
// whole and counted up to its first blank, then what follows that blank is
// stored over the rest, and so on.  No byte adds more than one kept byte
// and a piece of at most READER_LINE_MAX bytes starts below COMPACT_MARK,
// so every word stored ahead stays inside the buffer.
size_t copyNonBlanks(const Piece& piece, int from, size_t used) {
  const char* text = piece.text;
  int len = piece.len;
  int i = from;
  for (; len - i >= 8; i += 8) {
    uint64_t x = loadWord(text + i);
    uint64_t blanks = blankMarks(x);
    int left = 8;
    while (blanks != 0) {
      int k = firstMarked(blanks);
      storeWord(textBuffer + used, x);
      used += static_cast<size_t>(k);
      x = (x >> (8 * k)) >> 8;
      blanks = (blanks >> (8 * k)) >> 8;
      left -= k + 1;
    }
    storeWord(textBuffer + used, x);
    used += static_cast<size_t>(left);
  }
  for (; i < len; i++)
    if (!isBlank(text[i])) textBuffer[used++] = text[i];
  return closeLine(piece, used);
}

// Copies the piece from *i as it is up to `stop` and drops the spaces this
// stretch wrote last; true when the stop was found (*i at it).  Without the
// stop the stretch takes the rest of the piece with its line end, spaces
// and all.  Eight bytes at a time are stored as they are scanned: the bytes
// stored past the stop stay inside the buffer as in copyNonBlanks and are
// written over by what follows.
bool copyStretch(const Piece& piece, int* i, char stop, size_t* used) {
  const char* from = piece.text + *i;
  int n = piece.len - *i;
  char* to = textBuffer + *used;
  int k = 0;
  for (; n - k >= 8; k += 8) {
    uint64_t x = loadWord(from + k);
    storeWord(to + k, x);
    uint64_t stops = marksOf(x, static_cast<unsigned char>(stop));
    if (stops != 0) {
      k += firstMarked(stops);
      break;
    }
  }
  if (n - k < 8)
    for (; k < n && from[k] != stop; k++) to[k] = from[k];
  *i += k;
  if (k >= n) {
    *used = closeLine(piece, *used + static_cast<size_t>(k));
    return false;
  }
  while (k > 0 && to[k - 1] == ' ') k--;
  *used += static_cast<size_t>(k);
  return true;
}

int skipBlanks(const Piece& piece, int i) {
  while (i < piece.len && isBlank(piece.text[i])) i++;
  return i;
}

// A part line: PCB attribute and value keep their inner spaces.
size_t compactPartLine(const Piece& piece, size_t used) {
  int i = skipBlanks(piece, 0);
  if (!copyStretch(piece, &i, '!', &used)) return used;
  textBuffer[used++] = '!';
  i = skipBlanks(piece, i + 1);
  if (!copyStretch(piece, &i, ';', &used)) return used;
  textBuffer[used++] = ';';
  return copyNonBlanks(piece, i + 1, used);
}

// Pass 1; tells in *nulPacked whether a zero byte may stand in the copy.
size_t compactInput(ByteSource* in, bool* nulPacked) {
  char buf[READER_LINE_SIZE];
  size_t used = 0;
  ListState state = IGNORE;
  bool lineOpen = false;
  Piece piece;
  *nulPacked = false;
  while (used < COMPACT_MARK && nextPiece(in, buf, &lineOpen, &piece)) {
    // The keywords are looked for only in a piece that holds a '$'.
    const char* text = piece.text;
    int len = piece.len;
    int k = len;
    if (piece.hasDollar) {
      if ((k = scanToWord(text, 0, len, "$PTS")) < len) state = PART_LIST;
      else if ((k = scanToWord(text, 0, len, "$NET")) < len) state = NET_LIST;
      else if ((k = scanToWord(text, 0, len, "$END")) < len) state = IGNORE;
    }
    if (state != IGNORE || k < len) *nulPacked = *nulPacked || piece.hasNul;
    if (k < len) used = copyNonBlanks(piece, k, used);
    else if (state == NET_LIST) used = copyNonBlanks(piece, 0, used);
    else if (state == PART_LIST) used = compactPartLine(piece, used);
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
  bool nulPacked;  // a zero byte may stand in t (only from an input's zero byte)
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

// The text at the position: quoted, the bytes up to the next double
// quote; unquoted, the bytes up to `stop`.  Sets *from and *len to them and
// returns the position of the next `stop` (after a quoted text's closing
// quote), or end.
size_t spanMaybeQuoted(const Mm2ColmoReader* m, char stop, size_t* from, size_t* len) {
  const char* t = m->t;
  size_t p = m->p;
  if (p < m->end && t[p] == '"') {
    size_t q = scanToAnyOf(t, p + 1, m->end, '"', '"', '"');
    *from = p + 1;
    *len = q - p - 1;
    return scanToAnyOf(t, q, m->end, stop, stop, stop);
  }
  size_t q = scanToAnyOf(t, p, m->end, stop, stop, stop);
  *from = p;
  *len = q - p;
  return q;
}

// cutText, then the text's trailing spaces dropped.  Its length is known
// unless a zero byte may stand in it and end it sooner.
void cutTrimmed(const Mm2ColmoReader* m, char* dst, int cap, const char* src, size_t len,
                int cutKind) {
  cutText(dst, cap, src, len, cutKind);
  size_t n = m->nulPacked ? strlen(dst)
                          : (len < static_cast<size_t>(cap) ? len : static_cast<size_t>(cap));
  while (n > 0 && dst[n - 1] == ' ') n--;
  dst[n] = '\0';
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
  cutTrimmed(m, part->pcbAttribute, CAP_PCB_ATTRIBUTE, m->t + m->p, q - m->p,
             LOSS_CUT_PCB_ATTRIBUTE);
  m->p = q + 1;
  size_t from, len;
  q = spanMaybeQuoted(m, ';', &from, &len);
  if (q >= m->end) {
    cutText(part->value, CAP_VALUE, m->t + from, len, LOSS_CUT_VALUE);
    return MM2_VALUE_NOT_ENDED;
  }
  cutTrimmed(m, part->value, CAP_VALUE, m->t + from, len, LOSS_CUT_VALUE);
  m->p = q + 1;
  q = scanToAnyOf(m->t, m->p, m->end, '\r', '\r', '\r');
  if (q >= m->end) return MM2_REFERENCE_NOT_ENDED;
  cutText(part->reference, CAP_REFERENCE, m->t + m->p, q - m->p, LOSS_CUT_REFERENCE);
  storeFilledPart(m);
  m->p = q + 1;
  *next = PART_RECORD;
  return MM2_OK;
}

int readNetRecord(Mm2ColmoReader* m, Mm2ColmoState* next) {
  if (!recordFollows(m, next)) return MM2_OK;
  size_t from, len;
  size_t q = spanMaybeQuoted(m, ';', &from, &len);
  cutText(m->netName, CAP_NET_NAME, m->t + from, len, LOSS_CUT_NET_NAME);
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
  bool nulPacked;
  size_t end = compactInput(in, &nulPacked);
  Mm2ColmoReader m{startRead(parts, nodes), textBuffer, end, 0, nulPacked};
  if (m.end == 0) return MM2_NO_NODES;
  int r = parseCompacted(&m);
  if (r < 0) return r;
  return finishRead(&m, nodeCountOut);
}
