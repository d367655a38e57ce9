// CADVANCE netlist reader.
//
// Free-form text: after "$NET_LIST" a brace block holds "comp" sections of
// part entries `REF [VALUE] {PCB, ...};` and "nets" sections of net entries
// `NAME = {REF-PIN, ...};`.  Pass 1 compacts the whole input into the shared
// text buffer, dropping every byte of 32 or less and every /* comment */
// outside square brackets; bracketed text (brackets nest) is kept as
// written, but for the spaces before its closing bracket.  Compaction stops
// once COMPACT_MARK bytes are kept.  Pass 2 parses the compacted text; a
// value, PCB attribute or net name may stand in double quotes.
#include <bit>
#include <cstdint>
#include <cstring>

#include "netlist/losses.h"
#include "netlist/text.h"
#include "readers/formats.h"
#include "readers/reader_io.h"

namespace {

enum CompactMode { PLAIN, COMMENT, BRACKET };
enum CadvanceState { SECTIONS, PARTS, NETS };

// The result codes of this reader (besides the part count); 0 inside the
// reader means "read on".
enum CadvanceResult : int {
  CADVANCE_OK = 0,
  CADVANCE_NO_NET_LIST = -1,         // no "$NET_LIST"
  CADVANCE_NO_BODY = -2,             // no "{" after it
  CADVANCE_SECTION_NOT_OPENED = -3,  // "comp" or "nets" without "{"
  CADVANCE_PART_NO_PCB = -4,         // a part entry without "{"
  CADVANCE_PART_NOT_CLOSED = -5,     // a part entry not closed by "};"
  CADVANCE_NET_NOT_OPENED = -6,      // a net name without "={"
  CADVANCE_NODE_NO_PIN = -7,         // a node without "-"
  CADVANCE_NET_NOT_CLOSED = -8,      // a node list not closed by "};"
  CADVANCE_NO_NODES = READ_NO_NODES,
};

// Compaction's state between bytes.
struct Compactor {
  size_t used;  // bytes kept in textBuffer
  CompactMode mode;
  long depth;  // bracket mode: brackets open
  bool star;   // comment mode: the byte before was '*'
};

// Appends the bytes above 32 among the first `span` (1 to 8) bytes of the
// word x to kept[used..) and returns the new count.  Each run of kept bytes
// is stored as a whole word shifted down to it, so kept[used..used + 15)
// must be writable (the text buffer has room past the compaction mark).
inline size_t keepAbove32(char* kept, size_t used, uint64_t x, int span) {
  // Exact marks of the bytes above 32: adding 95 to the low seven bits
  // carries into the top bit from 33 up, and bytes of 128 and up have it.
  uint64_t low = ~BYTE_TOPS;
  uint64_t keep = (((x & low) + 95 * BYTE_ONES) | x) & BYTE_TOPS;
  if (span < 8) keep &= (uint64_t{1} << (8 * span)) - 1;
  while (keep != 0) {
    int skip = std::countr_zero(keep) & ~7;  // bits before the run
    x >>= skip;
    keep >>= skip;
    int run = std::countr_zero(~keep & BYTE_TOPS) & ~7;  // the run's bits, up to 64
    uint64_t stored = loadWord(&x);  // back in memory order: the swap undoes itself
    memcpy(kept + used, &stored, 8);
    used += static_cast<size_t>(run / 8);
    if (run == 64) break;
    x >>= run;
    keep >>= run;
  }
  return used;
}

// Compacts the bytes data[0..count) that stand in the input buffer; returns
// how many it took.  It stops early before a '/' outside brackets, which
// needs the byte after it (perhaps not read yet) to tell a comment.
size_t compactBytes(Compactor* k, const unsigned char* data, size_t count) {
  // The state lives in locals here: the stores into the kept text could
  // otherwise change it, as far as the compiler knows.  Input is taken
  // eight bytes at a time while eight bytes of the stretch are left; words
  // of kept text are stored whole but counted only as far as they hold kept
  // bytes, so nothing is kept past the mark.
  char* kept = textBuffer;
  size_t used = k->used;
  CompactMode mode = k->mode;
  long depth = k->depth;
  bool star = k->star;
  size_t p = 0;
  while (p < count) {
    if (mode == PLAIN) {
      // Bytes above 32 are kept up to a '/' or a '['.
      while (count - p >= 8) {
        uint64_t x = loadWord(data + p);
        uint64_t stops = marksOf(x, '/') | marksOf(x, '[');
        if (stops != 0) {
          int plain = firstMarked(stops);
          used = keepAbove32(kept, used, x, plain);
          p += static_cast<size_t>(plain);
          break;
        }
        used = keepAbove32(kept, used, x, 8);
        p += 8;
      }
      if (p >= count) break;
      unsigned char c = data[p];
      if (c == '/') break;
      p++;
      if (c <= 32) continue;
      kept[used++] = static_cast<char>(c);
      if (c == '[') {
        mode = BRACKET;
        depth = 1;
      }
    } else if (mode == BRACKET) {
      // Bytes are kept as they are; brackets nest.
      if (count - p >= 8) {
        uint64_t x = loadWord(data + p);
        uint64_t marks = marksOf(x, '[') | marksOf(x, ']');
        memcpy(kept + used, data + p, 8);
        int plain = marks == 0 ? 8 : firstMarked(marks);
        used += static_cast<size_t>(plain);
        p += static_cast<size_t>(plain);
        if (plain == 8) continue;
      }
      unsigned char c = data[p++];
      if (c == '[') {
        depth++;
      } else if (c == ']' && --depth == 0) {
        // The opening '[' is kept and is no space, so this stops there.
        while (kept[used - 1] == ' ') used--;
        mode = PLAIN;
      }
      kept[used++] = static_cast<char>(c);
    } else {
      // A comment ends at the first "*/" after its opening "/*".
      if (!star) {
        const void* hit = memchr(data + p, '*', count - p);
        if (hit == nullptr) {
          p = count;
          break;
        }
        p = static_cast<size_t>(static_cast<const unsigned char*>(hit) - data) + 1;
        star = true;
        continue;
      }
      unsigned char c = data[p++];
      if (star && c == '/') mode = PLAIN;
      else star = c == '*';
    }
  }
  *k = {used, mode, depth, star};
  return p;
}

size_t compactInput(ByteSource* in) {
  Compactor k = {0, PLAIN, 0, false};
  // The bytes in the input buffer are compacted in place of one call per
  // byte.  No byte adds more than one kept byte, so a stretch of at most
  // COMPACT_MARK - used bytes cannot pass the mark before its end.
  while (k.used < COMPACT_MARK) {
    if (peekByte(in) < 0) break;
    size_t count = in->len - in->pos;
    if (count > COMPACT_MARK - k.used) count = COMPACT_MARK - k.used;
    in->pos += compactBytes(&k, in->data + in->pos, count);
    if (k.used < COMPACT_MARK && k.mode == PLAIN && peekByte(in) == '/') {
      // A '/' outside brackets: it opens a comment when a '*' follows.
      nextByte(in);
      if (peekByte(in) == '*') {
        nextByte(in);
        k.mode = COMMENT;
        k.star = false;
      } else {
        textBuffer[k.used++] = '/';
      }
    }
  }
  char* kept = textBuffer;
  size_t used = k.used;
  kept[used] = '\0';
  if (used >= COMPACT_MARK && peekByte(in) >= 0) noteReadLimit(kept, used);
  return used;
}

// The position of the first `c` at or after `pos`, or `end`: scanned in
// line, since the texts looked through here are short and a library call
// would cost more than the scan.
inline size_t nearByte(const char* t, size_t pos, size_t end, char c) {
  return scanToAnyOf(t, pos, end, c, c, c);
}

// The position of the ']' that closes a bracket opened before `pos`
// (brackets in between nest), or `end`.
inline size_t closingBracket(const char* t, size_t pos, size_t end) {
  long depth = 1;
  while ((pos = scanToAnyOf(t, pos, end, '[', ']', ']')) < end) {
    if (t[pos] == '[') depth++;
    else if (--depth == 0) return pos;
    pos++;
  }
  return end;
}

struct CadvanceReader : NetlistRead {
  const char* t;  // the compacted text t[0..end)
  size_t end;
};

// Reads one part entry at *pos into the next part record; returns
// CADVANCE_OK or an error code.
int readPartEntry(CadvanceReader* c, size_t* pos) {
  const char* t = c->t;
  size_t end = c->end;
  PartRecord* part = partToFill(c);

  size_t p = *pos;
  size_t q = nearByte(t, p, end, '[');
  cutText(part->reference, CAP_REFERENCE, t + p, q - p, LOSS_CUT_REFERENCE);
  p = q < end ? q + 1 : end;
  while (p < end && t[p] == ' ') p++;
  if (p < end && t[p] == '"') {
    q = nearByte(t, p + 1, end, '"');
    cutText(part->value, CAP_VALUE, t + p + 1, q - p - 1, LOSS_CUT_VALUE);
    p = closingBracket(t, q, end);
  } else {
    q = closingBracket(t, p, end);
    cutText(part->value, CAP_VALUE, t + p, q - p, LOSS_CUT_VALUE);
    p = q;
  }

  q = nearByte(t, p, end, '{');
  if (q >= end) return CADVANCE_PART_NO_PCB;
  p = q + 1;
  while (p < end && t[p] == ' ') p++;
  if (p < end && t[p] == '"') {
    q = nearByte(t, p + 1, end, '"');
    cutText(part->pcbAttribute, CAP_PCB_ATTRIBUTE, t + p + 1, q - p - 1,
            LOSS_CUT_PCB_ATTRIBUTE);
    p = q < end ? q + 1 : end;
  } else {
    q = scanToAny(t, p, end, ",}");
    cutText(part->pcbAttribute, CAP_PCB_ATTRIBUTE, t + p, q - p, LOSS_CUT_PCB_ATTRIBUTE);
    p = q;
  }

  p = nearByte(t, p, end, '}');
  if (p < end) p++;
  if (p >= end || t[p] != ';') return CADVANCE_PART_NOT_CLOSED;
  storeFilledPart(c);
  *pos = p + 1;
  return CADVANCE_OK;
}

// Reads a net name and its '=' and '{'; returns CADVANCE_OK or an error code.
int readNetHead(CadvanceReader* c, size_t* pos) {
  const char* t = c->t;
  size_t end = c->end;
  size_t p = *pos;
  size_t q;
  if (t[p] == '"') {
    q = nearByte(t, p + 1, end, '"');
    cutText(c->netName, CAP_NET_NAME, t + p + 1, q - p - 1, LOSS_CUT_NET_NAME);
    q = nearByte(t, q, end, '=');
  } else {
    q = nearByte(t, p, end, '=');
    cutText(c->netName, CAP_NET_NAME, t + p, q - p, LOSS_CUT_NET_NAME);
  }
  netNameWritten(c);
  p = q < end ? q + 1 : end;
  if (p >= end || t[p] != '{') return CADVANCE_NET_NOT_OPENED;
  *pos = p + 1;
  return CADVANCE_OK;
}

// Where a node at `pos` (before `end`) splits: the first '-', ',' or '}',
// returned, and when that is a '-', the first ',' or '}' after it, in
// *pinEnd.  A node is short, so one word mostly holds both.
inline size_t nodeDash(const char* t, size_t pos, size_t end, size_t* pinEnd) {
  if (end - pos >= 8) {
    uint64_t x = loadWord(t + pos);
    uint64_t ends = marksOf(x, ',') | marksOf(x, '}');
    uint64_t stops = ends | marksOf(x, '-');
    if (stops != 0) {
      // The first mark of `ends` is exact, and none comes before the dash.
      size_t dash = pos + static_cast<size_t>(firstMarked(stops));
      *pinEnd = ends != 0 ? pos + static_cast<size_t>(firstMarked(ends))
                          : scanToAnyOf(t, pos + 8, end, ',', '}', '}');
      return dash;
    }
    pos += 8;
  }
  size_t dash = scanToAnyOf(t, pos, end, '-', ',', '}');
  *pinEnd = scanToAnyOf(t, dash + 1, end, ',', '}', '}');
  return dash;
}

// Reads the nodes of a net up to the "};" that closes them; returns
// CADVANCE_OK with *pos after it (or at the end of the text), or an error
// code.
int readNodes(CadvanceReader* c, size_t* pos) {
  const char* t = c->t;
  size_t end = c->end;
  size_t p = *pos;
  while (p < end) {
    size_t pinEnd;
    size_t q = nodeDash(t, p, end, &pinEnd);
    if (q >= end || t[q] != '-') return CADVANCE_NODE_NO_PIN;
    size_t pin = q + 1;
    storeNode(c, t + p, q - p, t + pin, pinEnd - pin);
    p = pinEnd + 1;
    if (pinEnd >= end) break;  // cut off inside the pin: the node stands as read
    if (t[pinEnd] == '}') {
      if (p >= end || t[p] != ';') return CADVANCE_NET_NOT_CLOSED;
      *pos = p + 1;
      return CADVANCE_OK;
    }
  }
  *pos = end;
  return CADVANCE_OK;
}

int parseCompacted(CadvanceReader* c) {
  const char* t = c->t;
  size_t end = c->end;
  size_t p = scanToWord(t, size_t{0}, end, "$NET_LIST");
  if (p >= end) return CADVANCE_NO_NET_LIST;
  p = scanToByte(t, p + strlen("$NET_LIST"), end, '{');
  if (p >= end) return CADVANCE_NO_BODY;
  p++;

  CadvanceState state = SECTIONS;
  while (p < end) {
    int r = CADVANCE_OK;
    if ((state == PARTS || state == NETS) && t[p] == '}') {  // the section ends
      p++;
      state = SECTIONS;
      continue;
    }
    switch (state) {
      case SECTIONS: {
        bool comp = wordAt(t, p, end, "comp");
        if (comp || wordAt(t, p, end, "nets")) {
          size_t q = scanToByte(t, p + 4, end, '{');
          if (q >= end) return CADVANCE_SECTION_NOT_OPENED;
          p = q + 1;
          state = comp ? PARTS : NETS;
        } else if (t[p] == '}') {
          return CADVANCE_OK;
        } else {
          p++;
        }
        break;
      }
      case PARTS: r = readPartEntry(c, &p); break;
      case NETS:
        r = readNetHead(c, &p);
        if (r == CADVANCE_OK) r = readNodes(c, &p);
        break;
    }
    if (r < 0) return r;
  }
  noteMissingClose("}");
  return CADVANCE_OK;
}

}  // namespace

int readCadvanceNetlist(ByteSource* in, PartRecord* parts, NodeRecord* nodes, int* nodeCountOut,
                        int /*formatOption*/) {
  CadvanceReader c{startRead(parts, nodes), textBuffer, compactInput(in)};
  if (c.end == 0) return CADVANCE_NO_NODES;
  int r = parseCompacted(&c);
  if (r < 0) return r;
  return finishRead(&c, nodeCountOut);
}
