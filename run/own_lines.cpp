// Whole lines of the run's own files.
#include "run/own_lines.h"

#include <cstring>

#include "netlist/losses.h"
#include "netlist/model.h"

size_t lineText(int len) {
  while (len > 0 && (textBuffer[len - 1] == '\n' || textBuffer[len - 1] == '\r')) len--;
  return static_cast<size_t>(len);
}

int readOwnLine(ByteSource* in, bool textMode, int lossKind) {
  int n = readFileLine(in, textBuffer, RUN_LINE_MAX, textMode);
  if (n < RUN_LINE_MAX || textBuffer[n - 1] == '\n') return n;
  // A CR LF split after the CR: in text mode the line ends right here.
  if (textMode && textBuffer[n - 1] == '\r' && peekByte(in) == '\n') {
    nextByte(in);
    textBuffer[n - 1] = '\n';
    return n;
  }
  if (peekByte(in) < 0) return n;  // the file ends with this line
  noteLoss(lossKind, textBuffer, 30);
  for (;;) {
    if (in->pos >= in->len) {
      if (refillByteSource(in) < 0) break;
      in->pos--;  // the refill handed out its first byte
    }
    const void* lf = memchr(in->data + in->pos, '\n', in->len - in->pos);
    if (lf != nullptr) {
      in->pos = static_cast<size_t>(static_cast<const unsigned char*>(lf) - in->data) + 1;
      break;
    }
    in->pos = in->len;
  }
  return n;
}
