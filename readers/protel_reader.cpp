// Protel netlist reader.
//
// Line-oriented: a "[" line opens a component block, either plain
// (designator, footprint, part type, further lines up to "]") or keyword
// form ("DESIGNATOR" and its line, then keyword/content pairs of which
// FOOTPRINT and PARTTYPE are read, up to "]"); a "(" line opens a net block
// (net name, then one "REF-PIN" line per pin, up to ")").  Lines end at CR,
// CR LF or LF and hold at most 199 bytes (a longer line goes on as the next
// line); TAB and other control bytes are dropped.  A pin line with several
// "-" is split after the longest leading reference of a part stored so far
// ("RJ1-4-1" is pin 1 of RJ1-4), else at its first "-".
#include <cstring>

#include "netlist/losses.h"
#include "netlist/text.h"
#include "readers/formats.h"
#include "readers/reader_io.h"
#include "readers/stored_references.h"

namespace {

enum : int {
  PROTEL_LINE_MAX = 199,
  PROTEL_LINE_RULES = LINE_DROP_CONTROLS | LINE_END_NEEDS_TEXT,
};

enum ProtelState { OUTSIDE, KEYWORD_BLOCK, NET };

// The result codes of this reader (besides the part count).
enum ProtelResult : int { PROTEL_NO_NODES = READ_NO_NODES };

struct ProtelReader : NetlistRead {
  ByteSource* in;
  ProtelState state;
  PartRecord* blockPart;  // the keyword block's part; null when it was dropped
  char line[PROTEL_LINE_MAX + 1];
  int len;
};

// Reads the line a block step asks for; after the end of the input that is
// an empty line.  Returns false at the end of the input.
bool readBlockLine(ProtelReader* r) {
  r->len = readLine(r->in, r->line, PROTEL_LINE_MAX, PROTEL_LINE_RULES);
  if (r->len >= 0) return true;
  r->len = 0;
  r->line[0] = '\0';
  return false;
}

void removeQuotes(char* text) {
  // Most texts hold no double quote and are left as they are.
  char* to = strchr(text, '"');
  if (to == nullptr) return;
  for (const char* from = to; *from != '\0'; from++)
    if (*from != '"') *to++ = *from;
  *to = '\0';
}

// The line without its leading spaces, cut to `cap` characters (a cut is
// noted as `cutKind`).
void takeField(const ProtelReader* r, char* dst, int cap, int cutKind) {
  int i = skipSpaces(r->line, 0, r->len);
  cutText(dst, cap, r->line + i, static_cast<size_t>(r->len - i), cutKind);
}

// A value: leading spaces skipped, cut, then its double quotes removed.
void takeValue(const ProtelReader* r, char* dst) {
  takeField(r, dst, CAP_VALUE, LOSS_CUT_VALUE);
  removeQuotes(dst);
}

void readComponentBlock(ProtelReader* r) {
  readBlockLine(r);
  if (textEquals(r->line, "DESIGNATOR")) {
    readBlockLine(r);
    r->blockPart = nullptr;
    if (r->partsStored < MAX_PARTS) {
      // Counted now, its texts kept when the block closes: until then the
      // block's FOOTPRINT and PARTTYPE lines fill its room.
      r->blockPart = partRecordToFill(r->parts, r->partsStored);
      cutText(r->blockPart->reference, CAP_REFERENCE, r->line, strlen(r->line),
              LOSS_CUT_REFERENCE);
      r->partsStored++;
    } else {
      noteLoss(LOSS_PARTS_OVER_CAPACITY, r->line, static_cast<size_t>(r->len));
    }
    r->state = KEYWORD_BLOCK;
    return;
  }
  // Plain form: designator, footprint, part type.  A full table parses the
  // block into the spare record, so the reader stays in step either way.
  // The texts go straight into the next part record.
  PartRecord* part = partToFill(r);
  cutText(part->reference, CAP_REFERENCE, r->line, static_cast<size_t>(r->len),
          LOSS_CUT_REFERENCE);
  readBlockLine(r);
  takeField(r, part->pcbAttribute, CAP_PCB_ATTRIBUTE, LOSS_CUT_PCB_ATTRIBUTE);
  readBlockLine(r);
  takeValue(r, part->value);
  storeFilledPart(r);
  while (readBlockLine(r) && r->line[0] != ']') {
  }
  if (r->line[0] != ']') noteMissingClose("]");
}

// The end of a keyword block: its part keeps its texts.
void closeKeywordBlock(ProtelReader* r) {
  if (r->blockPart != nullptr) keepPartTexts(r->blockPart);
  r->blockPart = nullptr;
  r->state = OUTSIDE;
}

void readKeywordLine(ProtelReader* r) {
  if (r->line[0] == ']') {
    closeKeywordBlock(r);
    return;
  }
  bool footprint = textEquals(r->line, "FOOTPRINT");
  bool partType = textEquals(r->line, "PARTTYPE");
  readBlockLine(r);  // the content line; other keywords drop it
  if (r->blockPart == nullptr) return;
  if (footprint)
    takeField(r, r->blockPart->pcbAttribute, CAP_PCB_ATTRIBUTE, LOSS_CUT_PCB_ATTRIBUTE);
  if (partType) takeValue(r, r->blockPart->value);
}

// Where a pin line of `len` bytes splits into reference and pin: its first
// "-", unless a later "-" follows the reference of a part already stored
// (the last such "-" wins).  Returns len when the line has no "-".
int pinSplit(const ProtelReader* r, const char* line, int len) {
  const char* dash = static_cast<const char*>(memchr(line, '-', static_cast<size_t>(len)));
  if (dash == nullptr) return len;
  int first = static_cast<int>(dash - line);
  bool added = false;
  for (int d = len - 1; d > first; d--) {
    if (line[d] != '-' || d > CAP_REFERENCE) continue;  // a longer left side is no reference
    if (!added) {
      addStoredReferences(r->parts, r->partsStored);
      added = true;
    }
    if (hasStoredReference(line, static_cast<size_t>(d))) return d;
  }
  return first;
}

void readPinLine(ProtelReader* r) {
  const char* space = static_cast<const char*>(memchr(r->line, ' ', static_cast<size_t>(r->len)));
  int len = space != nullptr ? static_cast<int>(space - r->line) : r->len;
  int split = pinSplit(r, r->line, len);
  const char* pin = split < len ? r->line + split + 1 : r->line + len;
  size_t pinLen = split < len ? static_cast<size_t>(len - split - 1) : 0;
  storeNode(r, r->line, static_cast<size_t>(split), pin, pinLen);
}

}  // namespace

