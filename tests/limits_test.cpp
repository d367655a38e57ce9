// Paths and texts at the edges of their buffers: input paths of 511 and 512
// characters, project paths of 515, 516, 519 and 520, a result text that
// reaches 9999 characters.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "tests/test_support.h"

namespace {

const char kNetlist[] = "*PART*\r\nR1 1k@R\r\n*NET*\r\n*SIGNAL* A\r\nR1.1\r\n*END*\r\n";

// A relative path of exactly `length` characters that ends in `name`, with
// the folders it needs created below `base`.
std::string pathOfLength(const std::string& base, size_t length, const std::string& name) {
  std::string path;
  while (path.size() + name.size() < length) {
    size_t room = length - name.size() - path.size();  // folder name plus its '/'
    size_t folder = room - 1 > 200 ? 200 : room - 1;
    if (room - folder - 1 > 0 && room - folder - 1 < 2) folder -= 2;  // no empty last folder
    path += std::string(folder, 'd') + "/";
    mkdir((base + "/" + path).c_str(), 0700);
  }
  return path + name;
}

CliResult convert(const TempDir& dir, const std::string& input, const std::string& project,
                  std::vector<std::string> extra = {}) {
  std::vector<std::string> args = {"--input",    input,     "--format",   "pads",
                                   "--project",  project,   "--category", "cat.csv",
                                   "--language", "en"};
  args.insert(args.end(), extra.begin(), extra.end());
  return runCli(args, dir.path);
}

}  // namespace

TEST(Limits, InputPathOf511Fits512DoesNot) {
  TempDir dir;
  writeFile(dir.file("cat.csv"), "");
  writeFile(dir.file("b.pro"), "");
  std::string input = pathOfLength(dir.path, 511, "board.asc");
  ASSERT_EQ(input.size(), 511u);
  writeFile(dir.file(input), kNetlist);
  CliResult r = convert(dir, input, "b.pro");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out.rfind("Report = " + input + "_f00.csv\n", 0), 0u);
  EXPECT_TRUE(exists(dir.file(input + "_f00.csv")));

  std::string longer = pathOfLength(dir.path, 512, "board2.asc");
  ASSERT_EQ(longer.size(), 512u);
  writeFile(dir.file(longer), kNetlist);
  unlink(dir.file("b.net").c_str());
  r = convert(dir, longer, "b.pro");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "Can't open the input file.\n" + longer);
  EXPECT_FALSE(exists(dir.file("b.net")));
}

TEST(Limits, ProjectPathsAndTheNumberedCopy) {
  TempDir dir;
  writeFile(dir.file("cat.csv"), "");
  writeFile(dir.file("in.asc"), kNetlist);
  // 515 characters: the numbered copy (4 characters longer) still fits.
  std::string p515 = pathOfLength(dir.path, 515, "a.pro");
  CliResult r = convert(dir, "in.asc", p515, {"--rev"});
  EXPECT_EQ(r.status, 0) << r.out;
  std::string copy = p515.substr(0, p515.size() - 4) + "_f00.net";
  EXPECT_EQ(copy.size(), 519u);
  EXPECT_EQ(readFile(dir.file(copy)), readFile(dir.file(p515.substr(0, 512) + "net")));
  // 516 to 519 characters: the netlist is written, the copy silently is not.
  for (size_t length : {516u, 519u}) {
    std::string project = pathOfLength(dir.path, length, "b.pro");
    r = convert(dir, "in.asc", project, {"--rev"});
    EXPECT_EQ(r.status, 0) << length;
    std::string net = project.substr(0, length - 3) + "net";
    EXPECT_TRUE(exists(dir.file(net)));
    EXPECT_FALSE(exists(dir.file(project.substr(0, length - 4) + "_f01.net")));
    EXPECT_FALSE(exists(dir.file(project.substr(0, length - 4) + "_f02.net")));
  }
  // 520 characters: refused, the message shows the whole path with "net".
  std::string p520 = pathOfLength(dir.path, 520, "c.pro");
  r = convert(dir, "in.asc", p520);
  EXPECT_EQ(r.out, "Can't create the output file.\n" + p520.substr(0, 517) + "net");
}

TEST(Limits, ResultTextStopsAt9999Characters) {
  TempDir dir;
  std::string option = "x" + std::string(20000, 'y');
  CliResult r = runCli({"--format-option", option, "--language", "en"}, dir.path);
  ASSERT_EQ(r.out.size(), 9999u);
  EXPECT_EQ(r.out, ("Format option error\n" + option).substr(0, 9999));
  // A text given on the command line is cut to 9999 characters too.
  r = runCli({"--input", std::string(12000, 'i'), "--language", "en"}, dir.path);
  EXPECT_EQ(r.out, "Can't open the input file.\n" + std::string(9999 - 27, 'i'));
}
