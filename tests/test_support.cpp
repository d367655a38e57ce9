// Helpers for the tests.
#include "tests/test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
