// The input formats as one table: for each value of the input-format
// setting its command-line name, its labels in the window, its reader and
// its sniff function.  The run, the command line, the window and the fuzz
// targets all take the formats from here.
#pragma once

#include <cstddef>

#include "netlist/files.h"
#include "netlist/model.h"
#include "options/options.h"

// A reader: reads a netlist; `formatOption` is the numeric format option (0
// to 3) that some readers look at.  Returns the part count (the node count
// goes to *nodeCountOut), or a negative result code of that reader.
using Reader = int(ByteSource* in, PartRecord* parts, NodeRecord* nodes, int* nodeCountOut,
                   int formatOption);
using ReadFunction = Reader*;

// A sniffer: how strongly the first `len` bytes of a file look like its
// format: 0 when not at all, else the number of the format's landmarks found.
using Sniffer = int(const char* head, size_t len);
using SniffFunction = Sniffer*;

Reader readCadvanceNetlist, readMm2ColmoNetlist, readProtelNetlist, readTelesisNetlist,
    readCcfNetlist, readPadsNetlist;
Sniffer sniffCadvance, sniffMm2Colmo, sniffProtel, sniffTelesis, sniffCcf, sniffPads;

struct FormatRow {
  int inputFormat;        // the value of VAL_INPUT_FORMAT; also the row's index
  const char* name;       // on the command line; null when it has none
  const char* labels[2];  // the window's radio button: Japanese, English
  ReadFunction read;      // null for a format without a reader
  SniffFunction sniff;    // null for a format without a reader
};

enum : int { FORMAT_COUNT = 7 };

inline constexpr FormatRow formatTable[FORMAT_COUNT] = {
    {FORMAT_CADVANCE, "cadvance", {"CADVANCE", "CADVANCE"}, readCadvanceNetlist, sniffCadvance},
    {FORMAT_MM2_COLMO, "mm2", {"MM-2/Colmo", "MM-2/Colmo"}, readMm2ColmoNetlist, sniffMm2Colmo},
    {FORMAT_RFU, nullptr, {"(RFU)", "(RFU)"}, nullptr, nullptr},
    {FORMAT_PROTEL, "protel", {"Protel(Altium)", "Protel(Altium)"}, readProtelNetlist, sniffProtel},
    {FORMAT_TELESIS, "telesis", {"TELESIS", "TELESIS"}, readTelesisNetlist, sniffTelesis},
    {FORMAT_CCF, "ccf", {"CCF(zuken)", "CCF(zuken)"}, readCcfNetlist, sniffCcf},
    {FORMAT_PADS, "pads", {"PADS", "PADS"}, readPadsNetlist, sniffPads},
};

constexpr bool formatRowsInOrder() {
  for (int k = 0; k < FORMAT_COUNT; k++)
    if (formatTable[k].inputFormat != k) return false;
  return true;
}
static_assert(formatRowsInOrder(), "a format's row index is its input-format value");

// The result a run takes for a format without a reader ("(RFU)", or a value
// outside the table): a format error like any reader's.
enum : int { READ_NO_READER = -1 };

// The row of an input-format value, or null when there is none.
const FormatRow* formatRow(int inputFormat);

// The row whose command-line name is `name`, or null.
const FormatRow* formatNamed(const char* name);

// The command-line names, comma-separated, for messages ("cadvance, mm2, ...").
const char* formatNameList();

enum : int { SNIFF_PREFIX = 65536 };  // bytes of a file that detection looks at

// The outcome of detection: the single best format, or why there is none.
enum DetectOutcome { DETECT_FOUND, DETECT_NO_MATCH, DETECT_TIE };

struct Detection {
  DetectOutcome outcome;
  int inputFormat;  // DETECT_FOUND: the format; DETECT_TIE: one of the best
  int otherFormat;  // DETECT_TIE: another format with the same score
};

// Scores every format on the first SNIFF_PREFIX bytes of the source (the
// source is read on; reopen it to read the file).
Detection detectFormat(ByteSource* in);
// The same on bytes in memory (at most SNIFF_PREFIX of them are looked at).
Detection detectFormatOfBytes(const char* head, size_t len);
