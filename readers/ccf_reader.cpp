// CCF netlist reader.
//
// Layout: a "$CCF" line opens the body with "{"; inside it stand blocks,
// each a keyword, "{" and a closing "}".  A "DEFINITION" block holds entries
// "PART TEXT : REF, REF ... ;" whose part text is split at a full stop into
// value and PCB attribute; a "NET" block holds entries
// "NAME : REF(PIN), REF(PIN) ... ;".  Other blocks are skipped.  Entries may
// run over several lines; the state carries from line to line.
//
// The format option's bit 0 reads every block with a letter keyword as a net
// block; bit 1 keeps the whole part text as the value.  Lines end at CR,
// CR LF or LF, at 519 stored bytes, or at the end of the input; TAB reads as
// a space and other control bytes are dropped.
#include <cstring>

#include "netlist/losses.h"
#include "netlist/text.h"
#include "readers/formats.h"
#include "readers/reader_io.h"

namespace {

enum CcfState {
  OUTSIDE,
  BODY_OPEN,
  BODY,
  SKIP_BLOCK,
  DEFINITION_OPEN,
  DEFINITION,
  REFERENCES,
  NET_OPEN,
  NET_ENTRY,
  PINS
};

enum : int { OPTION_ANY_NET_KEYWORD = 1, OPTION_WHOLE_PART_TEXT = 2 };

// The result codes of this reader (besides the part count).
enum CcfResult : int { CCF_NO_NODES = READ_NO_NODES };

struct CcfReader : NetlistRead {
  int option;
  CcfState state;
  char value[CAP_VALUE + 1];  // the definition's texts, which its references share
  char pcbAttribute[CAP_PCB_ATTRIBUTE + 1];
  size_t valueLen;
  size_t pcbAttributeLen;
};

// Moves past the next `c` of the line and enters `next`; without one the
// line is done and the state stays, so the search goes on in the next line.
int passByte(CcfReader* r, const char* line, int i, int len, char c, CcfState next) {
  i = scanToByte(line, i, len, c);
  if (i >= len) return len;
  r->state = next;
  return i + 1;
}

int handleOutside(CcfReader* r, const char* line, int i, int len) {
  i = skipSpaces(line, i, len);
  if (!wordAt(line, i, len, "$CCF")) return len;
  r->state = BODY_OPEN;
  return i + 4;
}

int handleBody(CcfReader* r, const char* line, int i, int len) {
  i = skipSpaces(line, i, len);
  if (i >= len) return len;
  if (wordAt(line, i, len, "DEFINITION")) {
    r->state = DEFINITION_OPEN;
    return i + 10;
  }
  if (r->option & OPTION_ANY_NET_KEYWORD) {
    if (line[i] >= 'A' && line[i] <= 'z') {
      while (i < len && line[i] >= 'A' && line[i] <= 'z') i++;
      r->state = NET_OPEN;
      return i;
    }
  } else if (wordAt(line, i, len, "NET")) {
    r->state = NET_OPEN;
    return i + 3;
  }
  if (line[i] == '}') {
    r->state = OUTSIDE;
    return i + 1;
  }
  r->state = SKIP_BLOCK;
  return i;
}

// The start of a definition entry: its part text runs to the last colon of
// the line, and is split at a full stop into value and PCB attribute.
int handleDefinition(CcfReader* r, const char* line, int i, int len) {
  int quotes = 0;
  for (; i < len && (line[i] == ' ' || line[i] == '"'); i++)
    if (line[i] == '"') quotes++;
  if (i >= len) return len;
  if (line[i] == '}') {
    r->state = BODY;
    return i + 1;
  }
  int s = i;
  int c = scanBackToByte(line, s + 1, len, ':');
  if (c < 0) return len;  // no colon on the line: nothing to read there

  // The split point: the last full stop before the second-to-last colon,
  // else the last one before the last colon.  A full stop inside an open
  // double quote is part of the value, so the search then starts after the
  // closing quote (with none before the colon there is no split point).
  int from = s + 1;
  bool searchable = true;
  if (quotes % 2 == 1) {
    int q = scanToByte(line, s, c, '"');
    if (q >= c) searchable = false;
    from = q + 1;
  }
  int p = -1;
  if (searchable) {
    int c2 = scanBackToByte(line, s + 1, c, ':');
    if (c2 >= 0) p = scanBackToByte(line, from, c2, '.');
    if (p < 0) p = scanBackToByte(line, from, c, '.');
  }

  if ((r->option & OPTION_WHOLE_PART_TEXT) || p < 0) {
    int e = scanToByte(line, s, c, '"');
    cutText(r->value, CAP_VALUE, line + s, static_cast<size_t>(e - s), LOSS_CUT_VALUE);
    r->pcbAttribute[0] = '\0';
  } else {
    int e = scanToByte(line, s, p, '"');
    cutText(r->value, CAP_VALUE, line + s, static_cast<size_t>(e - s), LOSS_CUT_VALUE);
    int k = p;
    while (k < c && (line[k] == '.' || line[k] == ' ')) k++;
    e = scanToByte(line, k, c, '"');
    cutText(r->pcbAttribute, CAP_PCB_ATTRIBUTE, line + k, static_cast<size_t>(e - k),
            LOSS_CUT_PCB_ATTRIBUTE);
  }
  trimTrailingSpaces(r->value);
  trimTrailingSpaces(r->pcbAttribute);
  r->valueLen = strlen(r->value);
  r->pcbAttributeLen = strlen(r->pcbAttribute);
  r->state = REFERENCES;
  return c;
}

// After an item of a list: skips the spaces; false when a ";" ends the entry
// there, else steps over a separating comma.
bool listGoesOn(const char* line, int* i, int len) {
  *i = skipSpaces(line, *i, len);
  if (*i < len && line[*i] == ';') return false;
  if (*i < len && line[*i] == ',') (*i)++;
  return true;
}

// Items of a list are separated by a comma (spaces around it allowed) or by
// spaces alone; a ";" ends the entry, also right after a trailing comma.
int handleReferences(CcfReader* r, const char* line, int i, int len) {
  for (;;) {
    while (i < len && (line[i] == ' ' || line[i] == '"' || line[i] == ',' || line[i] == ':')) i++;
    if (i >= len) return len;
    if (line[i] == ';') break;
    int start = i;
    i = scanToAnyOf(line, i, len, ' ', ',', ';');
    // Past 6000 parts the reference goes into the spare record and is lost.
    PartRecord* part = partToFill(r);
    cutText(part->reference, CAP_REFERENCE, line + start, static_cast<size_t>(i - start),
            LOSS_CUT_REFERENCE);
    copyBytes(part->value, CAP_VALUE, r->value, r->valueLen);
    copyBytes(part->pcbAttribute, CAP_PCB_ATTRIBUTE, r->pcbAttribute, r->pcbAttributeLen);
    storeFilledPart(r);
    if (!listGoesOn(line, &i, len)) break;
  }
  r->state = DEFINITION;
  return i + 1;
}

int handleNetEntry(CcfReader* r, const char* line, int i, int len) {
  while (i < len && (line[i] == ' ' || line[i] == '$')) i++;
  if (i >= len) return len;
  if (line[i] == '}') {
    r->state = BODY;
    return i + 1;
  }
  int start = i;
  i = scanToByte(line, i, len, ':');
  cutText(r->netName, CAP_NET_NAME, line + start, static_cast<size_t>(i - start),
          LOSS_CUT_NET_NAME);
  trimTrailingSpaces(r->netName);
  netNameWritten(r);
  r->state = PINS;
  return i;
}

int handlePins(CcfReader* r, const char* line, int i, int len) {
  for (;;) {
    while (i < len && (line[i] == ':' || line[i] == ' ' || line[i] == ',')) i++;
    if (i >= len) return len;
    if (line[i] == ';') break;
    if (r->nodesStored >= MAX_NODES) {
      int entry = i;
      i = scanToByte(line, i, len, ')');
      if (i < len) i++;
      noteLoss(LOSS_PINS_OVER_CAPACITY, line + entry, static_cast<size_t>(i - entry));
    } else {
      // The reference keeps spaces, trailing ones too; the pin loses its
      // trailing spaces after the cut to its capacity.
      // (The line holds no zero byte, so the pin's length is known as cut.)
      int refStart = i;
      i = scanToAnyOf(line, i, len, '(', '(', '(');
      int refEnd = i;
      if (i < len) i++;
      i = skipSpaces(line, i, len);
      int pinStart = i;
      i = scanToAnyOf(line, i, len, ')', ')', ')');
      char pin[CAP_PIN + 1];
      int pinLen =
          cutText(pin, CAP_PIN, line + pinStart, static_cast<size_t>(i - pinStart), LOSS_CUT_PIN);
      while (pinLen > 0 && pin[pinLen - 1] == ' ') pinLen--;
      if (i < len) i++;
      storeNode(r, line + refStart, static_cast<size_t>(refEnd - refStart), pin,
                static_cast<size_t>(pinLen));
    }
    if (!listGoesOn(line, &i, len)) break;
  }
  r->state = NET_ENTRY;
  return i + 1;
}

int step(CcfReader* r, const char* line, int i, int len) {
  switch (r->state) {
    case OUTSIDE: return handleOutside(r, line, i, len);
    case BODY_OPEN: return passByte(r, line, i, len, '{', BODY);
    case BODY: return handleBody(r, line, i, len);
    case SKIP_BLOCK: return passByte(r, line, i, len, '}', BODY);
    case DEFINITION_OPEN: return passByte(r, line, i, len, '{', DEFINITION);
    case DEFINITION: return handleDefinition(r, line, i, len);
    case REFERENCES: return handleReferences(r, line, i, len);
    case NET_OPEN: return passByte(r, line, i, len, '{', NET_ENTRY);
    case NET_ENTRY: return handleNetEntry(r, line, i, len);
    case PINS: return handlePins(r, line, i, len);
  }
  return len;
}

}  // namespace

int readCcfNetlist(ByteSource* in, PartRecord* parts, NodeRecord* nodes, int* nodeCountOut,
                   int formatOption) {
  CcfReader r{startRead(parts, nodes), formatOption, OUTSIDE, "", "", 0, 0};
  readLineSteps(in, &r, step);  // no step of this grammar fails
  if (r.state != OUTSIDE) noteMissingClose("}");
  return finishRead(&r, nodeCountOut);
}
