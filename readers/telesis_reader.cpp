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

enum PackState { PACK_IDLE, PACK_PACKAGE, PACK_PACKAGE_MORE, PACK_NET, PACK_NET_MORE };
enum ParseState { PARSE_PACKAGES, PARSE_NET_NAME, PARSE_NODES };

// The result codes of this reader (besides the part count).
enum TelesisResult : int { TELESIS_NO_SECTION = -1, TELESIS_NO_NODES = READ_NO_NODES };

// Pass 1's state.  A piece of a line never packs more bytes than it holds,
// and packing stops before the next piece once COMPACT_MARK bytes are
// packed, so the packed text always fits: no write needs a bound of its own.
struct TelesisPacker {
  PackState state;
  char* out;  // the next byte of textBuffer to pack
};
static_assert(static_cast<int>(COMPACT_MARK) + READER_LINE_MAX < TEXT_BUFFER_SIZE,
              "a piece packed past the mark still fits with its terminator");

inline void pack(TelesisPacker* p, char c) { *p->out++ = c; }

// Packs line[from..to) as it is.
inline void packSpan(TelesisPacker* p, const char* line, int from, int to) {
  if (to <= from) return;
  copyShortBytes(p->out, line + from, static_cast<size_t>(to - from));
  p->out += to - from;
}

// A keyword line is packed from its keyword on without its blanks.
void packKeywordLine(TelesisPacker* p, const char* line, int from, int len) {
  for (int i = from; i < len; i++)
    if (!isBlank(line[i])) pack(p, line[i]);
}

void packPackageLine(TelesisPacker* p, const char* line, int len) {
  // A CR can only be a piece's last byte: the scans stop before it.
  int textEnd = len > 0 && line[len - 1] == '\r' ? len - 1 : len;
  int i = 0;
  while (i < len && (isBlank(line[i]) || line[i] == '\'')) i++;
  // The package, without apostrophes and without a space right before "!".
  int stop = scanToAnyOf(line, i, textEnd, '!', '\'', '\'');
  while (stop < textEnd && line[stop] == '\'') {
    packSpan(p, line, i, stop);
    i = stop + 1;
    stop = scanToAnyOf(line, i, textEnd, '!', '\'', '\'');
  }
  packSpan(p, line, i, stop < textEnd && stop > i && line[stop - 1] == ' ' ? stop - 1 : stop);
  // Without a "!" nothing more is packed, not even the line end: the packed
  // text runs on with the next line.
  if (stop >= textEnd) return;
  pack(p, '!');
  // The value fields, up to the first ";": a further "!" becomes "/",
  // apostrophes and spaces next to the separators go.  They are packed in
  // stretches between the "!"s and apostrophes; only a stretch's first and
  // last bytes can sit next to a separator.
  int fieldsEnd;
  for (int from = stop + 1;;) {
    int q = scanToAnyOf(line, from, textEnd, '!', '\'', ';');
    int a = from;
    int b = q;
    if (a < b && line[a] == ' ' && line[a - 1] == '!') a++;
    if (a < b && line[b - 1] == ' ' && b < len && (line[b] == '!' || line[b] == ';')) b--;
    packSpan(p, line, a, b);
    if (q >= textEnd || line[q] == ';') {
      fieldsEnd = q;
      break;
    }
    if (line[q] == '!') pack(p, '/');
    from = q + 1;
  }
  i = fieldsEnd;
  if (i >= len) return;
  if (line[i] == '\r') {
    pack(p, '\r');
    return;
  }
  pack(p, ';');
  for (i++; i < len && isBlank(line[i]); i++) {
  }
  int listEnd = scanToAnyOf(line, i, len, ',', '\r', '\r');
  packSpan(p, line, i, listEnd);
  i = listEnd;
  if (i >= len) return;
  if (line[i] == ',') {
    p->state = PACK_PACKAGE_MORE;
  } else {
    pack(p, '\r');
  }
}

// A continued reference list is appended with no separator of its own.
void packPackageContinuation(TelesisPacker* p, const char* line, int len) {
  int i = 0;
  while (i < len && isBlank(line[i])) i++;
  int listEnd = scanToAnyOf(line, i, len, ',', '\r', '\r');
  packSpan(p, line, i, listEnd);
  i = listEnd;
  if (i >= len || line[i] == ',') return;
  pack(p, '\r');
  p->state = PACK_PACKAGE;
}

