// Part reconciliation.
//
// Every part is completed from its reference and value, given a footprint
// (a literal KiCad code in its PCB attribute, or the category index entry
// of its key), and then compared with its row of the previous report: the
// user's forced marks, footprint codes and "#$#" values carry over from
// there, and the comparison gives the part its status word.  Footprint
// resolution is a single walk over the index and the parts (or rows) sorted
// the same way, never a search per part; the merge finds each part's row
// by hashing its reference.
#include "run/reconcile.h"

#include <cfloat>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "netlist/group_sort.h"
#include "netlist/reference_set.h"
#include "netlist/text.h"
#include "options/options.h"
#include "run/category.h"
#include "run/previous.h"

StatusCounters statusCounters;
NoMountMark noMountMarks[MAX_NO_MOUNT_MARKS];
int noMountCount;

namespace {

enum : int { NUMBER_TEXT_MAX = 1023 };


// White space as the C library's isspace sees it in the "C" locale.
bool isCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }


bool isMarkSeparator(char c) { return c == ' ' || c == ','; }

void removeTrailing(char* text, char c) {
  size_t n = strlen(text);
  while (n > 0 && text[n - 1] == c) n--;
  text[n] = '\0';
}

// One quoted problem line: `head` is the text up to and including "REF=".
void writeProblemLine(TextOut* report, const char* head, const char* reference,
                      const char* text) {
  putText(report, head);
  putText(report, reference);
  putText(report, "; PCB=");
  putText(report, text);
  putText(report, ";\"\n");
}

// A PCB attribute that holds ':' is itself a KiCad footprint code.  One of
// exactly the field's capacity may have been cut and gives no footprint.
bool isLiteralFootprint(const char* pcbAttribute) { return strchr(pcbAttribute, ':') != nullptr; }
bool isTooLong(const char* pcbAttribute) { return strlen(pcbAttribute) == CAP_PCB_ATTRIBUTE; }

void setStatus(PartRecord& part, const char* word, int* counter) {
  part.status = word;
  (*counter)++;
}

void mergePart(PartRecord& part, const PreviousRow* row) {
  StatusCounters& n = statusCounters;
  const char* f = part.footprint;
  const char* pcb = part.pcbAttribute;
  if (row == nullptr) {
    if (f[0] != '\0') setStatus(part, "new", &n.added);
    else if (pcb[0] != '\0') setStatus(part, "ERROR(no index)", &n.noIndex);
    else setStatus(part, "ERROR(no pcb)", &n.noPcb);
    return;
  }

  // The row's texts are taken over where they stand: neither side changes
  // them any more.
  const char* pv = row->value;
  const char* pp = row->pcbAttribute;
  const char* pm = row->forcedMark;
  const char* pf = row->footprintCode;
  const char* pi = row->currentFootprint;
  part.forcedMark = pm;
  if ((part.value[0] == '\0' && pv[0] != '\0') || startsWith(pv, "#$#")) part.value = row->value;

  if (pm[0] != '\0' && pf[0] != '\0') {
    if ((pcb[0] == '\0' && pp[0] != '\0') ||
        (pi[0] != '\0' && (f[0] == '\0' || textEquals(pf, pi))))
      part.pcbAttribute = row->pcbAttribute;
    part.footprint = pf;
    setStatus(part, "FORCED(mark)", &n.forcedMark);
  } else if (f[0] != '\0') {
    if (pf[0] == '\0') setStatus(part, "new", &n.added);
    else if (textEquals(pf, f)) setStatus(part, "keep", &n.keep);
    else setStatus(part, "update", &n.update);
  } else if (pf[0] != '\0') {
    if (pp[0] == '\0') {
      part.footprint = pf;
      if (pcb[0] == '\0') setStatus(part, "keep", &n.keep);
      else setStatus(part, "FORCED(no index)", &n.forcedNoIndex);
    } else if (pi[0] == '\0') {
      part.footprint = pf;
      if (pcb[0] == '\0') part.pcbAttribute = row->pcbAttribute;
      setStatus(part, "FORCED(no index)", &n.forcedNoIndex);
    } else {
      part.pcbAttribute = row->pcbAttribute;
      part.footprint = pi;
      if (textEquals(pf, pi)) setStatus(part, "keep(prev pcb)", &n.keep);
      else setStatus(part, "update(prev pcb)", &n.update);
    }
  } else if (pi[0] != '\0') {
    part.pcbAttribute = row->pcbAttribute;
    part.footprint = pi;
    setStatus(part, "new", &n.added);
  } else if (pp[0] != '\0') {
    if (pcb[0] == '\0') part.pcbAttribute = row->pcbAttribute;
    setStatus(part, "ERROR(no index)", &n.noIndex);
  } else if (pcb[0] != '\0') {
    setStatus(part, "ERROR(no index)", &n.noIndex);
  } else {
    setStatus(part, "ERROR(no pcb)", &n.noPcb);
  }
}

}  // namespace

