// TELESIS netlist reader.
//
// Layout: "$PACKAGES" with package lines "PACKAGE ! VALUE ; REF REF ...",
// "$NETS" with net lines "NAME ; REF.PIN REF.PIN ...", then "$END".  A
// comma at the end of a reference or pin list continues it on the next line;
// apostrophes may quote the package, the value and the net name.
//
// Pass 1 reads the input in line pieces of at most 519 bytes (line end
// counted) and packs the sections into textBuffer: one record per package
// line and per net, each ending in CR, continuation lines joined, quoting
// apostrophes and most blanks left out.  It stops before the next line once
// COMPACT_MARK bytes are packed.  Pass 2 parses the packed text into parts
// and nodes.  Lines end at CR, CR LF or LF; TAB and the zero byte read as
// a space.
#include <cstring>

#include "netlist/losses.h"
#include "netlist/text.h"
#include "readers/formats.h"
#include "readers/reader_io.h"

namespace {

// Position of the first `word` in text[0..len), or -1.
int findWord(const char* text, int len, const char* word) {
  size_t k = scanToWord(text, 0, static_cast<size_t>(len), word);
  return k < static_cast<size_t>(len) ? static_cast<int>(k) : -1;
}

enum PackState { PACK_IDLE, PACK_PACKAGE, PACK_PACKAGE_MORE, PACK_NET, PACK_NET_MORE };
enum ParseState { PARSE_PACKAGES, PARSE_NET_NAME, PARSE_NODES };

// A blank is a space or a control byte other than CR.  Bytes 128 to 255 are
// text (Shift-JIS names must survive whole).
inline bool isBlank(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return u == ' ' || (u < 32 && u != '\r');
}

struct Packer {
  PackState state;
  int length;  // bytes packed into textBuffer
};

inline void pack(Packer* p, char c) { packByte(&p->length, c); }

// A keyword line is packed from its keyword on without its blanks.
void packKeywordLine(Packer* p, const char* line, int from, int len) {
  for (int i = from; i < len; i++)
    if (!isBlank(line[i])) pack(p, line[i]);
}

void packPackageLine(Packer* p, const char* line, int len) {
  int i = 0;
  while (i < len && (isBlank(line[i]) || line[i] == '\'')) i++;
  // The package, without apostrophes and without a space right before "!".
  for (; i < len && line[i] != '!' && line[i] != '\r'; i++) {
    char c = line[i];
    if (c == '\'' || (c == ' ' && i + 1 < len && line[i + 1] == '!')) continue;
    pack(p, c);
  }
  // Without a "!" nothing more is packed, not even the line end: the packed
  // text runs on with the next line.
  if (i >= len || line[i] == '\r') return;
  pack(p, '!');
  // The value fields: a further "!" becomes "/", spaces next to the
  // separators go.
  for (i++; i < len && line[i] != ';' && line[i] != '\r'; i++) {
    char c = line[i];
    if (c == '!') {
      pack(p, '/');
    } else if (c == ' ') {
      bool beside = line[i - 1] == '!' ||
                    (i + 1 < len && (line[i + 1] == '!' || line[i + 1] == ';'));
      if (!beside) pack(p, c);
    } else if (c != '\'') {
      pack(p, c);
    }
  }
  if (i >= len) return;
  if (line[i] == '\r') {
    pack(p, '\r');
    return;
  }
  pack(p, ';');
  for (i++; i < len && isBlank(line[i]); i++) {
  }
  for (; i < len && line[i] != ',' && line[i] != '\r'; i++) pack(p, line[i]);
  if (i >= len) return;
  if (line[i] == ',') {
    p->state = PACK_PACKAGE_MORE;
  } else {
    pack(p, '\r');
  }
}

// A continued reference list is appended with no separator of its own.
void packPackageContinuation(Packer* p, const char* line, int len) {
  int i = 0;
  while (i < len && isBlank(line[i])) i++;
  for (; i < len && line[i] != ',' && line[i] != '\r'; i++) pack(p, line[i]);
  if (i >= len || line[i] == ',') return;
  pack(p, '\r');
  p->state = PACK_PACKAGE;
}

// Entries are packed one space apart; a comma ends the line's entries and
// continues the list on the next line, the line end ends the net.
void packNodeList(Packer* p, const char* line, int i, int len) {
  for (;;) {
    while (i < len && isBlank(line[i])) i++;
    for (; i < len && line[i] != ' ' && line[i] != ',' && line[i] != '\r'; i++) pack(p, line[i]);
    if (i >= len) return;
    if (line[i] == ' ') {
      pack(p, ' ');
      if (i + 1 < len && line[i + 1] == ',') return;
      i++;
      continue;
    }
    if (line[i] == ',') {
      pack(p, ' ');
      return;
    }
    pack(p, '\r');
    p->state = PACK_NET;
    return;
  }
}

void packNetLine(Packer* p, const char* line, int len) {
  // A line without ";" (a blank line, a net without pins) packs nothing, and
  // so does one whose ";" is followed by nothing but blanks up to its line
  // end: a record without entries would swallow the next net's name.
  const char* semicolon = static_cast<const char*>(memchr(line, ';', static_cast<size_t>(len)));
  if (semicolon == nullptr) return;
  int k = static_cast<int>(semicolon - line) + 1;
  while (k < len && isBlank(line[k])) k++;
  if (k < len && line[k] == '\r') return;

  int i = 0;
  while (i < len && (isBlank(line[i]) || line[i] == '\'')) i++;
  while (i < len && line[i] == '$') i++;
  for (; line[i] != ';'; i++)
    if (line[i] != ' ' && line[i] != '\'') pack(p, line[i]);
  pack(p, ';');
  p->state = PACK_NET_MORE;
  packNodeList(p, line, i + 1, len);
}

// Pass 1.  Returns the number of bytes packed; the packed text is terminated.
int packTelesisInput(ByteSource* in) {
  Packer p;
  p.state = PACK_IDLE;
  p.length = 0;
  char line[READER_LINE_SIZE];
  bool lineOpen = false;
  int len;
  bool ended = false;
  const unsigned rules = LINE_TAB_AS_SPACE | LINE_NUL_AS_SPACE | LINE_CLOSE_LAST;
  while (p.length < COMPACT_MARK &&
         (len = readLinePiece(in, line, READER_LINE_MAX, rules, &lineOpen)) >= 0) {
    int k;
    if ((k = findWord(line, len, "$PACKAGES")) >= 0) {
      p.state = PACK_PACKAGE;
      packKeywordLine(&p, line, k, len);
      continue;
    }
    if ((k = findWord(line, len, "$NETS")) >= 0) {
      p.state = PACK_NET;
      packKeywordLine(&p, line, k, len);
      continue;
    }
    if ((k = findWord(line, len, "$END")) >= 0) {
      packKeywordLine(&p, line, k, len);
      ended = true;
      break;
    }
    if (len > 0 && line[0] == '$') {
      p.state = PACK_IDLE;
      continue;
    }
    switch (p.state) {
      case PACK_IDLE: break;
      case PACK_PACKAGE: packPackageLine(&p, line, len); break;
      case PACK_PACKAGE_MORE: packPackageContinuation(&p, line, len); break;
      case PACK_NET: packNetLine(&p, line, len); break;
      case PACK_NET_MORE: packNodeList(&p, line, 0, len); break;
    }
  }
  textBuffer[p.length] = '\0';
  if (!ended && p.length >= COMPACT_MARK && peekByte(in) >= 0) noteReadLimit(textBuffer, p.length);
  else if (!ended) noteMissingClose("$END");
  return p.length;
}

// Pass 2 works on the packed text t[0..end).
struct Parser {
  char* t;
  int end;
  int i;
  PartRecord* parts;
  NodeRecord* nodes;
  int partsStored;
  int nodesStored;
  char netName[READER_LINE_SIZE];         // the current net name, up to 519 bytes
  char nodeNetName[CAP_NET_NAME + 1];     // the same, as the nodes store it
};

int skipTo(const Parser* r, int i, char stop) {
  while (i < r->end && r->t[i] != stop) i++;
  return i;
}

int pastLineEnd(const Parser* r, int i) {
  i = skipTo(r, i, '\r');
  return i < r->end ? i + 1 : i;
}

// One package record; returns false when "$END" ends the parse.
bool parsePackage(Parser* r) {
  char* t = r->t;
  int end = r->end;
  int i = r->i;
  if (t[i] == '$') {
    // "$NETS" is taken by the caller; any other "$" record but "$END" is
    // passed over.
    if (wordAt(t, i, end, "$END")) return false;
    r->i = pastLineEnd(r, i);
    return true;
  }

  char pcbAttribute[CAP_PCB_ATTRIBUTE + 1];
  char value[CAP_VALUE + 1];
  int start = i;
  i = skipTo(r, i, '!');
  copyCut(pcbAttribute, CAP_PCB_ATTRIBUTE, t + start, static_cast<size_t>(i - start),
          LOSS_CUT_PCB_ATTRIBUTE);
  trimTrailingSpaces(pcbAttribute);
  if (i < end) i++;

  bool noSemicolon = false;
  if (i < end && t[i] == '"') {
    start = ++i;
    i = skipTo(r, i, '"');
    copyCut(value, CAP_VALUE, t + start, static_cast<size_t>(i - start), LOSS_CUT_VALUE);
    if (i < end) i++;
    i = skipTo(r, i, ';');
  } else {
    // Without a ";" on the record its last comma separates the value from
    // the references.  The value scan itself runs on over the line end.
    int j = i;
    int lastComma = -1;
    for (; j < end && t[j] != '\r' && t[j] != ';'; j++)
      if (t[j] == ',') lastComma = j;
    if (j >= end || t[j] != ';') {
      noSemicolon = true;
      if (lastComma >= 0) t[lastComma] = ';';
    }
    start = i;
    i = skipTo(r, i, ';');
    copyCut(value, CAP_VALUE, t + start, static_cast<size_t>(i - start), LOSS_CUT_VALUE);
  }
  trimTrailingSpaces(value);
  if (noSemicolon && pcbAttribute[0] == '\0') copyText(pcbAttribute, CAP_PCB_ATTRIBUTE, value);
  if (i < end) i++;

  // The references, each a part with the record's value and PCB attribute.
  while (i < end) {
    while (i < end && t[i] == ' ') i++;
    if (i >= end) break;
    if (t[i] == '\r') {
      i++;
      break;
    }
    start = i;
    while (i < end && t[i] != ' ' && t[i] != '\r') i++;
    char reference[CAP_REFERENCE + 1];
    copyCut(reference, CAP_REFERENCE, t + start, static_cast<size_t>(i - start),
            LOSS_CUT_REFERENCE);
    addPart(r->parts, &r->partsStored, reference, value, pcbAttribute);
    if (i < end && t[i] == ' ') {
      i++;
    } else {
      if (i < end) i++;
      break;
    }
  }
  r->i = i;
  return true;
}

// The name of a net record; returns false when a "$" record ends the parse.
bool parseNetName(Parser* r) {
  const char* t = r->t;
  int i = r->i;
  if (t[i] == '$') return false;
  int start = i;
  while (i < r->end && t[i] != ';' && t[i] != ' ') i++;
  int nameEnd = i;
  copyBytes(r->netName, READER_LINE_MAX, t + start, static_cast<size_t>(nameEnd - start));
  i = skipTo(r, i, ';');
  if (i < r->end) i++;
  r->i = i;

  // Nodes keep the first 50 bytes of the name without its double quotes.
  int n = 0;
  int k = 0;
  for (; k < CAP_NET_NAME && r->netName[k] != '\0'; k++)
    if (r->netName[k] != '"') r->nodeNetName[n++] = r->netName[k];
  r->nodeNetName[n] = '\0';
  for (int rest = start + k; rest < nameEnd; rest++) {
    if (t[rest] != '"') {
      noteLoss(LOSS_CUT_NET_NAME, r->nodeNetName, static_cast<size_t>(n));
      break;
    }
  }
  return true;
}

// One pin entry "REF.PIN"; returns whether the net's record ended.
bool parseNode(Parser* r) {
  const char* t = r->t;
  int end = r->end;
  int i = r->i;
  int refStart = i;
  i = skipTo(r, i, '.');  // runs on over spaces and line ends
  int refEnd = i;
  if (i < end) i++;
  int pinStart = i;
  while (i < end && t[i] != ' ' && t[i] != '\r') i++;
  int pinEnd = i;
  while (i < end && t[i] == ' ') i++;
  bool netEnded = false;
  if (i < end && t[i] == '\r') {
    i++;
    netEnded = true;
  }
  addNode(r->nodes, &r->nodesStored, t + refStart, static_cast<size_t>(refEnd - refStart),
          t + pinStart, static_cast<size_t>(pinEnd - pinStart), r->nodeNetName);
  r->i = i;
  return netEnded;
}

}  // namespace

