// KiCad netlist writer.
//
// Texts are written so that KiCad's s-expression reader reads back exactly
// the text: a reference, value, footprint or pin goes out bare when it can,
// and in double quotes with backslash escapes when it is empty, holds a
// blank, CR, LF or a parenthesis, or begins with '"' or '#'.  Net names are
// always quoted.  A node whose reference no written component carries is
// left out (KiCad refuses a netlist that names a missing component), and a
// net left without nodes is not written.
//
// For KiCad 6 and later every text goes out in UTF-8 (a text that is not
// strict UTF-8 is decoded as code page 932), a text with non-ASCII bytes is
// always quoted, and a component's tstamp is the hash of its reference, so
// that it stays with the part when other parts come or go.
#include "netlist/kicad_writer.h"

#include <cstring>

#include "netlist/large_tables.h"
#include "netlist/losses.h"
#include "netlist/reference_set.h"
#include "netlist/stamp_set.h"
#include "netlist/text.h"
#include "netlist/text_class.h"
#include "netlist/utf8_form.h"

namespace {

// The escape of a byte inside double quotes, or null when it stands as it is.
const char* escapeOf(char c) {
  switch (c) {
    case '\\': return "\\\\";
    case '"': return "\\\"";
    case '\r': return "\\r";
    case '\n': return "\\n";
    default: return nullptr;
  }
}

// A text of `len` bytes in double quotes, escaped when its classes say so.
void putQuoted(TextOut* out, const char* text, size_t len, uint8_t classes) {
  putBytes(out, "\"", 1);
  if ((classes & TEXT_NEEDS_ESCAPE) == 0) {
    putBytes(out, text, len);
  } else {
    const char* start = text;
    for (const char* p = text; *p != '\0'; p++) {
      const char* escape = escapeOf(*p);
      if (escape == nullptr) continue;
      putBytes(out, start, static_cast<size_t>(p - start));
      putBytes(out, escape, 2);
      start = p + 1;
    }
    putBytes(out, start, strlen(start));
  }
  putBytes(out, "\"", 1);
}

// A text that is not strict UTF-8, decoded as code page 932, in quotes.
void putQuotedCp932(TextOut* out, const unsigned char* text, size_t len) {
  putBytes(out, "\"", 1);
  for (size_t pos = 0; pos < len;) {
    char bytes[4];
    int n = encodeUtf8(decodeCp932(text, len, &pos), bytes);
    const char* escape = n == 1 ? escapeOf(bytes[0]) : nullptr;
    if (escape != nullptr) putBytes(out, escape, 2);
    else for (int k = 0; k < n; k++) putBytes(out, bytes + k, 1);
  }
  putBytes(out, "\"", 1);
}

// A text in the form the target reads: the model's bytes for KiCad(v5),
// UTF-8 for KiCad 6 and later.  `classes` and `len` describe the text
// (classifyText), so its bytes are looked at once at most.
void putClassifiedText(TextOut* out, const char* text, size_t len, uint8_t classes, bool utf8,
                       bool alwaysQuote) {
  if (!utf8 || (classes & TEXT_NON_ASCII) == 0) {
    bool quote = alwaysQuote || len == 0 || text[0] == '"' || text[0] == '#' ||
                 (classes & TEXT_BREAKS_TOKEN) != 0;
    if (quote) putQuoted(out, text, len, classes);
    else putBytes(out, text, len);
    return;
  }
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
  if (isStrictUtf8(bytes, len)) putQuoted(out, text, len, classes);
  else putQuotedCp932(out, bytes, len);
}

// The target's text form: whether texts go out in UTF-8, and the classes
// that keep a text from going out bare and those that keep a quoted text
// from going out as its own bytes.
struct TokenForm {
  bool utf8;
  uint8_t notBare;
  uint8_t rewritten;
};

TokenForm tokenForm(bool utf8) {
  if (utf8) return {true, TEXT_BREAKS_TOKEN | TEXT_NON_ASCII, TEXT_NEEDS_ESCAPE | TEXT_NON_ASCII};
  return {false, TEXT_BREAKS_TOKEN, TEXT_NEEDS_ESCAPE};
}

// The first bytes that keep a text from going out bare: the terminator of
// an empty text, '"' and '#'.
constexpr ByteSet quotedLeads = byteSetWithTerminator("\"#");

// Whether a text described by `classes` goes out bare, as its own bytes:
// most references, pins and footprints do.
inline bool isBareToken(const char* text, uint8_t classes, const TokenForm& form) {
  return (classes & form.notBare) == 0 && !quotedLeads[text[0]];
}

// Footprints are shared: every part of a category index row points at the
// row's one stored footprint text.  A small table keyed by the text's
// address keeps each footprint's length and classes, so a footprint is
// scanned once rather than once per part.
struct FootprintClasses {
  const char* text;  // null for an empty slot
  size_t len;
  uint8_t classes;
};
enum : int { FOOTPRINT_SLOTS = 256 };  // indexed by the top 8 bits of a hash
FootprintClasses footprintSlots[FOOTPRINT_SLOTS];

void clearFootprintSlots() {
  for (FootprintClasses& slot : footprintSlots) slot.text = nullptr;
}

// The length and classes of a footprint text, scanning it only when its
// slot holds another text.
const FootprintClasses& footprintClasses(const char* footprint) {
  // Fibonacci hashing spreads texts stored a few dozen bytes apart.
  uint64_t address = reinterpret_cast<uintptr_t>(footprint);
  FootprintClasses& slot = footprintSlots[(address * 0x9E3779B97F4A7C15u) >> 56];
  if (slot.text != footprint) {
    slot.text = footprint;
    slot.classes = classifyText(footprint, &slot.len);
  }
  return slot;
}

// Components and nodes are written through a cursor into room reserved
// once per record (reserveOut): texts up to DIRECT_TEXT_MAX bytes that go
// out bare or in quotes without escapes are copied there, and RECORD_ROOM
// holds a record's fixed bytes with three such texts.
enum : size_t {
  DIRECT_TEXT_MAX = 1024,
  RECORD_ROOM = 256 + 3 * (DIRECT_TEXT_MAX + 2),
};

// Writes a text at the cursor when it is short enough and goes out bare or
// in quotes as it is; otherwise hands the cursor back, writes the text by
// the general path (escapes, UTF-8) and takes a new cursor.  Returns the
// cursor past the text.
inline char* putTokenAt(TextOut* out, char* cursor, const char* text, size_t len,
                        uint8_t classes, const TokenForm& form, bool alwaysQuote) {
  if (len <= DIRECT_TEXT_MAX) {
    if (!alwaysQuote && isBareToken(text, classes, form)) {
      copyShortBytes(cursor, text, len);
      return cursor + len;
    }
    if ((classes & form.rewritten) == 0) {
      *cursor = '"';
      copyShortBytes(cursor + 1, text, len);
      cursor[len + 1] = '"';
      return cursor + len + 2;
    }
  }
  commitOut(out, cursor);
  putClassifiedText(out, text, len, classes, form.utf8, alwaysQuote);
  return reserveOut(out, RECORD_ROOM);
}

// A number in `digits` upper-case hex digits at the cursor.
char* storeUpperHex(char* cursor, uint32_t value, int digits) {
  static const char hex[] = "0123456789ABCDEF";
  for (int k = digits - 1; k >= 0; k--, value >>= 4) cursor[k] = hex[value & 0xF];
  return cursor + digits;
}

// A counter kept as its digits (decimal, or upper-case hex), so that
// writing it is one fixed-size copy and counting on mostly changes one
// byte.  The net codes and the KiCad 5 tstamps count up by one from record
// to record.
struct DigitCounter {
  char digits[16];  // digits[0..len), the rest unused
  int len;
  bool hex;
};

DigitCounter startCounter(uint32_t value, bool hex) {
  static const char digitOf[] = "0123456789ABCDEF";
  uint32_t base = hex ? 16 : 10;
  char reversed[16];
  int n = 0;
  do {
    reversed[n++] = digitOf[value % base];
    value /= base;
  } while (value != 0);
  DigitCounter counter{};
  counter.hex = hex;
  counter.len = n;
  for (int k = 0; k < n; k++) counter.digits[k] = reversed[n - 1 - k];
  return counter;
}

void countUp(DigitCounter* counter) {
  for (int k = counter->len - 1; k >= 0; k--) {
    char d = counter->digits[k];
    if (d == '9' && counter->hex) {
      counter->digits[k] = 'A';
      return;
    }
    if (d != (counter->hex ? 'F' : '9')) {
      counter->digits[k] = static_cast<char>(d + 1);
      return;
    }
    counter->digits[k] = '0';
  }
  // Every digit carried: one more digit in front (the counters stay far
  // below 16 digits; a full counter would stay as it is).
  if (counter->len == static_cast<int>(sizeof counter->digits)) return;
  memmove(counter->digits + 1, counter->digits, static_cast<size_t>(counter->len));
  counter->digits[0] = '1';
  counter->len++;
}

// The counter's digits at the cursor; the room reserved for a record
// covers the whole fixed-size copy.
char* storeCounter(char* cursor, const DigitCounter& counter) {
  memcpy(cursor, counter.digits, sizeof counter.digits);
  return cursor + counter.len;
}

// The tstamp of a reference: FNV-1a of the reference's UTF-8 form, unique
// among the components written so far.
// `len` and `classes` describe the reference (classifyText): an ASCII
// reference is its own UTF-8 form.
uint32_t referenceStamp(const char* reference, size_t len, uint8_t classes) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(reference);
  if ((classes & TEXT_NON_ASCII) == 0 || isStrictUtf8(bytes, len))
    return takeStamp(fnv1a(FNV1A_OFFSET, reference, len));
  uint32_t hash = FNV1A_OFFSET;
  for (size_t pos = 0; pos < len;) {
    char utf8[4];
    int n = encodeUtf8(decodeCp932(bytes, len, &pos), utf8);
    hash = fnv1a(hash, utf8, static_cast<size_t>(n));
  }
  return takeStamp(hash);
}

