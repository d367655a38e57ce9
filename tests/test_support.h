// Helpers for the tests: temporary directories, files, the command-line
// runner as a child process, and readers fed from memory, their tables
// dumped as text and checked on hostile input.
#pragma once

#include <string>
#include <vector>

#include "netlist/model.h"
#include "readers/formats.h"
#include "readers/reader_io.h"

// A fresh directory, removed with everything in it at the end of its scope.
struct TempDir {
  TempDir();
  ~TempDir();
  std::string path;
  std::string file(const std::string& name) const { return path + "/" + name; }
};

void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);
bool exists(const std::string& path);
// Names of the files in a directory, sorted.
std::vector<std::string> listDir(const std::string& path);

struct CliResult {
  int status;
  std::string out;
  std::string err;
};
// Runs korvandelith-cli with these arguments in directory `cwd`.
CliResult runCli(const std::vector<std::string>& args, const std::string& cwd);

// The text with every LF turned into CR LF (how the run writes its files).
std::string crlf(const std::string& text);

using ReaderFn = ReadFunction;
// Binds the tables and runs a reader over the bytes, with the format option
// of the option store; returns its result.
int readBytes(ReaderFn reader, const std::string& bytes, int* nodesOut);

std::string sourceDir();

// A report file in a temporary directory, for functions that write report
// lines into a TextOut.
struct ReportCapture {
  ReportCapture();
  ~ReportCapture();
  TextOut* out;
  // Closes the file and returns its bytes.
  std::string finish();

 private:
  TempDir dir_;
};

// What a reader stored, as text: "REF|VALUE|PCB" per part and, when the read
// succeeded, "NET|REF|PIN" per node, one a line.
struct ReadDump {
  int result;
  int nodes;
  std::string parts;
  std::string nets;
};
ReadDump readDump(ReaderFn reader, const std::string& bytes);

// Whether a read ended with a count in range or a code of the reader's own
// (-9 to -1), and every stored text fits its field.
bool isSoundRead(const ReadDump& r);
// Random bytes, every prefix of a good file, and a long word in each place
// of it: every read is sound (and the ASan build sees no bad access).
void expectSaneOnBadInput(ReaderFn reader, const std::string& good);
void expectSaneRead(ReaderFn reader, const std::string& bytes);

// `head` followed by copies of `unit` up to at least `size` bytes (50 MB
// inputs are built by doubling, which stays fast in sanitizer builds).
std::string repeatTo(const std::string& head, const std::string& unit, size_t size);
const size_t FIFTY_MB = 50u << 20;
