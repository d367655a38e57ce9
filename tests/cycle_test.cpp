// The edit-and-rerun cycle through korvandelith-cli: convert, edit the
// report as a user would, convert again, survive a failed run; and whole
// runs over bad category files, previous reports and report directories.
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

// Replaces the one occurrence of `from` in the file.
void edit(const std::string& path, const std::string& from, const std::string& to) {
  std::string text = readFile(path);
  size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  ASSERT_EQ(text.find(from, at + 1), std::string::npos) << from;
  text.replace(at, from.size(), to);
  writeFile(path, text);
}

}  // namespace

TEST(EditAndRerun, WholeCycle) {
  Board board;

  // First run: every part with a footprint is new.
  CliResult first = board.run();
  const std::string totals1 =
      "total parts=6, ERROR(no pcb)=0, ERROR(no index)=1, ERROR(dup index)=0, "
      "FORCED(no index)=0, FORCED(mark)=0, update=0, new=5, keep=0, illegal=0, too long=0; "
      "index=3, previous=0";
  EXPECT_EQ(first.status, 0);
  EXPECT_EQ(first.out, "Report = board.asc_f00.csv\n" + totals1 + "\nCompleted\n");
  EXPECT_EQ(board.report("00"),
            crlf(std::string(kHead) + kColumns +
                 "new,C,\"`100n\",C1,\"C0603\",,\"Capacitor_SMD:C_0603\"\n"
                 "new,J,\"`CONN\",J1,\"Lib:Conn2\",,\"Lib:Conn2\"\n"
                 "ERROR(no index),LED,\"`RED\",LED1,\"LED0805\",,\"\"\n"
                 "new,R,\"`4.7k\",R2,\"R0603\",,\"Resistor_SMD:R_0603\"\n"
                 "new,R,\"`10k\",R1,\"R0603\",,\"Resistor_SMD:R_0603\"\n"
                 "new,U,\"`LM358\",U1,\"SOIC8\",,\"Package_SO:SOIC-8\"\n"
                 "\"" + totals1 + "\"\n"));

  // The user edits the report: a forced mark with a footprint code, a
  // "#$#" value typed without quotes, a changed footprint code, and a code
  // for the part that the index does not know.
  std::string f00 = board.dir.file("board.asc_f00.csv");
  edit(f00, "R1,\"R0603\",,\"Resistor_SMD:R_0603\"", "R1,\"R0603\",x,\"MyLib:R_Special\"");
  edit(f00, "\"`4.7k\",R2", "#$#4k7/1W,R2");
  edit(f00, "\"Package_SO:SOIC-8\"", "\"Package_SO:SOIC-8_Wide\"");
  edit(f00, "LED1,\"LED0805\",,\"\"", "LED1,\"LED0805\",,LED_SMD:LED_0805");

  CliResult second = board.run();
  const std::string totals2 =
      "total parts=6, ERROR(no pcb)=0, ERROR(no index)=0, ERROR(dup index)=0, "
      "FORCED(no index)=1, FORCED(mark)=1, update=1, new=0, keep=3, illegal=0, too long=0; "
      "index=3, previous=6";
  EXPECT_EQ(second.out, "Report = board.asc_f01.csv\n" + totals2 + "\nCompleted\n");
  const std::string rows2 =
      "keep,C,\"`100n\",C1,\"C0603\",,\"Capacitor_SMD:C_0603\"\n"
      "keep,J,\"`CONN\",J1,\"Lib:Conn2\",,\"Lib:Conn2\"\n"
      "FORCED(no index),LED,\"`RED\",LED1,\"LED0805\",,\"LED_SMD:LED_0805\"\n"
      "keep,R,\"`#$#4k7/1W\",R2,\"R0603\",,\"Resistor_SMD:R_0603\"\n"
      "FORCED(mark),R,\"`10k\",R1,\"R0603\",x,\"MyLib:R_Special\"\n";
  EXPECT_EQ(board.report("01"),
            crlf(std::string(kHead) + kColumns + rows2 +
                 "update,U,\"`LM358\",U1,\"SOIC8\",,\"Package_SO:SOIC-8\"\n"
                 "\"" + totals2 + "\"\n"));
  std::string netlist2 = readFile(board.dir.file("board.net"));
  EXPECT_NE(netlist2.find("(ref R1)\r\n      (value 10k)\r\n      (footprint MyLib:R_Special)"),
            std::string::npos);
  EXPECT_NE(netlist2.find("(ref R2)\r\n      (value 4k7/1W)\r\n      (footprint Resistor_SMD:R_0603)"),
            std::string::npos);
  EXPECT_NE(netlist2.find("(footprint LED_SMD:LED_0805)"), std::string::npos);

  // A run with the wrong input format fails and leaves a report without
  // rows; it must not break the chain of edits nor touch the netlist.
  CliResult failed = board.run("2");
  EXPECT_EQ(failed.status, 1);
  EXPECT_EQ(failed.out, "Report = board.asc_f02.csv\n-1 Format error\nboard.asc");
  EXPECT_EQ(board.report("02"), crlf(kHead));
  EXPECT_EQ(readFile(board.dir.file("board.net")), netlist2);  // the last good netlist stays

  CliResult fourth = board.run();
  const std::string totals4 =
      "total parts=6, ERROR(no pcb)=0, ERROR(no index)=0, ERROR(dup index)=0, "
      "FORCED(no index)=1, FORCED(mark)=1, update=0, new=0, keep=4, illegal=0, too long=0; "
      "index=3, previous=6";
  EXPECT_EQ(fourth.out, "Report = board.asc_f03.csv\n" + totals4 + "\nCompleted\n");
  EXPECT_EQ(board.report("03"),
            crlf(std::string(kHead) + kColumns + rows2 +
                 "keep,U,\"`LM358\",U1,\"SOIC8\",,\"Package_SO:SOIC-8\"\n"
                 "\"" + totals4 + "\"\n"));
  EXPECT_EQ(readFile(board.dir.file("board.net")), netlist2);
  EXPECT_EQ(board.report("02"), crlf(kHead));  // the failed run's report stays
}

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