// The node flags that normalisation leaves, found for a node table it did
// not make: NODE_HAS_PART and the reference's byte classes for a node whose
// reference a part carries, and NODE_STARTS_NET on such a node whose net
// differs from that of the last such node before it.
const uint8_t* deriveReferenceFlags(const PartRecord* partRecords, int parts,
                                    const NodeRecord* nodes, int nodes_) {
  LARGE_TABLE(1) static uint8_t flags[MAX_NODES + 1];
  fillReferenceSet(partRecords, parts);
  const char* lastNet = nullptr;
  for (int i = 0; i < nodes_; i++) {
    size_t len;
    uint8_t classes = classifyText(nodes[i].reference, &len);
    flags[i] = 0;
    if (len == 0 || !referenceSetHas(nodes[i].reference)) continue;
    flags[i] = NODE_HAS_PART | classes;
    if (lastNet == nullptr || !textEquals(lastNet, nodes[i].netName)) flags[i] |= NODE_STARTS_NET;
    lastNet = nodes[i].netName;
  }
  return flags;
}

}  // namespace

int writeKicadNetlist(TextOut* out, int parts, const PartRecord* partRecords,
                      const NodeRecord* nodes, int nodes_, int projectKind,
                      const uint8_t* referenceFlags) {
  const bool utf8 = projectKind == PROJECT_KIND_KICAD6;
  const TokenForm form = tokenForm(utf8);
  if (utf8) clearStampSet();
  clearFootprintSlots();
  DigitCounter stamp = startCounter(0xA400, true);  // KiCad 5: numbered by position
  putLiteral(out, "(export (version D)\r\n  (components");
  for (int i = 0; i < parts; i++) {
    const PartRecord& part = partRecords[i];
    const char* value = part.value;
    if (value[0] == '#' && value[1] == '$' && value[2] == '#') value += 3;
    char* p = reserveOut(out, RECORD_ROOM);
    p = storeLiteral(p, "\r\n    (comp (ref ");
    size_t referenceLen;
    uint8_t referenceClasses = classifyText(part.reference, &referenceLen);
    p = putTokenAt(out, p, part.reference, referenceLen, referenceClasses, form, false);
    p = storeLiteral(p, ")\r\n      (value ");
    if (value[0] == '\0') {
      p = storeLiteral(p, "none");
    } else {
      size_t valueLen;
      uint8_t valueClasses = classifyText(value, &valueLen);
      p = putTokenAt(out, p, value, valueLen, valueClasses, form, false);
    }
    p = storeLiteral(p, ")\r\n      (footprint ");
    if (part.footprint[0] == '\0') {
      p = storeLiteral(p, "none:none");
    } else {
      const FootprintClasses& footprint = footprintClasses(part.footprint);
      p = putTokenAt(out, p, part.footprint, footprint.len, footprint.classes, form, false);
    }
    p = storeLiteral(p,
                     ")\r\n      (libsource (lib device) (part \"\"))\r\n"
                     "      (sheetpath (names /) (tstamps /))\r\n      (tstamp ");
    if (utf8) {
      p = storeUpperHex(p, referenceStamp(part.reference, referenceLen, referenceClasses), 8);
    } else {
      p = storeCounter(p, stamp);
      countUp(&stamp);
    }
    p = storeLiteral(p, "))");
    commitOut(out, p);
  }
  putLiteral(out, ")\r\n  (nets");

  if (referenceFlags == nullptr) referenceFlags = deriveReferenceFlags(partRecords, parts, nodes, nodes_);

  DigitCounter code = startCounter(1, false);
  bool netOpen = false;
  bool netOfNodeOpen = false;  // the net of the node at hand is open
  for (int i = 0; i < nodes_; i++) {
    const NodeRecord& node = nodes[i];
    uint8_t flags = referenceFlags[i];
    if ((flags & NODE_STARTS_NET) != 0) netOfNodeOpen = false;
    if ((flags & NODE_HAS_PART) == 0) {
      noteLoss(LOSS_PIN_WITHOUT_PART, node.reference, strlen(node.reference), '.', node.pin,
               strlen(node.pin));
      continue;
    }
    char* p = reserveOut(out, RECORD_ROOM);
    if (!netOfNodeOpen) {
      if (netOpen) p = storeLiteral(p, ")");
      p = storeLiteral(p, "\r\n    (net (code ");
      p = storeCounter(p, code);
      countUp(&code);
      p = storeLiteral(p, ") (name ");
      size_t nameLen = strlen(node.netName);
      uint8_t nameClasses = classifyBytes(node.netName, nameLen);
      p = putTokenAt(out, p, node.netName, nameLen, nameClasses, form, true);
      p = storeLiteral(p, ")");
      netOpen = true;
      netOfNodeOpen = true;
    }
    size_t pinLen;
    uint8_t pinClasses = classifyText(node.pin, &pinLen);
    p = storeLiteral(p, "\r\n      (node (ref ");
    p = putTokenAt(out, p, node.reference, strlen(node.reference),
                   static_cast<uint8_t>(flags & ~(NODE_HAS_PART | NODE_STARTS_NET)), form, false);
    p = storeLiteral(p, ") (pin ");
    p = putTokenAt(out, p, node.pin, pinLen, pinClasses, form, false);
    p = storeLiteral(p, "))");
    commitOut(out, p);
  }
  if (netOpen) putLiteral(out, ")");
  putLiteral(out, "))\r\n");
  return 0;
}
