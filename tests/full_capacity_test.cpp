// Whole conversions at full capacity in every format: 6000 parts, 20000
// pins, a category file of 6000 rows and a previous report of 6000 rows.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/test_support.h"

TEST(FullCapacity, EveryFormatConvertsWholly) {
  TempDir dir;
  std::string command = std::string(KORV_GENERATOR_PATH) + " '" + dir.path + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const char* formats[] = {"pads", "cadvance", "mm2", "protel", "telesis", "ccf"};
  for (const char* format : formats) {
    std::string input = std::string("board.") + format;
    CliResult r = runCli({"--input", input, "--format", format, "--project", "board.pro",
                          "--category", "parts.csv", "--language", "en"},
                         dir.path);
    EXPECT_EQ(r.status, 0) << format << ": " << r.out;
    EXPECT_NE(r.out.find("total parts=6000, ERROR(no pcb)=0, ERROR(no index)=0, "
                         "ERROR(dup index)=0"),
              std::string::npos)
        << format << ": " << r.out;
    EXPECT_NE(r.out.find("; index=6000, previous=6000\nCompleted\n"), std::string::npos)
        << format << ": " << r.out;
    std::string net = readFile(dir.file("board.net"));
    size_t nodes = 0;
    for (size_t at = net.find("(node "); at != std::string::npos; at = net.find("(node ", at + 1))
      nodes++;
    EXPECT_EQ(nodes, 20000u) << format;
    EXPECT_NE(net.find("(tstamp BB6F))"), std::string::npos) << format;
  }
}
