// Line reading and record helpers shared by the netlist readers.
#include "readers/reader_io.h"

#include <cstring>

#include "netlist/text.h"

int readLine(ByteSource* source, char* buf, int cap, unsigned rules) {
  int n = 0;
  bool any = false;
  while (n < cap) {
    int c = nextByte(source);
    if (c < 0) {
      buf[n] = '\0';
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
    int c = nextByte(source);
    if (c < 0) {
      // The input ends: a line still open gets its line end.
      if (n == 0 && !*lineOpen) return -1;
      buf[n++] = '\r';
      break;
    }
    if (c == '\t' && (rules & LINE_TAB_AS_SPACE)) c = ' ';
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

int findText(const char* bytes, int from, int len, const char* word) {
  size_t k = strlen(word);
  for (int i = from; i + static_cast<int>(k) <= len; i++)
    if (memcmp(bytes + i, word, k) == 0) return i;
  return -1;
}

bool addNode(NodeRecord* nodes, int* count, const char* reference, size_t referenceLen,
             const char* pin, size_t pinLen, const char* netName) {
  NodeRecord& node = nodes[*count < MAX_NODES ? *count : MAX_NODES];
  copyBytes(node.reference, CAP_REFERENCE, reference, referenceLen);
  copyBytes(node.pin, CAP_PIN, pin, pinLen);
  copyText(node.netName, CAP_NET_NAME, netName);
  if (*count >= MAX_NODES) return false;
  (*count)++;
  return true;
}

void tabsToSpaces(char* bytes, size_t len) {
  for (size_t i = 0; i < len; i++)
    if (bytes[i] == '\t') bytes[i] = ' ';
}
