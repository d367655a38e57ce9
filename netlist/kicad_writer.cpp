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
    else putBytes(out, bytes, static_cast<size_t>(n));
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

void putKicadText(TextOut* out, const char* text, bool utf8, bool alwaysQuote) {
  size_t len;
  uint8_t classes = classifyText(text, &len);
  putClassifiedText(out, text, len, classes, utf8, alwaysQuote);
}

// The tstamp of a reference: FNV-1a of the reference's UTF-8 form, unique
// among the components written so far.
uint32_t referenceStamp(const char* reference) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(reference);
  size_t len = strlen(reference);
  if (isStrictUtf8(bytes, len)) return takeStamp(fnv1a(FNV1A_OFFSET, reference, len));
  uint32_t hash = FNV1A_OFFSET;
  for (size_t pos = 0; pos < len;) {
    char utf8[4];
    int n = encodeUtf8(decodeCp932(bytes, len, &pos), utf8);
    hash = fnv1a(hash, utf8, static_cast<size_t>(n));
  }
  return takeStamp(hash);
}

void putStamp(TextOut* out, uint32_t stamp) {
  static const char digits[] = "0123456789ABCDEF";
  char hex[8];
  for (int i = 7; i >= 0; i--, stamp >>= 4) hex[i] = digits[stamp & 0xF];
  putBytes(out, hex, sizeof hex);
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
    if (lastNet == nullptr || strcmp(lastNet, nodes[i].netName) != 0) flags[i] |= NODE_STARTS_NET;
    lastNet = nodes[i].netName;
  }
  return flags;
}

}  // namespace

int writeKicadNetlist(TextOut* out, int parts, const PartRecord* partRecords,
                      const NodeRecord* nodes, int nodes_, int projectKind,
                      const uint8_t* referenceFlags) {
  const bool utf8 = projectKind == PROJECT_KIND_KICAD6;
  if (utf8) clearStampSet();
  putLiteral(out, "(export (version D)\r\n  (components");
  for (int i = 0; i < parts; i++) {
    const PartRecord& part = partRecords[i];
    const char* value = part.value;
    if (strncmp(value, "#$#", 3) == 0) value += 3;
    putLiteral(out, "\r\n    (comp (ref ");
    putKicadText(out, part.reference, utf8, false);
    putLiteral(out, ")\r\n      (value ");
    if (value[0] == '\0') putLiteral(out, "none");
    else putKicadText(out, value, utf8, false);
    putLiteral(out, ")\r\n      (footprint ");
    if (part.footprint[0] == '\0') putLiteral(out, "none:none");
    else putKicadText(out, part.footprint, utf8, false);
    putLiteral(out,
               ")\r\n      (libsource (lib device) (part \"\"))\r\n"
               "      (sheetpath (names /) (tstamps /))\r\n      (tstamp ");
    if (utf8) putStamp(out, referenceStamp(part.reference));
    else putUpperHex(out, 0xA400u + static_cast<unsigned>(i));
    putLiteral(out, "))");
  }
  putLiteral(out, ")\r\n  (nets");

  if (referenceFlags == nullptr) referenceFlags = deriveReferenceFlags(partRecords, parts, nodes, nodes_);

  int code = 1;
  bool netOpen = false;
  bool netOfNodeOpen = false;  // the net of the node at hand is open
  for (int i = 0; i < nodes_; i++) {
    const NodeRecord& node = nodes[i];
    uint8_t flags = referenceFlags[i];
    size_t referenceLen = (flags & NODE_HAS_PART) != 0 ? strlen(node.reference) : 0;
    if ((flags & NODE_STARTS_NET) != 0) netOfNodeOpen = false;
    if ((flags & NODE_HAS_PART) == 0) {
      noteLoss(LOSS_PIN_WITHOUT_PART, node.reference, strlen(node.reference), '.', node.pin,
               strlen(node.pin));
      continue;
    }
    if (!netOfNodeOpen) {
      if (netOpen) putLiteral(out, ")");
      putLiteral(out, "\r\n    (net (code ");
      putDecimal(out, code++);
      putLiteral(out, ") (name ");
      putKicadText(out, node.netName, utf8, true);
      putLiteral(out, ")");
      netOpen = true;
      netOfNodeOpen = true;
    }
    putLiteral(out, "\r\n      (node (ref ");
    putClassifiedText(out, node.reference, referenceLen,
                      static_cast<uint8_t>(flags & ~(NODE_HAS_PART | NODE_STARTS_NET)), utf8, false);
    putLiteral(out, ") (pin ");
    putKicadText(out, node.pin, utf8, false);
    putLiteral(out, "))");
  }
  if (netOpen) putLiteral(out, ")");
  putLiteral(out, "))\r\n");
  return 0;
}
