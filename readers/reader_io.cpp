// Line reading, the byte toolkit and the read record shared by the readers.
#include "readers/reader_io.h"

#include <cstdint>
#include <cstring>

#include "netlist/losses.h"
#include "netlist/text.h"
#include "netlist/text_store.h"

namespace {

// Copies the bytes of 32 and above at the start of data[0..most) to buf and
// returns how many there are.  Eight bytes at a time: a word with a byte
// below 32 is stored whole (buf has room for `most` bytes) but counted only
// up to that byte.
inline size_t copyPrintableRun(const unsigned char* data, size_t most, char* buf) {
  size_t k = 0;
  while (most - k >= 8) {
    uint64_t x = loadWord(data + k);
    uint64_t below = marksBelow(x, 32);
    memcpy(buf + k, data + k, 8);
    if (below != 0) return k + static_cast<size_t>(firstMarked(below));
    k += 8;
  }
  while (k < most && data[k] >= 32) {
    buf[k] = static_cast<char>(data[k]);
    k++;
  }
  return k;
}

// Copies the bytes of 32 and above that follow in the input buffer, which
// every line rule stores as they are, to buf[n..cap); returns how many it
// took.
int copyPrintable(ByteSource* source, char* buf, int n, int cap) {
  size_t avail = source->len - source->pos;
  size_t room = static_cast<size_t>(cap - n);
  size_t k = copyPrintableRun(source->data + source->pos, avail < room ? avail : room, buf + n);
  source->pos += k;
  return static_cast<int>(k);
}

// The common line: bytes of 32 and above, copied to buf, up to a LF, or up
// to a CR whose next byte (its LF or not) is in the input buffer too, all
// within the first `most` bytes of the buffer.  Takes the line and its end
// and returns its length, or returns -1 with nothing taken.
inline int takeWholeLine(ByteSource* source, char* buf, size_t most) {
  const unsigned char* data = source->data + source->pos;
  size_t avail = source->len - source->pos;
  if (most > avail) most = avail;
  size_t k = copyPrintableRun(data, most, buf);
  if (k >= most) return -1;
  size_t end = 0;  // the bytes the line and its end take
  if (data[k] == '\n') end = k + 1;
  else if (data[k] == '\r' && k + 1 < avail) end = data[k + 1] == '\n' ? k + 2 : k + 1;
  if (end == 0) return -1;
  source->pos += end;
  return static_cast<int>(k);
}

}  // namespace

int readLine(ByteSource* source, char* buf, int cap, unsigned rules) {
  // Most lines lie whole in the input buffer and are taken at once; any
  // other line (a control byte in it, its end past the buffer or past
  // `cap`) goes to the loop below, which reads it from its start again.
  int whole = takeWholeLine(source, buf, static_cast<size_t>(cap));
  if (whole >= 0) {
    buf[whole] = '\0';
    return whole;
  }
  int n = 0;
  bool any = false;
  while (n < cap) {
    // The stretch copied ends at a control byte, at the end of the input
    // buffer (the byte after it is taken below like any other) or at `cap`.
    int copied = copyPrintable(source, buf, n, cap);
    if (copied > 0) {
      n += copied;
      any = true;
      if (n >= cap) break;
    }
    int c = nextByte(source);
    if (c < 0) {
      buf[n] = '\0';
      if (n == 0 && (rules & LINE_END_NEEDS_TEXT)) return -1;
      return any ? n : -1;
    }
    any = true;
    if (c == '\t' && (rules & LINE_TAB_AS_SPACE)) c = ' ';
    if (c == '\r') {
      if (peekByte(source) == '\n') nextByte(source);
      break;
    }
    if (c == '\n') break;
    if (c < 32 && (rules & LINE_DROP_CONTROLS)) continue;
    buf[n++] = static_cast<char>(c);
  }
  buf[n] = '\0';
  return n;
}