TEST(EditAndRerun, DuplicateKeysAndProblemLinesInOrder) {
  Board board;
  writeFile(board.dir.file("Korvandelith.csv"),
            std::string(kCategories) + "R,R0603,Other:R,,,\r\n");
  writeFile(board.dir.file("board.asc"),
            "*PADS-PCB*\r\n*PART*\r\nR1 1k(x)@R0603\r\nQ1 v@:" + std::string(120, 'q') +
                "\r\n\r\n*NET*\r\n*SIGNAL* A\r\nR1.1 Q1.1\r\n*END*\r\n");
  // A previous report whose row has a literal that is too long.
  writeFile(board.dir.file("board.asc_f00.csv"),
            crlf(std::string(kHead) + kColumns + "new,Q,\"`v\",Q1,\"L:" + std::string(119, 'p') +
                 "\",,\"\"\n"));
  CliResult r = board.run();
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(board.report("01"),
            crlf(std::string(kHead) + "(dup index) R R0603 = Other:R\n" +
                 "\"(too long) previous REF=Q1; PCB=L:" + std::string(119, 'p') + ";\"\n" +
                 "\"(illegal char) REF=R1; PCB=1k(x);\"\n" +
                 "\"(illegal char) REF=R1; PCB=1k_x);\"\n" +
                 "\"(too long) REF=Q1; PCB=:" + std::string(120, 'q') + ";\"\n" + kColumns +
                 "ERROR(no index),Q,\"`v\",Q1,\":" + std::string(120, 'q') + "\",,\"\"\n" +
                 "new,R,\"`1k_x_\",R1,\"R0603\",,\"Resistor_SMD:R_0603\"\n" +
                 "\"total parts=2, ERROR(no pcb)=0, ERROR(no index)=1, ERROR(dup index)=1, "
                 "FORCED(no index)=0, FORCED(mark)=0, update=0, new=1, keep=0, illegal=2, "
                 "too long=2; index=4, previous=1\"\n"));
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
