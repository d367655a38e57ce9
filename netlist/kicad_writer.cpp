// KiCad netlist writer.
//
// Texts are written so that KiCad's s-expression reader reads back exactly
// the text: a reference, value, footprint or pin goes out bare when it can,
// and in double quotes with backslash escapes when it is empty, holds a
// blank, CR, LF or a parenthesis, or begins with '"' or '#'.  Net names are
// always quoted.  A node whose reference no written component carries is
// left out (KiCad refuses a netlist that names a missing component), and a
// net left without nodes is not written.
#include "netlist/kicad_writer.h"

#include <cstring>

#include "netlist/losses.h"
#include "netlist/reference_set.h"

namespace {


void putQuoted(TextOut* out, const char* text) {
  putBytes(out, "\"", 1);
  const char* start = text;
  for (const char* p = text; *p != '\0'; p++) {
    const char* escape = nullptr;
    switch (*p) {
      case '\\': escape = "\\\\"; break;
      case '"': escape = "\\\""; break;
      case '\r': escape = "\\r"; break;
      case '\n': escape = "\\n"; break;
      default: continue;
    }
    putBytes(out, start, static_cast<size_t>(p - start));
    putBytes(out, escape, 2);
    start = p + 1;
  }
  putBytes(out, start, strlen(start));
  putBytes(out, "\"", 1);
}

void putToken(TextOut* out, const char* text) {
  size_t len = 0;
  bool quote = text[0] == '\0' || text[0] == '"' || text[0] == '#';
  for (; text[len] != '\0'; len++) {
    char c = text[len];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '(' || c == ')') quote = true;
  }
  if (quote) putQuoted(out, text);
  else putBytes(out, text, len);
}

}  // namespace

int writeKicadNetlist(TextOut* out, int parts, const PartRecord* partRecords,
                      const NodeRecord* nodes, int nodes_) {
  putLiteral(out, "(export (version D)\r\n  (components");
  for (int i = 0; i < parts; i++) {
    const PartRecord& part = partRecords[i];
    const char* value = part.value;
    if (strncmp(value, "#$#", 3) == 0) value += 3;
    putLiteral(out, "\r\n    (comp (ref ");
    putToken(out, part.reference);
    putLiteral(out, ")\r\n      (value ");
    if (value[0] == '\0') putLiteral(out, "none");
    else putToken(out, value);
    putLiteral(out, ")\r\n      (footprint ");
    if (part.footprint[0] == '\0') putLiteral(out, "none:none");
    else putToken(out, part.footprint);
    putLiteral(out,
               ")\r\n      (libsource (lib device) (part \"\"))\r\n"
               "      (sheetpath (names /) (tstamps /))\r\n      (tstamp ");
    putUpperHex(out, 0xA400u + static_cast<unsigned>(i));
    putLiteral(out, "))");
  }
  putLiteral(out, ")\r\n  (nets");

  fillReferenceSet(partRecords, parts);

  int code = 1;
  const char* openNet = nullptr;
  for (int i = 0; i < nodes_; i++) {
    const NodeRecord& node = nodes[i];
    if (node.reference[0] == '\0' || !referenceSetHas(node.reference)) {
      noteLoss(LOSS_PIN_WITHOUT_PART, node.reference, strlen(node.reference), '.', node.pin,
               strlen(node.pin));
      continue;
    }
    if (openNet == nullptr || strcmp(openNet, node.netName) != 0) {
      if (openNet != nullptr) putLiteral(out, ")");
      putLiteral(out, "\r\n    (net (code ");
      putDecimal(out, code++);
      putLiteral(out, ") (name ");
      putQuoted(out, node.netName);
      putLiteral(out, ")");
      openNet = node.netName;
    }
    putLiteral(out, "\r\n      (node (ref ");
    putToken(out, node.reference);
    putLiteral(out, ") (pin ");
    putToken(out, node.pin);
    putLiteral(out, "))");
  }
  if (openNet != nullptr) putLiteral(out, ")");
  putLiteral(out, "))\r\n");
  return 0;
}
