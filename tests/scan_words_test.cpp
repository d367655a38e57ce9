// The word-at-a-time scans of the readers' toolkit against byte loops, with
// the bytes they look for, high bytes and zero bytes at every position of
// the eight-byte words.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "readers/reader_io.h"

TEST(ScanWords, ForwardAndBackwardScansFindWhatByteLoopsFind) {
  static const char bytes[] = {'a', ',', '}', '-', ' ', '\r', '\0', '\x80', '\xAC', '\xFF', '\x7F',
                               '\x01'};
  std::mt19937 rng(14);
  for (int round = 0; round < 300; round++) {
    std::string text;
    int len = static_cast<int>(rng() % 40);
    for (int i = 0; i < len; i++) text += bytes[rng() % 3 == 0 ? rng() % sizeof bytes : 0];
    for (int from = 0; from <= len; from++) {
      for (int end = from; end <= len; end++) {
        size_t want = static_cast<size_t>(from);
        while (want < static_cast<size_t>(end) && text[want] != ',' && text[want] != '}' &&
               text[want] != '-')
          want++;
        ASSERT_EQ(scanToAnyOf(text.data(), static_cast<size_t>(from), static_cast<size_t>(end),
                              ',', '}', '-'),
                  want)
            << round << " " << from << " " << end;
        for (char c : {',', '\x80', '\xFF', '\0'}) {
          int back = end - 1;
          while (back >= from && text[back] != c) back--;
          if (back < from) back = -1;
          ASSERT_EQ(scanBackToByte(text.data(), from, end, c), back)
              << round << " " << from << " " << end << " " << int(c);
        }
      }
    }
  }
}
