// The shared line reader against a byte-at-a-time model of its rules, on
// inputs whose control bytes, high bytes and line ends fall at every
// position of the eight-byte blocks it copies.
#include <gtest/gtest.h>

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

std::vector<std::string> readerLines(const std::string& in, int cap, unsigned rules) {
  static ByteSource source;
  openMemorySource(&source, in.data(), in.size());
  std::vector<std::string> lines;
  std::vector<char> buf(static_cast<size_t>(cap) + 1);
  for (int n; (n = readLine(&source, buf.data(), cap, rules)) >= 0;)
    lines.push_back(std::string(buf.data(), static_cast<size_t>(n)));
  return lines;
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
  }
}
