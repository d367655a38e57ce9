// The shared line reader against a byte-at-a-time model of its rules, on
// inputs whose control bytes, high bytes and line ends fall at every
// position of the eight-byte blocks it copies and of the file reads.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "netlist/files.h"
#include "readers/reader_io.h"

namespace {

// readLine as its header describes it, one byte at a time.
std::vector<std::string> modelLines(const std::string& in, int cap, unsigned rules) {
  std::vector<std::string> lines;
  size_t pos = 0;
  for (;;) {
    std::string line;
    bool any = false;
    bool ended = false;
    while (static_cast<int>(line.size()) < cap) {
      if (pos == in.size()) {
        ended = true;
        break;
      }
      unsigned char c = static_cast<unsigned char>(in[pos++]);
      any = true;
      if (c == '\t' && (rules & LINE_TAB_AS_SPACE)) c = ' ';
      if (c == '\r') {
        if (pos < in.size() && in[pos] == '\n') pos++;
        break;
      }
      if (c == '\n') break;
      if (c < 32 && (rules & LINE_DROP_CONTROLS)) continue;
      line += static_cast<char>(c);
    }
    if (ended && ((line.empty() && (rules & LINE_END_NEEDS_TEXT)) || !any)) return lines;
    lines.push_back(line);
  }
}

// Bytes to read from memory (readSize 0), or from a file read `readSize`
// bytes at a time, so that lines and their ends straddle refills; closes
// the file at the end of its scope.
struct TestSource {
  ByteSource source;
  FILE* file = nullptr;
  TestSource(const std::string& in, size_t readSize) {
    if (readSize == 0) {
      openMemorySource(&source, in.data(), in.size());
      return;
    }
    file = tmpfile();
    fwrite(in.data(), 1, in.size(), file);
    rewind(file);
    openByteSource(&source, file);
    limitByteSourceReads(&source, readSize);
  }
  ~TestSource() {
    if (file != nullptr) fclose(file);
  }
};

std::vector<std::string> readerLines(const std::string& in, int cap, unsigned rules,
                                     size_t readSize = 0) {
  auto source = std::make_unique<TestSource>(in, readSize);  // large: not on the stack
  std::vector<std::string> lines;
  std::vector<char> buf(static_cast<size_t>(cap) + 1);
  for (int n; (n = readLine(&source->source, buf.data(), cap, rules)) >= 0;)
    lines.push_back(std::string(buf.data(), static_cast<size_t>(n)));
  return lines;
}

// readLinePiece's pieces (with their CR) and line states.
std::vector<std::string> readerPieces(const std::string& in, int cap, unsigned rules,
                                      size_t readSize) {
  auto source = std::make_unique<TestSource>(in, readSize);
  std::vector<std::string> pieces;
  std::vector<char> buf(static_cast<size_t>(cap) + 1);
  bool lineOpen = false;
  for (int n; (n = readLinePiece(&source->source, buf.data(), cap, rules, &lineOpen)) >= 0;)
    pieces.push_back(std::string(buf.data(), static_cast<size_t>(n)) + (lineOpen ? "+" : "."));
  return pieces;
}

}  // namespace

TEST(LineBytes, EveryByteKindAtEveryBlockPositionReadsAsTheRulesSay) {
  // Printable ASCII, the bytes around 32, 0x7F, 0x80 and 0xA0 (where the
  // block test's arithmetic turns), TAB, CR, LF and zero.
  static const char bytes[] = {'a', 'Z', ' ', '!', '~', '\x7F', '\x80', '\x9F', '\xA0', '\xDF',
                               '\xFF', '\x1F', '\x01', '\t', '\r', '\n', '\0'};
  std::mt19937 rng(8);
  for (int round = 0; round < 400; round++) {
    std::string in;
    int len = static_cast<int>(rng() % 70);
    // Mostly printable, so that long blocks form, with a rarer odd byte.
    for (int i = 0; i < len; i++) in += bytes[rng() % 4 == 0 ? rng() % sizeof bytes : rng() % 5];
    for (int cap : {1, 7, 8, 9, 23, static_cast<int>(READER_LINE_MAX)})
      for (unsigned rules : {0u, LINE_TAB_AS_SPACE | LINE_DROP_CONTROLS,
                             LINE_TAB_AS_SPACE | LINE_DROP_CONTROLS | LINE_END_NEEDS_TEXT})
        ASSERT_EQ(readerLines(in, cap, rules), modelLines(in, cap, rules))
            << "round " << round << " cap " << cap << " rules " << rules;
    // Refills in the middle of lines and between a CR and its LF.
    // Short lines, mostly ending in CR LF, read from a file a few bytes at a
    // time: line ends fall on refills, between a CR and its LF too.
    if (round % 8 != 0) continue;
    static const char* const ends[] = {"\r\n", "\r\n", "\r", "\n"};
    std::string lines;
    for (int i = 0; i < 40; i++)
      lines += std::string(rng() % 12, 'x') + (rng() % 9 == 0 ? "\t" : "") + ends[rng() % 4];
    const unsigned pieceRules = LINE_TAB_AS_SPACE | LINE_NUL_AS_SPACE | LINE_CLOSE_LAST;
    for (size_t readSize : {1u, 3u, 8u, 13u}) {
      ASSERT_EQ(readerLines(lines, 23, LINE_TAB_AS_SPACE | LINE_DROP_CONTROLS, readSize),
                modelLines(lines, 23, LINE_TAB_AS_SPACE | LINE_DROP_CONTROLS))
          << "round " << round << " read size " << readSize;
      // Pieces read whole from one buffer are the pieces read in bits.
      for (int cap : {5, 9, 519})
        ASSERT_EQ(readerPieces(lines, cap, pieceRules, readSize),
                  readerPieces(lines, cap, pieceRules, 0))
            << "round " << round << " read size " << readSize << " cap " << cap;
    }
  }
}
