// Whole lines of the run's own files.
#include "run/own_lines.h"

#include <cstring>

#include "netlist/losses.h"
#include "netlist/model.h"

size_t lineText(int len) {
  while (len > 0 && (textBuffer[len - 1] == '\n' || textBuffer[len - 1] == '\r')) len--;
  return static_cast<size_t>(len);
}

namespace {

// A line that lies whole in the source's buffer, read with one search and
// one copy as readFileLine would read it; -1 when the buffer holds no whole
// line of at most RUN_LINE_MAX bytes.
int lineInBuffer(ByteSource* in, bool textMode) {
  const unsigned char* start = in->data + in->pos;
  size_t avail = in->len - in->pos;
  if (avail > static_cast<size_t>(RUN_LINE_MAX)) avail = RUN_LINE_MAX;
  const void* lf = avail > 0 ? memchr(start, '\n', avail) : nullptr;
  if (lf == nullptr) return -1;
  size_t n = static_cast<size_t>(static_cast<const unsigned char*>(lf) - start) + 1;
  memcpy(textBuffer, start, n);
  in->pos += n;
  if (textMode && n >= 2 && textBuffer[n - 2] == '\r') {
    textBuffer[n - 2] = '\n';
    n--;
  }
  textBuffer[n] = '\0';
  return static_cast<int>(n);
}

}  // namespace

int readOwnLine(ByteSource* in, bool textMode, int lossKind) {
  int whole = lineInBuffer(in, textMode);
  if (whole >= 0) return whole;
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
