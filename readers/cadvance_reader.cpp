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
#include <cstdint>
#include <cstring>

#include "netlist/losses.h"
#include "netlist/text.h"
#include "readers/formats.h"
#include "readers/reader_io.h"

namespace {

enum CompactMode { PLAIN, COMMENT, BRACKET };
enum CadvanceState { SECTIONS, PARTS, NET_HEAD, NODES };

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

// Compacts the bytes data[0..count) that stand in the input buffer; returns
// how many it took.  It stops early before a '/' outside brackets, which
// needs the byte after it (perhaps not read yet) to tell a comment.
size_t compactBytes(Compactor* k, const unsigned char* data, size_t count) {
  // The state lives in locals here: the stores into the kept text could
  // otherwise change it, as far as the compiler knows.  Words of eight bytes
  // are stored whole and counted up to their first byte that needs a look
  // of its own; a word is stored only while eight bytes of the stretch are
  // left, so it stays below the mark.
  char* kept = textBuffer;
  size_t used = k->used;
  CompactMode mode = k->mode;
  long depth = k->depth;
  bool star = k->star;
  size_t p = 0;
  while (p < count) {
    if (mode == PLAIN) {
      // Bytes above 32 are kept up to a '/' or a '['.
      if (count - p >= 8) {
        uint64_t x = loadWord(data + p);
        uint64_t marks = marksBelow(x, 33) | marksOf(x, '/') | marksOf(x, '[');
        memcpy(kept + used, data + p, 8);
        int plain = marks == 0 ? 8 : firstMarked(marks);
        used += static_cast<size_t>(plain);
        p += static_cast<size_t>(plain);
        if (plain == 8) continue;
      }
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

// The position of the ']' that closes a bracket opened before `pos`
// (brackets in between nest), or `end`.
size_t closingBracket(const char* t, size_t pos, size_t end) {
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
  size_t q = scanToByte(t, p, end, '[');
  copyCut(part->reference, CAP_REFERENCE, t + p, q - p, LOSS_CUT_REFERENCE);
  p = q < end ? q + 1 : end;
  while (p < end && t[p] == ' ') p++;
  if (p < end && t[p] == '"') {
    q = scanToByte(t, p + 1, end, '"');
    copyCut(part->value, CAP_VALUE, t + p + 1, q - p - 1, LOSS_CUT_VALUE);
    p = closingBracket(t, q, end);
  } else {
    q = closingBracket(t, p, end);
    copyCut(part->value, CAP_VALUE, t + p, q - p, LOSS_CUT_VALUE);
    p = q;
  }

  q = scanToByte(t, p, end, '{');
  if (q >= end) return CADVANCE_PART_NO_PCB;
  p = q + 1;
  while (p < end && t[p] == ' ') p++;
  if (p < end && t[p] == '"') {
    q = scanToByte(t, p + 1, end, '"');
    copyCut(part->pcbAttribute, CAP_PCB_ATTRIBUTE, t + p + 1, q - p - 1,
            LOSS_CUT_PCB_ATTRIBUTE);
    p = q < end ? q + 1 : end;
  } else {
    q = scanToAny(t, p, end, ",}");
    copyCut(part->pcbAttribute, CAP_PCB_ATTRIBUTE, t + p, q - p, LOSS_CUT_PCB_ATTRIBUTE);
    p = q;
  }

  p = scanToByte(t, p, end, '}');
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
    q = scanToByte(t, p + 1, end, '"');
    copyCut(c->netName, CAP_NET_NAME, t + p + 1, q - p - 1, LOSS_CUT_NET_NAME);
    q = scanToByte(t, q, end, '=');
  } else {
    q = scanToByte(t, p, end, '=');
    copyCut(c->netName, CAP_NET_NAME, t + p, q - p, LOSS_CUT_NET_NAME);
  }
  netNameWritten(c);
  p = q < end ? q + 1 : end;
  if (p >= end || t[p] != '{') return CADVANCE_NET_NOT_OPENED;
  *pos = p + 1;
  return CADVANCE_OK;
}

// Reads one node; returns CADVANCE_OK with the state that follows in *next,
// or an error code.
int readNode(CadvanceReader* c, size_t* pos, CadvanceState* next) {
  const char* t = c->t;
  size_t end = c->end;
  size_t p = *pos;
  size_t q = scanToAny(t, p, end, "-,}");
  if (q >= end || t[q] != '-') return CADVANCE_NODE_NO_PIN;
  size_t pin = q + 1;
  size_t pinEnd = scanToAny(t, pin, end, ",}");
  storeNode(c, t + p, q - p, t + pin, pinEnd - pin);
  p = pinEnd;
  *next = NODES;
  if (p >= end) {
    *pos = end;  // cut off inside the pin: the node stands as read
    return CADVANCE_OK;
  }
  if (t[p] == ',') {
    *pos = p + 1;
    return CADVANCE_OK;
  }
  p++;
  if (p >= end || t[p] != ';') return CADVANCE_NET_NOT_CLOSED;
  *pos = p + 1;
  *next = NET_HEAD;
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
    if ((state == PARTS || state == NET_HEAD) && t[p] == '}') {  // the section ends
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
          state = comp ? PARTS : NET_HEAD;
        } else if (t[p] == '}') {
          return CADVANCE_OK;
        } else {
          p++;
        }
        break;
      }
      case PARTS: r = readPartEntry(c, &p); break;
      case NET_HEAD:
        r = readNetHead(c, &p);
        state = NODES;
        break;
      case NODES: r = readNode(c, &p, &state); break;
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
