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

#include "netlist/stable_sort.h"

namespace {

const char* sortedReferences[MAX_PARTS + 1];
const char* referenceScratch[MAX_PARTS + 1];

bool needsQuotes(const char* text) {
  if (text[0] == '\0' || text[0] == '"' || text[0] == '#') return true;
  for (const char* p = text; *p != '\0'; p++)
    if (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n' || *p == '(' || *p == ')')
      return true;
  return false;
}

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
  if (needsQuotes(text)) putQuoted(out, text);
  else putBytes(out, text, strlen(text));
}

bool isWrittenReference(const char* reference, int count) {
  int lo = 0, hi = count;
  while (lo < hi) {
    int mid = lo + (hi - lo) / 2;
    int c = strcmp(sortedReferences[mid], reference);
    if (c == 0) return true;
    if (c < 0) lo = mid + 1;
    else hi = mid;
  }
  return false;
}

}  // namespace

int writeKicadNetlist(TextOut* out, int parts, const PartRecord* partRecords,
                      const NodeRecord* nodes, int nodes_) {
  putText(out, "(export (version D)\n  (components");
  for (int i = 0; i < parts; i++) {
    const PartRecord& part = partRecords[i];
    const char* value = part.value;
    if (strncmp(value, "#$#", 3) == 0) value += 3;
    putText(out, "\n    (comp (ref ");
    putToken(out, part.reference);
    putText(out, ")\n      (value ");
    if (value[0] == '\0') putText(out, "none");
    else putToken(out, value);
    putText(out, ")\n      (footprint ");
    if (part.footprint[0] == '\0') putText(out, "none:none");
    else putToken(out, part.footprint);
    putText(out,
            ")\n      (libsource (lib device) (part \"\"))\n"
            "      (sheetpath (names /) (tstamps /))\n      (tstamp ");
    putUpperHex(out, 0xA400u + static_cast<unsigned>(i));
    putText(out, "))");
  }
  putText(out, ")\n  (nets");

  for (int i = 0; i < parts; i++) sortedReferences[i] = partRecords[i].reference;
  stableSort(sortedReferences, parts, referenceScratch,
             [](const char* a, const char* b) { return strcmp(a, b) < 0; });

  int code = 1;
  const char* openNet = nullptr;
  for (int i = 0; i < nodes_; i++) {
    const NodeRecord& node = nodes[i];
    if (node.reference[0] == '\0' || !isWrittenReference(node.reference, parts)) continue;
    if (openNet == nullptr || strcmp(openNet, node.netName) != 0) {
      if (openNet != nullptr) putText(out, ")");
      putText(out, "\n    (net (code ");
      putDecimal(out, code++);
      putText(out, ") (name ");
      putQuoted(out, node.netName);
      putText(out, ")");
      openNet = node.netName;
    }
    putText(out, "\n      (node (ref ");
    putToken(out, node.reference);
    putText(out, ") (pin ");
    putToken(out, node.pin);
    putText(out, "))");
  }
  if (openNet != nullptr) putText(out, ")");
  putText(out, "))\n");
  return 0;
}
