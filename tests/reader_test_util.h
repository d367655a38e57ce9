// Shared scaffolding of the reader tests: a read whose tables come back as
// text, a check that stored texts fit their capacities, and one whole
// conversion of a small board through korvandelith-cli.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "netlist/model.h"
#include "tests/test_support.h"

struct ReadDump {
  int result;
  int nodes;
  std::string parts;  // "reference|value|pcbAttribute" per stored part
  std::string nets;   // "netName|reference|pin" per stored node
};

inline ReadDump readAndDump(ReaderFn reader, const std::string& bytes) {
  ReadDump r;
  r.result = readBytes(reader, bytes, &r.nodes);
  for (int i = 0; i < r.result; i++) {
    const PartRecord& p = partTable[i];
    r.parts += std::string(p.reference) + "|" + p.value + "|" + p.pcbAttribute + "\n";
  }
  for (int i = 0; r.result >= 0 && i < r.nodes; i++) {
    const NodeRecord& n = nodeTable[i];
    r.nets += std::string(n.netName) + "|" + n.reference + "|" + n.pin + "\n";
  }
  return r;
}

// Whether a result is one a reader may give, and every stored text fits.
inline bool isSoundRead(const ReadDump& r) {
  if (r.result < 0) return true;
  if (r.result > MAX_PARTS || r.nodes < 1 || r.nodes > MAX_NODES) return false;
  for (int i = 0; i < r.result; i++) {
    const PartRecord& p = partTable[i];
    if (strlen(p.reference) > CAP_REFERENCE || strlen(p.value) > CAP_VALUE ||
        strlen(p.pcbAttribute) > CAP_PCB_ATTRIBUTE)
      return false;
  }
  for (int i = 0; i < r.nodes; i++) {
    const NodeRecord& n = nodeTable[i];
    if (strlen(n.reference) > CAP_REFERENCE || strlen(n.pin) > CAP_PIN ||
        strlen(n.netName) > CAP_NET_NAME)
      return false;
  }
  return true;
}

// Converts `input` through korvandelith-cli with these format options, a
// project board.pro and a category file that maps none of the board's
// parts.  Returns the result text followed by the KiCad netlist written.
inline std::string convertBoard(const std::string& input, const std::vector<std::string>& format) {
  TempDir dir;
  writeFile(dir.file("board.in"), input);
  writeFile(dir.file("board.pro"), "(kicad project)\n");
  writeFile(dir.file("parts.csv"),
            "Category,PCB attribute,Footprint code,Note,Maker,Version\n"
            "D,SOD123,Diode_SMD:D_SOD-123,,,\n");
  std::vector<std::string> args = {"--input", "board.in", "--project", "board.pro",
                                   "--category", "parts.csv"};
  args.insert(args.end(), format.begin(), format.end());
  CliResult cli = runCli(args, dir.path);
  return cli.out + readFile(dir.file("board.net"));
}

// What convertBoard gives for the board C1, C2 (0.1u), R1 (10k), U1 (LM358)
// with the nets VCC (U1.8 C1.1 R1.1), GND (U1.4 C1.2 C2.2) and OUT
// (U1.1 R1.2 C2.1).
inline std::string convertedBoard() {
  std::string net = "(export (version D)\n  (components";
  const char* const comps[4][2] = {{"C1", "0.1u"}, {"C2", "0.1u"}, {"R1", "10k"}, {"U1", "LM358"}};
  for (int i = 0; i < 4; i++)
    net += std::string("\n    (comp (ref ") + comps[i][0] + ")\n      (value " + comps[i][1] +
           ")\n      (footprint none:none)\n      (libsource (lib device) (part \"\"))\n"
           "      (sheetpath (names /) (tstamps /))\n      (tstamp A40" + std::to_string(i) + "))";
  net +=
      ")\n  (nets"
      "\n    (net (code 1) (name \"GND\")\n      (node (ref C1) (pin 2))"
      "\n      (node (ref C2) (pin 2))\n      (node (ref U1) (pin 4)))"
      "\n    (net (code 2) (name \"OUT\")\n      (node (ref C2) (pin 1))"
      "\n      (node (ref R1) (pin 2))\n      (node (ref U1) (pin 1)))"
      "\n    (net (code 3) (name \"VCC\")\n      (node (ref C1) (pin 1))"
      "\n      (node (ref R1) (pin 1))\n      (node (ref U1) (pin 8)))))\n";
  return net;
}
