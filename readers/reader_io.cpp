// Line reading, the byte toolkit and the read record shared by the readers.
#include "readers/reader_io.h"

#include <cstdint>
#include <cstring>

#include "netlist/losses.h"
#include "netlist/text.h"

// Copies the bytes of 32 and above that follow in the input buffer, which
// every line rule stores as they are; returns how many it took.
static int copyPrintable(ByteSource* source, char* buf, int n, int cap) {
  const unsigned char* data = source->data;
  size_t p = source->pos;
  size_t end = source->len;
  size_t room = static_cast<size_t>(cap - n);
  if (end - p > room) end = p + room;
  size_t start = p;
  // Eight bytes at a time while none of them is below 32: in x - 0x20..20
  // the lowest byte below 32 gets its top bit set while ~x has it set too
  // (a byte of 0xA0 and above is cleared by ~x); a borrow only starts at
  // such a byte, so a word without one never shows a bit.
  const uint64_t ones = 0x0101010101010101ull;
  while (end - p >= 8) {
    uint64_t x;
    memcpy(&x, data + p, 8);
    if (((x - 32 * ones) & ~x & 0x80 * ones) != 0) break;
    memcpy(buf + n, &x, 8);
    n += 8;
    p += 8;
  }
  while (p < end && data[p] >= 32) buf[n++] = static_cast<char>(data[p++]);
  source->pos = p;
  return static_cast<int>(p - start);
}

int readLine(ByteSource* source, char* buf, int cap, unsigned rules) {
  int n = 0;
  bool any = false;
  while (n < cap) {
    int copied = copyPrintable(source, buf, n, cap);
    if (copied > 0) {
      n += copied;
      any = true;
      continue;
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

size_t scanToAny(const char* text, size_t pos, size_t end, const char* stops) {
  // A zero byte is an ordinary byte here, never one of the stops.
  while (pos < end && (text[pos] == '\0' || strchr(stops, text[pos]) == nullptr)) pos++;
  return pos < end ? pos : end;
}

int scanBackToByte(const char* text, int from, int to, char c) {
  for (int k = to - 1; k >= from; k--)
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

bool storeNode(NetlistRead* read, const char* reference, size_t referenceLen, const char* pin,
               size_t pinLen) {
  return addNode(read->nodes, &read->nodesStored, reference, referenceLen, pin, pinLen,
                 read->netName);
}

bool addNode(NodeRecord* nodes, int* count, const char* reference, size_t referenceLen,
             const char* pin, size_t pinLen, const char* netName) {
  NodeRecord& node = nodes[*count < MAX_NODES ? *count : MAX_NODES];
  copyCut(node.reference, CAP_REFERENCE, reference, referenceLen, LOSS_CUT_REFERENCE);
  copyCut(node.pin, CAP_PIN, pin, pinLen, LOSS_CUT_PIN);
  copyCut(node.netName, CAP_NET_NAME, netName, strlen(netName), LOSS_CUT_NET_NAME);
  if (*count >= MAX_NODES) {
    noteLoss(LOSS_PINS_OVER_CAPACITY, node.reference, strlen(node.reference), '.', node.pin,
             strlen(node.pin));
    return false;
  }
  (*count)++;
  return true;
}
