// The bundled example through two runs, and whole runs over bad category
// files, previous reports and report directories.  The edit-and-rerun cycle
// itself is a golden case (tests/golden/cycle).
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <random>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace {

const char kNetlist[] =
    "*PADS-PCB*\r\n*PART*\r\n"
    "R1 10k@R0603\r\nR2 4.7k@R0603\r\nC1 100n@C0603\r\nU1 LM358@SOIC8\r\n"
    "LED1 RED@LED0805\r\nJ1 CONN@Lib:Conn2\r\n\r\n"
    "*NET*\r\n*SIGNAL* VCC\r\nJ1.1 U1.8 R1.1\r\n*SIGNAL* GND\r\nJ1.2 U1.4 C1.2 R2.2 LED1.2\r\n"
    "*SIGNAL* A\r\nR1.2 R2.1 C1.1 U1.3 LED1.1\r\n*END*\r\n";

const char kCategories[] =
    "Category,PCB attribute,Footprint code,Note,Maker,Version\r\n"
    "R,R0603,Resistor_SMD:R_0603,,,\r\n"
    "C,C0603,Capacitor_SMD:C_0603,,,\r\n"
    "U,SOIC8,Package_SO:SOIC-8,,,\r\n";

const char kHead[] =
    "Input=board.asc\n"
    "Output=board.net\n";
const char kColumns[] =
    "Status,Category,Value,Reference number,PCB attribute,Forced mark,Footprint code\n";

std::vector<std::string> convert(const char* format, const char* category) {
  return {"--input",   "board.asc", "--format",   format,   "--project",
          "board.pro", "--category", category, "--language", "en"};
}

struct Board {
  Board() {
    writeFile(dir.file("board.asc"), kNetlist);
    writeFile(dir.file("board.pro"), "");
    writeFile(dir.file("Korvandelith.csv"), kCategories);
  }
  CliResult run(const char* format = "pads", const char* category = "Korvandelith.csv") {
    return runCli(convert(format, category), dir.path);
  }
  std::string report(const char* number) {
    return readFile(dir.file(std::string("board.asc_f") + number + ".csv"));
  }
  TempDir dir;
};

}  // namespace

TEST(EditAndRerun, ExampleShowsNewThenKeep) {
  TempDir dir;
  for (const char* name : {"board.asc", "board.pro", "Korvandelith.csv"})
    writeFile(dir.file(name), readFile(sourceDir() + "/examples/" + name));
  std::vector<std::string> args = {"--input",   "board.asc",        "--format", "pads",
                                   "--project", "board.pro", "--category", "Korvandelith.csv"};
  CliResult first = runCli(args, dir.path);
  EXPECT_EQ(first.status, 0) << first.out;
  std::string f00 = readFile(dir.file("board.asc_f00.csv"));
  EXPECT_NE(f00.find("\r\nnew,"), std::string::npos);
  EXPECT_NE(f00.find("\r\nERROR(no index),LED,\"`RED\",LED1,"), std::string::npos);
  EXPECT_EQ(f00.find("\r\nkeep,"), std::string::npos);

  CliResult second = runCli(args, dir.path);
  EXPECT_EQ(second.status, 0) << second.out;
  std::string f01 = readFile(dir.file("board.asc_f01.csv"));
  EXPECT_NE(f01.find("\r\nkeep,"), std::string::npos);
  EXPECT_NE(f01.find("\r\nERROR(no index),LED,"), std::string::npos);
  EXPECT_EQ(f01.find("\r\nnew,"), std::string::npos);
}

TEST(BadInput, CategoryFilesAndReports) {
  std::mt19937 random(3);
  auto noise = [&](size_t n) {
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(random() % 256);
    return s;
  };

  // Random bytes, no header, huge lines, 10,000 rows: the runs complete.
  Board board;
  writeFile(board.dir.file("noise.csv"), noise(500000));
  writeFile(board.dir.file("noheader.csv"), "R,R0603,Lib:R\r\n");
  writeFile(board.dir.file("long.csv"), std::string(kCategories) + "C,C0603," +
                                            std::string(3000000, 'c') + "\r\n\"R,\"unterminated\r\n");
  std::string many = kCategories;
  for (int i = 0; i < 10000; i++) many += "X,P" + std::to_string(i) + ",Lib:X\r\n";
  writeFile(board.dir.file("many.csv"), many);
  for (const char* file : {"noise.csv", "noheader.csv", "long.csv", "many.csv"}) {
    CliResult r = board.run("pads", file);
    EXPECT_EQ(r.status, 0) << file << r.out;
  }
  EXPECT_NE(board.report("03").find("index=6000, previous=6"), std::string::npos);
  CliResult noHeader = board.run("pads", "noheader.csv");
  EXPECT_NE(noHeader.out.find("index=0,"), std::string::npos);

  // A previous report of random bytes behind its header, and one with
  // unterminated quotes.
  Board second;
  writeFile(second.dir.file("board.asc_f00.csv"),
            std::string(kColumns) + noise(300000) + "\nnew,R,\"`10k,R1,\"R0603,x,\"L:R\n");
  CliResult r = second.run();
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(exists(second.dir.file("board.asc_f01.csv")));

  // A previous report that cannot be read ends the run with its name.
  Board third;
  ASSERT_EQ(mkdir(third.dir.file("board.asc_f00.csv").c_str(), 0755), 0);
  r = third.run();
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "Can't open the input file.\nboard.asc_f00.csv");
}

TEST(BadInput, ReportDirectoryWithOddNames) {
  Board board;
  std::mt19937 random(9);
  auto oddByte = [&] {
    char c;
    do c = static_cast<char>(random() % 256);
    while (c == '/' || c == '\0' || (c >= '0' && c <= '9'));
    return c;
  };
  for (int i = 0; i < 300; i++) {
    writeFile(board.dir.file(std::string("board.asc_f") + oddByte() + oddByte() + ".csv"),
              crlf(std::string(kHead) + kColumns + "new,R,\"`1\",R1,\"P\",x,\"Odd:Fp\"\n"));
    std::string junk = "board.asc";
    for (int k = 0; k < 1 + i % 12; k++) junk += oddByte();
    writeFile(board.dir.file(junk), "junk");
  }
  writeFile(board.dir.file("board.asc_f7.csv"), "x");
  writeFile(board.dir.file("board.asc_f100.csv"), "x");
  CliResult r = board.run();
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out.substr(0, 27), "Report = board.asc_f00.csv\n");
  EXPECT_EQ(board.report("00").find("Odd:Fp"), std::string::npos);
}
