// PADS netlist reader.
//
// Layout: a title line, *PART* with one part per line ("REF VALUE@PCB"),
// *NET* with *SIGNAL* headers each followed by pin entries "REF.PIN"
// separated by spaces, and *END*.  Tags are recognised in upper case or
// with a capital first letter only.  Lines end at CR, CR LF or LF; TAB
// reads as a space and other control bytes are dropped.
#include <cstring>

#include "netlist/losses.h"
#include "netlist/text.h"
#include "readers/formats.h"
#include "readers/reader_io.h"

namespace {

enum PadsState { OUTSIDE, PARTS, NETS, SIGNAL, ENDED };

// The result codes of this reader (besides the part count).
enum PadsResult : int { PADS_SIGNAL_WITHOUT_NAME = -2, PADS_NO_NODES = READ_NO_NODES };

struct PadsReader : NetlistRead {
  PadsState state;
};

bool keywordAt(const char* line, int i, int len, const char* upper, const char* capital) {
  size_t k = strlen(upper);
  if (static_cast<size_t>(len - i) < k) return false;
  return memcmp(line + i, upper, k) == 0 || memcmp(line + i, capital, k) == 0;
}

// A tag line outside the sections or between signals: "*PART*", "*NET*",
// "*END*", and between signals "*SIGNAL* NAME".  Returns the new cursor (the
// line is done when it returns len), or PADS_SIGNAL_WITHOUT_NAME.
int handleTag(PadsReader* r, const char* line, int i, int len) {
  i = scanToByte(line, i, len, '*');
  if (i >= len) return len;
  int tag = i + 1;
  if (keywordAt(line, tag, len, "PART", "Part")) {
    r->state = PARTS;
  } else if (r->state == NETS && keywordAt(line, tag, len, "SIG", "Sig")) {
    i = tag + 3;  // the fourth character after the asterisk
    while (i < len && line[i] != ' ') i++;
    if (i < len) i++;
    i = skipSpaces(line, i, len);
    if (i >= len) return PADS_SIGNAL_WITHOUT_NAME;
    cutText(r->netName, CAP_NET_NAME, line + i, static_cast<size_t>(len - i), LOSS_CUT_NET_NAME);
    trimTrailingSpaces(r->netName);
    netNameWritten(r);
    r->state = SIGNAL;
  } else if (keywordAt(line, tag, len, "NET", "Net")) {
    r->state = NETS;
  } else if (keywordAt(line, tag, len, "END", "End")) {
    r->state = ENDED;
  }
  return len;
}

// Skips the spaces before an entry of a section; false when none follows:
// the line is done (*i is len), or a tag begins there, which the line goes
// on with in `tagState`.
bool entryFollows(PadsReader* r, const char* line, int* i, int len, PadsState tagState) {
  *i = skipSpaces(line, *i, len);
  if (*i < len && line[*i] == '*') r->state = tagState;
  return *i < len && line[*i] != '*';
}

int handleParts(PadsReader* r, const char* line, int i, int len) {
  if (!entryFollows(r, line, &i, len, OUTSIDE)) return i;
  int start = i;
  i = scanToAnyOf(line, i, len, ' ', ' ', ' ');
  if (r->partsStored >= MAX_PARTS) {
    noteLoss(LOSS_PARTS_OVER_CAPACITY, line + start, static_cast<size_t>(i - start));
    return len;
  }
  PartRecord& part = *partRecordToFill(r->parts, r->partsStored);
  cutText(part.reference, CAP_REFERENCE, line + start, static_cast<size_t>(i - start),
          LOSS_CUT_REFERENCE);
  i = skipSpaces(line, i, len);
  start = i;
  i = scanToAnyOf(line, i, len, '@', '@', '@');
  cutText(part.value, CAP_VALUE, line + start, static_cast<size_t>(i - start), LOSS_CUT_VALUE);
  trimTrailingSpaces(part.value);
  if (i >= len) {
    copyText(part.pcbAttribute, CAP_PCB_ATTRIBUTE, part.value);
  } else {
    i++;
    cutText(part.pcbAttribute, CAP_PCB_ATTRIBUTE, line + i, static_cast<size_t>(len - i),
            LOSS_CUT_PCB_ATTRIBUTE);
    trimTrailingSpaces(part.pcbAttribute);
  }
  storeFilledPart(r);
  return len;
}

int handleSignal(PadsReader* r, const char* line, int i, int len) {
  if (!entryFollows(r, line, &i, len, NETS)) return i;
  if (r->nodesStored >= MAX_NODES) {
    int entry = i;
    while (i < len && line[i] != ' ') i++;
    noteLoss(LOSS_PINS_OVER_CAPACITY, line + entry, static_cast<size_t>(i - entry));
    return i < len ? i + 1 : len;
  }
  int refStart = i;
  i = scanToAnyOf(line, i, len, '.', ' ', ' ');
  int refEnd = i;
  while (i < len && (line[i] == '.' || line[i] == ' ')) i++;
  int pinStart = i;
  i = scanToAnyOf(line, i, len, ' ', ' ', ' ');
  storeNode(r, line + refStart, static_cast<size_t>(refEnd - refStart), line + pinStart,
            static_cast<size_t>(i - pinStart));
  return i < len ? i + 1 : len;
}

int step(PadsReader* r, const char* line, int i, int len) {
  switch (r->state) {
    case OUTSIDE:
    case NETS: return handleTag(r, line, i, len);
    case PARTS: return handleParts(r, line, i, len);
    case SIGNAL: return handleSignal(r, line, i, len);
    case ENDED: break;
  }
  return len;
}

}  // namespace

int readPadsNetlist(ByteSource* in, PartRecord* parts, NodeRecord* nodes, int* nodeCountOut,
                    int /*formatOption*/) {
  PadsReader r{startRead(parts, nodes), OUTSIDE};
  int result = readLineSteps(in, &r, step);
  if (result < 0) return result;
  if (r.state != ENDED) noteMissingClose("*END*");
  return finishRead(&r, nodeCountOut);
}