void readNoMountMarks(const char* text) {
  statusCounters = StatusCounters{};
  noMountCount = 0;
  const char* p = text;
  while (noMountCount < MAX_NO_MOUNT_MARKS) {
    while (isMarkSeparator(*p)) p++;
    if (*p == '\0') break;
    const char* start = p;
    while (*p != '\0' && !isMarkSeparator(*p)) p++;
    char token[CAP_NO_MOUNT_MARK + 1];
    int len = copyBytes(token, CAP_NO_MOUNT_MARK, start, static_cast<size_t>(p - start));
    NoMountMark& mark = noMountMarks[noMountCount++];
    if (token[0] == '^' && len > 1) {
      mark.kind = MARK_SUFFIX;
      copyText(mark.text, CAP_NO_MOUNT_MARK, token + 1);
    } else {
      mark.kind = token[len - 1] == '(' ? MARK_BRACKET_PREFIX : MARK_PREFIX;
      copyText(mark.text, CAP_NO_MOUNT_MARK, token);
    }
  }
}

bool applyNoMountMarks(char* value) {
  size_t valueLen = strlen(value);
  for (int i = 0; i < noMountCount; i++) {
    const NoMountMark& mark = noMountMarks[i];
    size_t markLen = strlen(mark.text);
    if (mark.kind == MARK_SUFFIX) {
      if (valueLen < markLen || memcmp(value + valueLen - markLen, mark.text, markLen) != 0)
        continue;
      value[valueLen - markLen] = '\0';
      removeTrailing(value, ' ');
      removeTrailing(value, ',');
      return true;
    }
    if (strncmp(value, mark.text, markLen) != 0) continue;
    memmove(value, value + markLen, valueLen - markLen + 1);
    valueLen -= markLen;
    if (mark.kind == MARK_BRACKET_PREFIX && valueLen > 0 && value[valueLen - 1] == ')')
      value[valueLen - 1] = '\0';
    return true;
  }
  return false;
}

int32_t readRefNumber(const char* text) {
  const char* p = text;
  while (isCSpace(*p)) p++;
  bool negative = *p == '-';
  if (*p == '+' || *p == '-') p++;
  // Accumulated as a negative number, whose range is the larger one.
  int64_t n = 0;
  const int64_t limit = negative ? INT32_MIN : -static_cast<int64_t>(INT32_MAX);
  for (; isDigit(*p); p++) {
    n = n * 10 - (*p - '0');
    if (n < limit) n = limit;
  }
  return static_cast<int32_t>(negative ? n : -n);
}

int deriveCategory(const char* reference, char* category) {
  int n = 0;
  while (n < CAP_CATEGORY) {
    unsigned char c = static_cast<unsigned char>(reference[n]);
    if (c < 0x3A || c > 0x7F) break;
    category[n] = static_cast<char>(c);
    n++;
  }
  category[n] = '\0';
  return n;
}