int readProtelNetlist(ByteSource* in, PartRecord* parts, NodeRecord* nodes, int* nodeCountOut,
                      int /*formatOption*/) {
  ProtelReader r{startRead(parts, nodes), in, OUTSIDE, nullptr, "", 0};
  clearStoredReferences();

  while ((r.len = readLine(in, r.line, PROTEL_LINE_MAX, PROTEL_LINE_RULES)) >= 0) {
    switch (r.state) {
      case OUTSIDE:
        if (r.line[0] == '[') {
          readComponentBlock(&r);
        } else if (r.line[0] == '(') {
          readBlockLine(&r);
          // The name is cut to its capacity first, then loses its double quotes.
          cutText(r.netName, CAP_NET_NAME, r.line, static_cast<size_t>(r.len), LOSS_CUT_NET_NAME);
          removeQuotes(r.netName);
          netNameWritten(&r);
          r.state = NET;
        }
        break;
      case KEYWORD_BLOCK: readKeywordLine(&r); break;
      case NET:
        if (r.line[0] == ')') r.state = OUTSIDE;
        else readPinLine(&r);
        break;
    }
  }
  if (r.state != OUTSIDE) noteMissingClose(r.state == NET ? ")" : "]");
  if (r.state == KEYWORD_BLOCK) closeKeywordBlock(&r);
  return finishRead(&r, nodeCountOut);
}
