// Helpers for the tests.
#include "tests/test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "korv-XXXXXX").string();
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  path = mkdtemp(buf.data());
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path, ec);
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool exists(const std::string& path) { return fs::exists(path); }

std::vector<std::string> listDir(const std::string& path) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(path)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

static std::string shellQuote(const std::string& s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'') q += "'\\''";
    else q += c;
  }
  return q + "'";
}

CliResult runCli(const std::vector<std::string>& args, const std::string& cwd) {
  TempDir capture;
  std::string command = "cd " + shellQuote(cwd) + " && " + shellQuote(KORV_CLI_PATH);
  for (const auto& a : args) command += " " + shellQuote(a);
  command += " >" + shellQuote(capture.file("out")) + " 2>" + shellQuote(capture.file("err"));
  int raw = std::system(command.c_str());
  CliResult r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = readFile(capture.file("out"));
  r.err = readFile(capture.file("err"));
  return r;
}

std::string crlf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

int readBytes(ReaderFn reader, const std::string& bytes, int* nodesOut) {
  static ByteSource source;
  bindNetlistTables();
  openMemorySource(&source, bytes.data(), bytes.size());
  int nodes = 0;
  int result = reader(&source, partTable, nodeTable, &nodes, settingValues[VAL_FORMAT_OPTION_VALUE]);
  *nodesOut = nodes;
  return result;
}

std::string sourceDir() { return KORV_SOURCE_DIR; }

ReportCapture::ReportCapture() : out(new TextOut) {
  openTextOut(out, fopen(dir_.file("report.csv").c_str(), "wb"));
}

ReportCapture::~ReportCapture() {
  if (out->file != nullptr) closeTextOut(out);
  delete out;
}

std::string ReportCapture::finish() {
  if (out->file != nullptr) closeTextOut(out);
  return readFile(dir_.file("report.csv"));
}

ReadDump readDump(ReaderFn reader, const std::string& bytes) {
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

bool isSoundRead(const ReadDump& r) {
  if (r.result < -9 || r.result > MAX_PARTS || r.nodes < 0 || r.nodes > MAX_NODES) return false;
  if (r.result < 0) return true;
  if (r.nodes < 1) return false;
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

void expectSaneRead(ReaderFn reader, const std::string& bytes) {
  ReadDump r = readDump(reader, bytes);
  EXPECT_TRUE(isSoundRead(r)) << "result " << r.result << ", nodes " << r.nodes;
}

void expectSaneOnBadInput(ReaderFn reader, const std::string& good) {
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

std::string repeatTo(const std::string& head, const std::string& unit, size_t size) {
  std::string body = unit;
  while (head.size() + body.size() < size) body += body;
  return head + body;
}