namespace {

// Powers of ten that a double holds exactly.
const double exactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The double strtod gives for the decimal number at `start` (sign, digits
// with an optional point and fraction, an optional exponent) that ends at
// `end`.  When its significant digits make an integer below 2^53 and the
// power of ten that scales it is at most 22, both are exact doubles and one
// multiplication or division rounds their exact result once, to nearest,
// just as strtod rounds the decimal number; a zero is a zero of its sign
// whatever the exponent.  Any other number goes to strtod.
double readDecimal(const char* start, const char* end) {
  const char* p = start;
  bool negative = *p == '-';
  if (*p == '+' || *p == '-') p++;
  uint64_t mantissa = 0;
  int significant = 0;  // digits from the first nonzero one
  int exponent = 0;     // the power of ten that scales the mantissa
  bool point = false;
  for (; p < end && (isDigit(*p) || (*p == '.' && !point)); p++) {
    if (*p == '.') {
      point = true;
      continue;
    }
    if (significant > 0 || *p != '0') {
      mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
      significant++;
    }
    if (point) exponent--;
    if (significant > 19) break;  // no longer exact in 64 bits: strtod decides
  }
  if (significant <= 19 && p < end) {  // the exponent part, its size bounded
    p++;
    bool negativeExponent = *p == '-';
    if (*p == '+' || *p == '-') p++;
    int e = 0;
    for (; p < end; p++) e = e < 100000 ? e * 10 + (*p - '0') : e;
    exponent += negativeExponent ? -e : e;
  }
  bool exact = significant <= 19 && mantissa < (1ull << 53) && exponent >= -22 && exponent <= 22;
  if (mantissa == 0 && significant <= 19) return negative ? -0.0 : 0.0;
  if (exact && FLT_EVAL_METHOD == 0) {
    double m = static_cast<double>(mantissa);
    double x = exponent < 0 ? m / exactPowersOfTen[-exponent] : m * exactPowersOfTen[exponent];
    return negative ? -x : x;
  }
  char number[NUMBER_TEXT_MAX + 1];
  copyBytes(number, NUMBER_TEXT_MAX, start, static_cast<size_t>(end - start));
  return strtod(number, nullptr);
}

}  // namespace

double parseScaledValue(const char* value, const char* category) {
  // The longest leading decimal number: white space, sign, digits with an
  // optional point and fraction, an optional exponent.  Nothing else (no
  // hexadecimal, no "inf" or "nan") counts as a number.
  const char* p = value;
  while (isCSpace(*p)) p++;
  const char* start = p;
  if (*p == '+' || *p == '-') p++;
  int digits = 0;
  for (; isDigit(*p); p++) digits++;
  if (*p == '.') {
    for (p++; isDigit(*p); p++) digits++;
  }
  double x = 0;
  char scale = value[0];
  if (digits > 0) {
    if (*p == 'e' || *p == 'E') {
      const char* e = p + 1;
      if (*e == '+' || *e == '-') e++;
      if (isDigit(*e)) {
        while (isDigit(*e)) e++;
        p = e;
      }
    }
    x = readDecimal(start, p);
    scale = *p;
  }

  bool capacitor = textEquals(category, "C");
  switch (scale) {
    case 'G': return capacitor ? x / 1e6 : x * 1e9;
    case 'K':
    case 'k': return capacitor ? x / 1e6 : x * 1e3;
    case 'M': return capacitor ? x / 1e6 : x * 1e6;
    case 'F': return x;
    case 'P':
    case 'p': return x / 1e12;
    case 'm': return x / 1e3;
    case 'n': return x / 1e9;
    case 'u': return x / 1e6;
    default: return capacitor ? x / 1e6 : x;
  }
}

namespace {

// The footprint code a PCB attribute gives: the attribute itself when it
// already is a code (it holds a ':'), a too-long one counted and reported
// (`tooLongLead` opens the report line) and left without a code, else the
// category file's code for (category, attribute) or nothing.  `walk` must
// see its (category, attribute) pairs in ascending order.  The parts' codes
// lose a leading ':' (":Lib:Fp" gives "Lib:Fp"); the previous report's rows
// keep their attribute whole.
const char* resolveFootprint(TextOut* report, IndexWalk* walk, const char* category,
                             const char* pcb, const char* reference, const char* tooLongLead,
                             bool dropLeadingColon) {
  if (pcb[0] == '\0') return emptyText;
  if (!isLiteralFootprint(pcb)) {
    const char* code = walkIndexTo(walk, category, pcb);
    return code != nullptr ? code : emptyText;
  }
  if (isTooLong(pcb)) {
    writeProblemLine(report, tooLongLead, reference, pcb);
    statusCounters.tooLong++;
    return emptyText;
  }
  const char* code = dropLeadingColon && pcb[0] == ':' ? pcb + 1 : pcb;
  return storeInTextPool(code, strlen(code));
}

// Whether resolveFootprint gives a later record of the same key the code
// it gave this one, with nothing else done: so for an empty attribute and
// an index lookup (the walk stays where it is for an equal key), not for a
// literal code, which is reported or stored for each record.
bool givesSameFootprintAgain(const char* pcb) { return pcb[0] == '\0' || !isLiteralFootprint(pcb); }

// Gives every record of a table that the last group sort ordered by
// (category, PCB attribute) its footprint code in `code`: a record whose
// key equals the one before it takes that one's code where resolving it
// again would give the same.
template <typename Record>
void resolveSortedFootprints(TextOut* report, Record* records, int count,
                             const char* Record::*code, const char* tooLongLead,
                             bool dropLeadingColon) {
  IndexWalk walk;
  startIndexWalk(&walk);
  bool repeatable = false;
  for (int i = 0; i < count; i++) {
    Record& record = records[i];
    if (repeatable && sameGroupAsBefore(i)) {
      record.*code = records[i - 1].*code;
      continue;
    }
    record.*code = resolveFootprint(report, &walk, record.category, record.pcbAttribute,
                                    record.reference, tooLongLead, dropLeadingColon);
    repeatable = givesSameFootprintAgain(record.pcbAttribute);
  }
}

}  // namespace

void resolvePreviousFootprints(TextOut* report) {
  // Few distinct keys among many rows: sorted as groups of equal keys.
  sortByCategoryAndPcb(previousTable, previousCount);
  resolveSortedFootprints(report, previousTable, previousCount, &PreviousRow::currentFootprint,
                          "\"(too long) previous REF=", false);
}

void prepareParts(TextOut* report, PartRecord* parts, int count) {
  const int projectKind = settingValues[VAL_PROJECT_KIND];
  for (int i = 0; i < count; i++) {
    PartRecord& part = parts[i];
    int categoryLen = deriveCategory(part.reference, part.category);
    part.refNumber = readRefNumber(part.reference + categoryLen);
    applyNoMountMarks(part.value);
    for (char* p = part.value; *p != '\0'; p++) {
      if (!isIllegalValueChar(static_cast<unsigned char>(*p), projectKind)) continue;
      writeProblemLine(report, "\"(illegal char) REF=", part.reference, part.value);
      *p = '_';
      statusCounters.illegal++;
    }
    part.numericValue = parseScaledValue(part.value, part.category);
    part.forcedMark = emptyText;
    part.status = emptyText;
    part.footprint = emptyText;
  }
}

void resolvePartFootprints(TextOut* report, PartRecord* parts, int count) {
  sortPartsByCategoryAndPcb(parts, count);
  resolveSortedFootprints(report, parts, count, &PartRecord::footprint, "\"(too long) REF=", true);
}

void mergeWithPrevious(PartRecord* parts, int count) {
  sortPartsByReference(parts, count);
  // Of several rows with one reference, the first in table order answers.
  startReferenceSet(previousCount);
  for (int r = 0; r < previousCount; r++) addToReferenceSet(previousTable[r].reference, r);
  for (int i = 0; i < count; i++) {
    int r = findInReferenceSet(parts[i].reference);
    mergePart(parts[i], r >= 0 ? &previousTable[r] : nullptr);
  }
}

void reconcileParts(TextOut* report, PartRecord* parts, int count) {
  prepareParts(report, parts, count);
  resolvePartFootprints(report, parts, count);
  mergeWithPrevious(parts, count);
}