int readLinePiece(ByteSource* source, char* buf, int cap, unsigned rules, bool* lineOpen) {
  // A line that lies whole in the input buffer, shorter than a piece, is
  // taken at once with its CR; any other goes to the loop below.
  if (cap > 1) {
    int whole = takeWholeLine(source, buf, static_cast<size_t>(cap - 1));
    if (whole >= 0) {
      buf[whole] = '\r';
      buf[whole + 1] = '\0';
      *lineOpen = false;
      return whole + 1;
    }
  }
  int n = 0;
  for (;;) {
    if (n < cap - 1) n += copyPrintable(source, buf, n, cap - 1);
    int c = nextByte(source);
    if (c < 0) {
      if (n == 0 && !(*lineOpen && (rules & LINE_CLOSE_LAST))) {
        *lineOpen = false;
        return -1;
      }
      if (rules & LINE_CLOSE_LAST) buf[n++] = '\r';
      break;
    }
    if (c == '\t' && (rules & LINE_TAB_AS_SPACE)) c = ' ';
    if (c == '\0' && (rules & LINE_NUL_AS_SPACE)) c = ' ';
    if (c == '\r' || c == '\n') {
      if (c == '\r' && peekByte(source) == '\n') nextByte(source);
      buf[n++] = '\r';
      break;
    }
    if (c < 32 && (rules & LINE_DROP_CONTROLS)) continue;
    buf[n++] = static_cast<char>(c);
    if (n == cap) {
      *lineOpen = true;
      buf[n] = '\0';
      return n;
    }
  }
  *lineOpen = false;
  buf[n] = '\0';
  return n;
}

size_t scanToByte(const char* text, size_t pos, size_t end, char c) {
  if (pos >= end) return end;
  const void* hit = memchr(text + pos, c, end - pos);
  return hit != nullptr ? static_cast<size_t>(static_cast<const char*>(hit) - text) : end;
}

int scanBackToByte(const char* text, int from, int to, char c) {
  // Eight bytes at a time from the end: the last marked byte of a word is
  // the one looked for, since these marks are exact.
  int k = to;
  while (k - from >= 8) {
    uint64_t marks = exactMarksOf(loadWord(text + k - 8), static_cast<unsigned char>(c));
    if (marks != 0) return k - 8 + lastMarked(marks);
    k -= 8;
  }
  for (k--; k >= from; k--)
    if (text[k] == c) return k;
  return -1;
}

bool wordAt(const char* text, size_t pos, size_t end, const char* word) {
  size_t k = strlen(word);
  return pos <= end && end - pos >= k && memcmp(text + pos, word, k) == 0;
}

size_t scanToWord(const char* text, size_t pos, size_t end, const char* word) {
  while ((pos = scanToByte(text, pos, end, word[0])) < end) {
    if (wordAt(text, pos, end, word)) return pos;
    pos++;
  }
  return end;
}

namespace {

// Stores a node whose texts all come with their lengths, one after another
// in its room.  With `keptNet`, the nodes of one net share one stored copy
// of its name: the first stores it and sets *keptNet, the others point at
// it.  Only a name that needs no cut is shared, since each node notes its
// own cut.
bool putNode(NodeRecord* nodes, int* count, const char* reference, size_t referenceLen,
             const char* pin, size_t pinLen, const char* netName, size_t netNameLen,
             char** keptNet) {
  bool counted = *count < MAX_NODES;
  NodeRecord& node = nodes[counted ? *count : MAX_NODES];
  char* room = counted ? reserveTexts(NODE_TEXTS, NODE_TEXT_ROOM, *count) : spareTexts(NODE_TEXTS);
  bool shares = keptNet != nullptr && room != spareTexts(NODE_TEXTS);
  char* t = room;
  node.reference = t;
  t += cutText(t, CAP_REFERENCE, reference, referenceLen, LOSS_CUT_REFERENCE) + 1;
  node.pin = t;
  t += cutText(t, CAP_PIN, pin, pinLen, LOSS_CUT_PIN) + 1;
  if (shares && *keptNet != nullptr) {
    node.netName = *keptNet;
  } else {
    node.netName = t;
    t += cutText(t, CAP_NET_NAME, netName, netNameLen, LOSS_CUT_NET_NAME) + 1;
    if (shares && netNameLen <= CAP_NET_NAME) *keptNet = node.netName;
  }
  if (!counted) {
    noteLoss(LOSS_PINS_OVER_CAPACITY, node.reference, strlen(node.reference), '.', node.pin,
             strlen(node.pin));
    return false;
  }
  keepTexts(NODE_TEXTS, room + NODE_TEXT_ROOM, t);
  (*count)++;
  return true;
}

}  // namespace

bool storeNode(NetlistRead* read, const char* reference, size_t referenceLen, const char* pin,
               size_t pinLen) {
  return putNode(read->nodes, &read->nodesStored, reference, referenceLen, pin, pinLen,
                 read->netName, read->netNameLen, &read->keptNetName);
}

bool addNode(NodeRecord* nodes, int* count, const char* reference, size_t referenceLen,
             const char* pin, size_t pinLen, const char* netName) {
  return putNode(nodes, count, reference, referenceLen, pin, pinLen, netName, strlen(netName),
                 nullptr);
}
