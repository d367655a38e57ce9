// Byte streams: fgets-style lines in binary and text mode, across buffer
// refills and at the capacity; text-mode output.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "netlist/files.h"
#include "tests/test_support.h"

namespace {

// Every line readFileLine gives for these bytes, read from a file so that
// the source refills its buffer.
std::vector<std::string> lines(const std::string& bytes, int cap, bool textMode) {
  TempDir dir;
  writeFile(dir.file("f"), bytes);
  static ByteSource source;
  FILE* f = openForReading(dir.file("f").c_str());
  openByteSource(&source, f);
  std::vector<char> buf(static_cast<size_t>(cap) + 1);
  std::vector<std::string> out;
  int n;
  while ((n = readFileLine(&source, buf.data(), cap, textMode)) >= 0)
    out.push_back(std::string(buf.data(), static_cast<size_t>(n)));
  fclose(f);
  return out;
}

using Lines = std::vector<std::string>;

}  // namespace

TEST(FileLines, BinaryAndTextMode) {
  EXPECT_EQ(lines("a\r\nb\rc\nd", 100, false), (Lines{"a\r\n", "b\rc\n", "d"}));
  EXPECT_EQ(lines("a\r\nb\rc\nd", 100, true), (Lines{"a\n", "b\rc\n", "d"}));
  EXPECT_EQ(lines("\r\r\n", 100, true), (Lines{"\r\n"}));
  EXPECT_EQ(lines("", 100, true), Lines{});
  // Longer lines arrive in pieces of the capacity.
  EXPECT_EQ(lines("abcdefg\n", 3, false), (Lines{"abc", "def", "g\n"}));
  // A CR LF that straddles the capacity still counts as one line feed.
  EXPECT_EQ(lines("ab\r\ncd\n", 3, true), (Lines{"ab\n", "cd\n"}));
  EXPECT_EQ(lines("abc\r\n", 3, true), (Lines{"abc", "\n"}));
  EXPECT_EQ(lines("abc\r\n", 3, false), (Lines{"abc", "\r\n"}));
  // Zero bytes are bytes of the line.
  EXPECT_EQ(lines(std::string("a\0b\n", 4), 10, false), (Lines{std::string("a\0b\n", 4)}));
}

TEST(FileLines, AcrossBufferRefills) {
  // A CR LF split by the end of the 64 KB input buffer.
  std::string first(BYTE_SOURCE_BUFFER - 1, 'x');
  Lines text = lines(first + "\r\nnext\r\n", RUN_LINE_MAX, true);
  ASSERT_EQ(text.size(), 2u);
  EXPECT_EQ(text[0], first + "\n");
  EXPECT_EQ(text[1], "next\n");
  // A line of 3,000,000 characters arrives in pieces of 2,100,200.
  static char big[RUN_LINE_MAX + 1];
  std::string huge(3000000, 'y');
  TempDir dir;
  writeFile(dir.file("h"), huge + "\n");
  static ByteSource source;
  FILE* f = openForReading(dir.file("h").c_str());
  openByteSource(&source, f);
  EXPECT_EQ(readFileLine(&source, big, RUN_LINE_MAX, false), RUN_LINE_MAX);
  EXPECT_EQ(readFileLine(&source, big, RUN_LINE_MAX, false), 3000000 - RUN_LINE_MAX + 1);
  EXPECT_EQ(readFileLine(&source, big, RUN_LINE_MAX, false), -1);
  fclose(f);
}

TEST(TextOutput, LineFeedsAndNumbers) {
  TempDir dir;
  static TextOut out;
  openTextOut(&out, openForWriting(dir.file("o").c_str()));
  putText(&out, "a\nb\n\nc");
  putChar(&out, '\n');
  putDecimal(&out, -2147483648LL);
  putChar(&out, ' ');
  putDecimal(&out, 0);
  putChar(&out, ' ');
  putUpperHex(&out, 0xA400);
  putChar(&out, ' ');
  putUpperHex(&out, 0);
  EXPECT_TRUE(closeTextOut(&out));
  EXPECT_EQ(readFile(dir.file("o")), "a\r\nb\r\n\r\nc\r\n-2147483648 0 A400 0");
}

TEST(TextOutput, ShortCopiesOfEveryLengthStayWithinTheirBytes) {
  // Every branch of the word copies, and the library copy past them.
  char source[80];
  for (size_t i = 0; i < sizeof source; i++) source[i] = static_cast<char>('A' + i % 26);
  for (size_t len = 0; len <= 70; len++) {
    char target[96];
    memset(target, '#', sizeof target);
    copyShortBytes(target + 8, source, len);
    EXPECT_EQ(std::string(target, 8), std::string(8, '#')) << len;
    EXPECT_EQ(std::string(target + 8, len), std::string(source, len)) << len;
    EXPECT_EQ(std::string(target + 8 + len, sizeof target - 8 - len),
              std::string(sizeof target - 8 - len, '#'))
        << len;
  }
}
