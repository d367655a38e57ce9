// Compact views of what a reader stored, and the checks the reader tests
// share: whole reads, bad-input runs and conversions through the CLI.
#pragma once

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "netlist/model.h"
#include "tests/test_support.h"

struct ReadOutcome {
  int result;
  int nodes;
  std::string parts;  // "REF|VALUE|PCB" per stored part, one a line
  std::string net;    // "REF/PIN@NET" per stored node, one a line
};

inline ReadOutcome readAll(ReaderFn reader, const std::string& bytes) {
  ReadOutcome o;
  o.nodes = 0;
  o.result = readBytes(reader, bytes, &o.nodes);
  for (int i = 0; i < o.result; i++)
    o.parts += std::string(partTable[i].reference) + "|" + partTable[i].value + "|" +
               partTable[i].pcbAttribute + "\n";
  for (int i = 0; i < o.nodes; i++)
    o.net += std::string(nodeTable[i].reference) + "/" + nodeTable[i].pin + "@" +
             nodeTable[i].netName + "\n";
  return o;
}

// A read of hostile bytes ends with a count in range or a code of the
// reader's own (codes lie between -9 and -1).
inline void expectSaneRead(ReaderFn reader, const std::string& bytes) {
  int nodes = 0;
  int result = readBytes(reader, bytes, &nodes);
  EXPECT_GE(result, -9);
  EXPECT_LE(result, MAX_PARTS);
  EXPECT_GE(nodes, 0);
  EXPECT_LE(nodes, MAX_NODES);
  if (result >= 0) {
    EXPECT_GT(nodes, 0);
  }
}

// Random bytes, every prefix of a good file, and a long word in each place
// of it: never a crash or a read outside the buffers (the ASan build).
inline void expectSaneOnBadInput(ReaderFn reader, const std::string& good) {
  std::mt19937 rng(1234);
  for (int round = 0; round < 200; round++) {
    std::string bytes(static_cast<size_t>(rng() % 3000), '\0');
    for (char& c : bytes) c = static_cast<char>(rng());
    expectSaneRead(reader, bytes);
    // Good text with random bytes spliced in.
    std::string mixed = good;
    for (int k = 0; k < 5; k++) mixed[rng() % mixed.size()] = static_cast<char>(rng());
    expectSaneRead(reader, mixed);
  }
  for (size_t n = 0; n <= good.size(); n++) expectSaneRead(reader, good.substr(0, n));
  for (size_t at = 0; at < good.size(); at += 29)
    expectSaneRead(reader, good.substr(0, at) + std::string(100000, 'W') + good.substr(at));
}

// `head` followed by copies of `unit` up to at least `size` bytes (50 MB
// inputs are built by doubling, which stays fast in sanitizer builds).
inline std::string repeatTo(const std::string& head, const std::string& unit, size_t size) {
  std::string body = unit;
  while (head.size() + body.size() < size) body += body;
  return head + body;
}

const size_t FIFTY_MB = 50u << 20;

// Converts `bytes` through korvandelith-cli with an index that holds only its
// header line, and returns the KiCad netlist.
inline std::string convertWithCli(const std::string& format, const std::string& bytes) {
  TempDir d;
  writeFile(d.file("board.net.in"), bytes);
  writeFile(d.file("board.pro"), "");
  writeFile(d.file("category.csv"), "Category,PCB attribute,Footprint code,Note,Maker,Version\r\n");
  CliResult r = runCli({"--input", "board.net.in", "--format", format, "--project", "board.pro",
                        "--category", "category.csv", "--language", "en"},
                       d.path);
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("Completed\n"), std::string::npos) << r.out;
  return readFile(d.file("board.net"));
}

// The KiCad text of one component as the writer lays it out (no footprint).
inline std::string kicadComp(const std::string& ref, const std::string& value, int index) {
  char stamp[16];
  snprintf(stamp, sizeof stamp, "%X", 0xA400 + index);
  return "\n    (comp (ref " + ref + ")\n      (value " + value +
         ")\n      (footprint none:none)\n      (libsource (lib device) (part \"\"))\n"
         "      (sheetpath (names /) (tstamps /))\n      (tstamp " + stamp + "))";
}

// The KiCad netlist of the test board that every reader's test writes in
// its own format: seven parts, four nets, one net name in Shift-JIS.  Its
// values sort in the order of the references, so the component order does
// not depend on which of the two the run sorts by.
inline std::string boardNetlistExpected() {
  const char* parts[][2] = {{"C1", "100n"}, {"C2", "10u"},  {"D1", "1N4148"},     {"J1", "2P_HDR"},
                            {"R1", "4k7"},  {"R2", "\"4k7 1%\""}, {"U1", "LM358"}};
  const char* nets[][5] = {{"GND", "C1 2", "C2 2", "J1 2", "U1 4"},
                           {"OUT", "C1 1", "D1 1", "R2 2", "U1 1"},
                           {"VCC", "C2 1", "J1 1", "R1 1", "U1 8"},
                           {"\x93\xfc\x97\xcd", "D1 2", "R1 2", "R2 1", nullptr}};
  std::string s = "(export (version D)\n  (components";
  for (int i = 0; i < 7; i++) s += kicadComp(parts[i][0], parts[i][1], i);
  s += ")\n  (nets";
  for (int n = 0; n < 4; n++) {
    s += "\n    (net (code " + std::to_string(n + 1) + ") (name \"" + nets[n][0] + "\")";
    for (int k = 1; k < 5 && nets[n][k] != nullptr; k++) {
      std::string node = nets[n][k];
      s += "\n      (node (ref " + node.substr(0, 2) + ") (pin " + node.substr(3) + "))";
    }
    s += ")";
  }
  return crlf(s + "))\n");
}