int readTelesisNetlist(ByteSource* in, PartRecord* parts, NodeRecord* nodes, int* nodeCountOut,
                       int /*formatOption*/) {
  int packed = packTelesisInput(in);
  if (packed == 0) return -9;

  Parser r;
  r.t = textBuffer;
  r.end = static_cast<int>(strlen(textBuffer));  // a zero byte ends the text
  r.parts = parts;
  r.nodes = nodes;
  r.partsStored = 0;
  r.nodesStored = 0;
  r.netName[0] = '\0';
  r.nodeNetName[0] = '\0';

  ParseState state;
  int k = findWord(r.t, r.end, "$PACKAGES");
  if (k >= 0) {
    state = PARSE_PACKAGES;
    r.i = k + 9;
  } else if ((k = findWord(r.t, r.end, "$NETS")) >= 0) {
    state = PARSE_NET_NAME;
    r.i = k + 5;
  } else {
    return -1;
  }
  r.i = pastLineEnd(&r, r.i);

  bool going = true;
  while (going && r.i < r.end) {
    switch (state) {
      case PARSE_PACKAGES:
        if (wordAt(r.t, r.i, r.end, "$NETS")) {
          state = PARSE_NET_NAME;
          r.i = pastLineEnd(&r, r.i);
        } else {
          going = parsePackage(&r);
        }
        break;
      case PARSE_NET_NAME:
        going = parseNetName(&r);
        if (going) state = PARSE_NODES;
        break;
      case PARSE_NODES:
        if (parseNode(&r)) state = PARSE_NET_NAME;
        break;
    }
  }

  return finishRead(r.partsStored, r.nodesStored, nodeCountOut);
}