// Entries are packed one space apart; a comma ends the line's entries and
// continues the list on the next line, the line end ends the net.
void packNodeList(TelesisPacker* p, const char* line, int i, int len) {
  for (;;) {
    while (i < len && isBlank(line[i])) i++;
    // Entries one space apart, each space followed by the next entry, pack
    // as they are: they go in one stretch.
    int entryEnd = scanToAnyOf(line, i, len, ' ', ',', '\r');
    while (entryEnd + 1 < len && line[entryEnd] == ' ' &&
           static_cast<unsigned char>(line[entryEnd + 1]) > ' ' && line[entryEnd + 1] != ',')
      entryEnd = scanToAnyOf(line, entryEnd + 1, len, ' ', ',', '\r');
    packSpan(p, line, i, entryEnd);
    i = entryEnd;
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

void packNetLine(TelesisPacker* p, const char* line, int len) {
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
  // The name runs up to the first ";" (no byte skipped above is one); its
  // spaces and apostrophes are left out.
  int nameEnd = static_cast<int>(semicolon - line);
  while (i < nameEnd) {
    int q = scanToAnyOf(line, i, nameEnd, ' ', '\'', '\'');
    packSpan(p, line, i, q);
    i = q + 1;
  }
  pack(p, ';');
  p->state = PACK_NET_MORE;
  packNodeList(p, line, nameEnd + 1, len);
}

// Pass 1.  Returns the number of bytes packed; the packed text is terminated.
int packTelesisInput(ByteSource* in) {
  TelesisPacker p{PACK_IDLE, textBuffer};
  char line[READER_LINE_SIZE];
  bool lineOpen = false;
  int len;
  bool ended = false;
  const unsigned rules = LINE_TAB_AS_SPACE | LINE_NUL_AS_SPACE | LINE_CLOSE_LAST;
  while (p.out - textBuffer < COMPACT_MARK &&
         (len = readLinePiece(in, line, READER_LINE_MAX, rules, &lineOpen)) >= 0) {
    // The keywords are looked for only in a piece that holds a '$'.
    bool dollar = scanToByte(line, 0, len, '$') < len;
    int k;
    if (dollar && (k = scanToWord(line, 0, len, "$PACKAGES")) < len) {
      p.state = PACK_PACKAGE;
      packKeywordLine(&p, line, k, len);
      continue;
    }
    if (dollar && (k = scanToWord(line, 0, len, "$NETS")) < len) {
      p.state = PACK_NET;
      packKeywordLine(&p, line, k, len);
      continue;
    }
    if (dollar && (k = scanToWord(line, 0, len, "$END")) < len) {
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
  int length = static_cast<int>(p.out - textBuffer);
  textBuffer[length] = '\0';
  if (!ended && length >= COMPACT_MARK && peekByte(in) >= 0) noteReadLimit(textBuffer, length);
  else if (!ended) noteMissingClose("$END");
  return length;
}

// Pass 2 works on the packed text t[0..end); the net name the nodes store
// (netName) is the first 50 bytes of the whole name without double quotes.
struct TelesisReader : NetlistRead {
  char* t;
  int end;
  int i;
};

// cutText (readers/reader_io.h) of t[from..to); returns the length kept.
inline int cutSpan(char* dst, int cap, const char* t, int from, int to, int kind) {
  return static_cast<int>(cutText(dst, cap, t + from, static_cast<size_t>(to - from), kind));
}

// Drops the trailing spaces of the `len` bytes of text; returns the length
// left.
inline int withoutTrailingSpaces(char* text, int len) {
  while (len > 0 && text[len - 1] == ' ') len--;
  text[len] = '\0';
  return len;
}

int pastLineEnd(const TelesisReader* r, int i) {
  i = scanToByte(r->t, i, r->end, '\r');
  return i < r->end ? i + 1 : i;
}

// One package record; returns false when "$END" ends the parse.
bool parsePackage(TelesisReader* r) {
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
  i = scanToByte(t, i, end, '!');
  int pcbAttributeLen = withoutTrailingSpaces(
      pcbAttribute, cutSpan(pcbAttribute, CAP_PCB_ATTRIBUTE, t, start, i, LOSS_CUT_PCB_ATTRIBUTE));
  if (i < end) i++;

  bool noSemicolon = false;
  int valueLen;
  if (i < end && t[i] == '"') {
    start = ++i;
    i = scanToByte(t, i, end, '"');
    valueLen = cutSpan(value, CAP_VALUE, t, start, i, LOSS_CUT_VALUE);
    if (i < end) i++;
    i = scanToByte(t, i, end, ';');
  } else {
    // Without a ";" on the record its last comma separates the value from
    // the references.  The value scan itself runs on over the line end.
    int j = i;
    int lastComma = -1;
    while ((j = scanToAnyOf(t, j, end, '\r', ';', ',')) < end && t[j] == ',') lastComma = j++;
    start = i;
    if (j < end && t[j] == ';') {
      i = j;  // no ";" lies before it
    } else {
      noSemicolon = true;
      if (lastComma >= 0) t[lastComma] = ';';
      i = scanToByte(t, i, end, ';');
    }
    valueLen = cutSpan(value, CAP_VALUE, t, start, i, LOSS_CUT_VALUE);
  }
  valueLen = withoutTrailingSpaces(value, valueLen);
  if (noSemicolon && pcbAttributeLen == 0) {
    // A value always fits: CAP_VALUE < CAP_PCB_ATTRIBUTE.
    copyShortBytes(pcbAttribute, value, static_cast<size_t>(valueLen) + 1);
    pcbAttributeLen = valueLen;
  }
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
    i = scanToAnyOf(t, i, end, ' ', '\r', '\r');
    PartRecord* part = partToFill(r);
    cutSpan(part->reference, CAP_REFERENCE, t, start, i, LOSS_CUT_REFERENCE);
    copyShortBytes(part->value, value, static_cast<size_t>(valueLen) + 1);
    copyShortBytes(part->pcbAttribute, pcbAttribute, static_cast<size_t>(pcbAttributeLen) + 1);
    storeFilledPart(r);
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
bool parseNetName(TelesisReader* r) {
  const char* t = r->t;
  int i = r->i;
  if (t[i] == '$') return false;
  int start = i;
  i = scanToAnyOf(t, i, r->end, ';', ' ', ' ');
  int nameEnd = i;
  i = scanToByte(t, i, r->end, ';');
  if (i < r->end) i++;
  r->i = i;

  // Nodes keep the first 50 bytes of the name without its double quotes
  // (the packed text holds no zero byte).
  int k = nameEnd - start < CAP_NET_NAME ? nameEnd - start : CAP_NET_NAME;
  int n = 0;
  for (int from = start; from < start + k;) {
    int quote = scanToByte(t, from, start + k, '"');
    memcpy(r->netName + n, t + from, static_cast<size_t>(quote - from));
    n += quote - from;
    from = quote + 1;
  }
  r->netName[n] = '\0';
  netNameWritten(r);
  for (int rest = start + k; rest < nameEnd; rest++) {
    if (t[rest] != '"') {
      noteLoss(LOSS_CUT_NET_NAME, r->netName, static_cast<size_t>(n));
      break;
    }
  }
  return true;
}

// The ends of the reference (its first ".", which may lie past spaces and
// line ends) and of the pin (the next space or line end) of the entry at
// t[i].  Most entries are short: each end is looked for in one word first.
void findEntryEnds(const char* t, int i, int end, int* refEnd, int* pinEnd) {
  if (end - i >= 16) {
    uint64_t dots = marksOf(loadWord(t + i), '.');
    if (dots != 0) {
      int dot = i + firstMarked(dots);
      uint64_t word = loadWord(t + dot + 1);
      uint64_t pinEnds = marksOf(word, ' ') | marksOf(word, '\r');
      if (pinEnds != 0) {
        *refEnd = dot;
        *pinEnd = dot + 1 + firstMarked(pinEnds);
        return;
      }
    }
  }
  *refEnd = scanToAnyOf(t, i, end, '.', '.', '.');
  *pinEnd = scanToAnyOf(t, *refEnd < end ? *refEnd + 1 : end, end, ' ', '\r', '\r');
}

// One pin entry "REF.PIN"; returns whether the net's record ended.
bool parseNode(TelesisReader* r) {
  const char* t = r->t;
  int end = r->end;
  int i = r->i;
  int refStart = i;
  int refEnd;
  int pinEnd;
  findEntryEnds(t, i, end, &refEnd, &pinEnd);
  int pinStart = refEnd < end ? refEnd + 1 : end;
  i = pinEnd;
  while (i < end && t[i] == ' ') i++;
  bool netEnded = false;
  if (i < end && t[i] == '\r') {
    i++;
    netEnded = true;
  }
  storeNode(r, t + refStart, static_cast<size_t>(refEnd - refStart), t + pinStart,
            static_cast<size_t>(pinEnd - pinStart));
  r->i = i;
  return netEnded;
}

}  // namespace

int readTelesisNetlist(ByteSource* in, PartRecord* parts, NodeRecord* nodes, int* nodeCountOut,
                       int /*formatOption*/) {
  int packed = packTelesisInput(in);
  if (packed == 0) return TELESIS_NO_NODES;

  // The packed text holds no zero byte: it ends after `packed` bytes.
  TelesisReader r{startRead(parts, nodes), textBuffer, packed, 0};

  ParseState state;
  int k = scanToWord(r.t, 0, r.end, "$PACKAGES");
  if (k < r.end) {
    state = PARSE_PACKAGES;
    r.i = k + 9;
  } else if ((k = scanToWord(r.t, 0, r.end, "$NETS")) < r.end) {
    state = PARSE_NET_NAME;
    r.i = k + 5;
  } else {
    return TELESIS_NO_SECTION;
  }
  r.i = pastLineEnd(&r, r.i);

  bool going = true;
  while (going && r.i < r.end) {
    switch (state) {
      case PARSE_PACKAGES:
        if (r.t[r.i] == '$' && wordAt(r.t, r.i, r.end, "$NETS")) {
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
        // The entries of one net, up to the end of its record.
        while (r.i < r.end) {
          if (parseNode(&r)) {
            state = PARSE_NET_NAME;
            break;
          }
        }
        break;
    }
  }

  return finishRead(&r, nodeCountOut);
}
