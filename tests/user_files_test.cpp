// The user's files under failure: the last good netlist survives every
// failed run, outputs that are inputs are refused, failed writes and killed
// runs leave no cut file, report 99 keeps its edits, two runs at once,
// endless inputs, the settings file on a full device, and reports that a
// spreadsheet saved again.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace {

// A reference and a value that hold ',' and '"'.
const char kBoard[] =
    "*PADS-PCB*\n*PART*\nR1,A 1/4\",5%@R0603\nC1 100n@C0603\nU1 LM358@Lib:SOIC8\n*NET*\n"
    "*SIGNAL* VCC\nU1.8 R1,A.1\n*SIGNAL* GND\nU1.4 C1.2\n*END*\n";

struct Spawn {
  std::vector<std::string> args;
  std::string cwd;
  rlim_t fileSizeLimit = RLIM_INFINITY;
  bool dieAtTheLimit = false;  // SIGXFSZ kills the run, else the write fails
  std::string stdoutPath;      // empty: a pipe
};

struct Outcome {
  int status;  // the exit status, or -signal
  std::string out;
};

// Starts the runner; its standard output goes to `outPath`, or, when that
// is empty, to a pipe whose reading end is left in *pipeOut (a pipe is no
// file, so the file size limit does not cut the result text).
pid_t start(const Spawn& s, const std::string& outPath, int* pipeOut = nullptr) {
  int ends[2] = {-1, -1};
  if (outPath.empty() && pipe(ends) != 0) return -1;
  pid_t pid = fork();
  if (pid != 0) {
    if (ends[1] >= 0) close(ends[1]);
    if (pipeOut != nullptr) *pipeOut = ends[0];
    return pid;
  }
  if (chdir(s.cwd.c_str()) != 0) _exit(126);
  int out = outPath.empty() ? ends[1] : open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(out, 1);
  int null = open("/dev/null", O_WRONLY);
  dup2(null, 2);
  struct rlimit none = {0, 0};
  setrlimit(RLIMIT_CORE, &none);
  struct rlimit size = {s.fileSizeLimit, s.fileSizeLimit};
  setrlimit(RLIMIT_FSIZE, &size);
  signal(SIGXFSZ, s.dieAtTheLimit ? SIG_DFL : SIG_IGN);
  std::vector<char*> argv = {const_cast<char*>(KORV_CLI_PATH)};
  for (const auto& a : s.args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(KORV_CLI_PATH, argv.data());
  _exit(127);
}

// Waits at most `seconds` for the child; a child that hangs is killed and
// reported as -1000.
int finish(pid_t pid, int seconds = 30) {
  int raw = 0;
  for (int waited = 0; waitpid(pid, &raw, WNOHANG) == 0; waited++) {
    if (waited >= seconds * 20) {
      kill(pid, SIGKILL);
      waitpid(pid, &raw, 0);
      return -1000;
    }
    usleep(50000);
  }
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -WTERMSIG(raw);
}

Outcome spawn(const Spawn& s) {
  int fd = -1;
  Outcome o;
  o.status = finish(start(s, s.stdoutPath, &fd));
  if (fd >= 0) {
    char buf[4096];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0) o.out.append(buf, static_cast<size_t>(n));
    close(fd);
  }
  return o;
}

struct Board {
  TempDir dir;
  Board() {
    writeFile(dir.file("board.asc"), crlf(kBoard));
    writeFile(dir.file("board.pro"), "");
    writeFile(dir.file("cat.csv"), crlf("Category,PCB,Footprint\nR,R0603,Resistor_SMD:R_0603\n"));
  }
  std::vector<std::string> args(std::vector<std::string> extra = {}) const {
    std::vector<std::string> a = {"--input",    "board.asc", "--format",   "pads",
                                  "--project",  "board.pro", "--category", "cat.csv",
                                  "--language", "en"};
    a.insert(a.end(), extra.begin(), extra.end());
    return a;
  }
  Outcome run(std::vector<std::string> extra = {}, rlim_t limit = RLIM_INFINITY,
              bool die = false) const {
    Spawn s;
    s.args = args(extra);
    s.cwd = dir.path;
    s.fileSizeLimit = limit;
    s.dieAtTheLimit = die;
    return spawn(s);
  }
  std::string read(const std::string& name) const { return readFile(dir.file(name)); }
  // The names that end in ".tmp".
  std::vector<std::string> temporaries() const {
    std::vector<std::string> t;
    for (const auto& name : listDir(dir.path))
      if (name.size() > 4 && name.substr(name.size() - 4) == ".tmp") t.push_back(name);
    return t;
  }
  std::vector<std::string> files() const { return listDir(dir.path); }
};

bool endsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

void replaceOnce(std::string* text, const std::string& from, const std::string& to) {
  size_t at = text->find(from);
  ASSERT_NE(at, std::string::npos) << from;
  text->replace(at, from.size(), to);
}

}  // namespace

TEST(UserFiles, LastGoodNetlistSurvivesEveryFailure) {
  Board b;
  ASSERT_EQ(b.run({"--rev"}).status, 0);
  const std::string net = b.read("board.net");
  const std::string rev = b.read("board_f00.net");
  ASSERT_NE(net, "");
  mkdir(b.dir.file("dir.csv").c_str(), 0755);
  struct Case {
    std::vector<std::string> extra;
    std::string tail;  // how the result text ends
  };
  for (const Case& c : std::vector<Case>{
           {{"--category", "none.csv"}, "Can't open the input file.\nnone.csv"},
           {{"--category", "dir.csv"}, "Can't open the input file.\ndir.csv"},
           {{"--format", "protel"}, " Format error\nboard.asc"},
           {{"--format", "2"}, "-1 Format error\nboard.asc"},
           {{"--project-kind", "7"}, "FAILD! wrong netlist\n"}}) {
    Outcome o = b.run(c.extra);
    EXPECT_EQ(o.status, 1);
    EXPECT_TRUE(endsWith(o.out, c.tail)) << o.out;
    EXPECT_EQ(b.read("board.net"), net) << c.tail;
    EXPECT_EQ(b.read("board_f00.net"), rev);
    EXPECT_EQ(b.temporaries(), std::vector<std::string>{});
  }
  // A completed run replaces the netlist and keeps its permissions.
  chmod(b.dir.file("board.net").c_str(), 0640);
  ASSERT_EQ(b.run().status, 0);
  struct stat info;
  ASSERT_EQ(stat(b.dir.file("board.net").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  // A previous report that cannot be read.
  mkdir(b.dir.file("board.asc_f50.csv").c_str(), 0755);
  Outcome o = b.run({"--rev"});
  EXPECT_EQ(o.out, "Can't open the input file.\nboard.asc_f50.csv");
  EXPECT_EQ(b.read("board.net"), net);
  EXPECT_FALSE(exists(b.dir.file("board_f51.net")));
  EXPECT_EQ(b.temporaries(), std::vector<std::string>{});
}

TEST(UserFiles, OutputThatIsAnInputIsRefused) {
  Board b;
  const std::string input = b.read("board.asc");
  // The input has the project's name; then the input and the category part
  // file through links.
  writeFile(b.dir.file("same.net"), input);
  symlink("board.asc", b.dir.file("link.net").c_str());
  symlink("cat.csv", b.dir.file("cat.net").c_str());
  for (auto [extra, shown] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"--input", "same.net", "--project", "same.pro"}, "same.net"},
           {{"--project", "link.pro"}, "link.net"},
           {{"--project", "./cat.pro"}, "./cat.net"}}) {
    Outcome o = b.run(extra);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out, "Can't create the output file.\n" + shown);
  }
  EXPECT_EQ(b.read("board.asc"), input);
  EXPECT_EQ(b.read("same.net"), input);
  EXPECT_EQ(b.read("cat.csv"), crlf("Category,PCB,Footprint\nR,R0603,Resistor_SMD:R_0603\n"));
  // A netlist that is a report of the input.
  ASSERT_EQ(b.run().status, 0);
  const std::string report = b.read("board.asc_f00.csv");
  symlink("board.asc_f00.csv", b.dir.file("rep.net").c_str());
  EXPECT_EQ(b.run({"--project", "rep.pro"}).out, "Can't create the output file.\nrep.net");
  EXPECT_EQ(b.read("board.asc_f00.csv"), report);
  // A numbered copy that would be the input: refused before the report is
  // begun, so its number stays free.
  writeFile(b.dir.file("in_f00.net"), input);
  Outcome o = b.run({"--input", "in_f00.net", "--project", "in.pro", "--rev"});
  EXPECT_EQ(o.out, "Can't create the output file.\nin_f00.net");
  EXPECT_EQ(b.read("in_f00.net"), input);
  EXPECT_FALSE(exists(b.dir.file("in_f00.net_f00.csv")));
  EXPECT_FALSE(exists(b.dir.file("in.net")));
  EXPECT_EQ(b.temporaries(), std::vector<std::string>{});
}

TEST(UserFiles, FailedWritesEndTheRun) {
  // The netlist on a full device.
  {
    Board b;
    symlink("/dev/full", b.dir.file("board.net").c_str());
    Outcome o = b.run();
    EXPECT_EQ(o.status, 1);
    EXPECT_TRUE(endsWith(o.out, "\nCan't write the output file.\nboard.net")) << o.out;
    EXPECT_NE(b.read("board.asc_f00.csv").find("\"total parts=3"), std::string::npos);
  }
  // The report, then the netlist, on a disk that fills (a file size limit:
  // the report is about 440 bytes, the netlist about 780).
  for (rlim_t limit : {200, 600}) {
    Board b;
    ASSERT_EQ(b.run().status, 0);
    const std::string net = b.read("board.net");
    writeFile(b.dir.file("board.asc"), b.read("board.asc") + "\r\n\r\n");
    Outcome o = b.run({}, limit);
    EXPECT_EQ(o.status, 1);
    if (limit == 200) {
      EXPECT_TRUE(endsWith(o.out, "\nCan't write the output file.\nboard.asc_f01.csv")) << o.out;
      EXPECT_FALSE(exists(b.dir.file("board.asc_f01.csv")));  // not whole: removed
    } else {
      EXPECT_TRUE(endsWith(o.out, "\nCan't write the output file.\nboard.net")) << o.out;
      EXPECT_TRUE(exists(b.dir.file("board.asc_f01.csv")));
    }
    EXPECT_EQ(b.read("board.net"), net);
    EXPECT_EQ(b.temporaries(), std::vector<std::string>{});
  }
  // The numbered copy on a full device: the netlist stays as it was.
  {
    Board b;
    ASSERT_EQ(b.run().status, 0);
    const std::string net = b.read("board.net");
    symlink("/dev/full", b.dir.file("board_f01.net").c_str());
    Outcome o = b.run({"--rev"});
    EXPECT_TRUE(endsWith(o.out, "\nCan't write the output file.\nboard_f01.net")) << o.out;
    EXPECT_EQ(b.read("board.net"), net);
  }
  // The result text to a full device.
  {
    Board b;
    Spawn s;
    s.args = b.args();
    s.cwd = b.dir.path;
    s.stdoutPath = "/dev/full";
    EXPECT_EQ(spawn(s).status, 1);
  }
}

TEST(UserFiles, KilledRunLeavesNoCutFile) {
  for (rlim_t limit : {200, 600}) {
    Board b;
    ASSERT_EQ(b.run().status, 0);
    std::string report = b.read("board.asc_f00.csv");
    replaceOnce(&report, "\"R0603\",,\"Resistor_SMD:R_0603\"", "\"R0603\",x,\"MyLib:R\"");
    writeFile(b.dir.file("board.asc_f00.csv"), report);
    const std::string net = b.read("board.net");
    // Killed at the first write beyond the limit: in the report, or in the netlist.
    Outcome killed = b.run({}, limit, true);
    EXPECT_EQ(killed.status, -SIGXFSZ);
    EXPECT_EQ(b.read("board.net"), net);
    EXPECT_FALSE(exists(b.dir.file("board.asc_f01.csv")));
    EXPECT_EQ(b.temporaries().size(), 2u);  // the netlist's and the report's
    // The next run passes over what the killed run left, and the user's
    // edit still arrives.
    Outcome next = b.run();
    EXPECT_EQ(next.status, 0) << next.out;
    EXPECT_NE(next.out.find("FORCED(mark)=1"), std::string::npos) << next.out;
    EXPECT_NE(next.out.find("previous=3"), std::string::npos);
    EXPECT_NE(b.read("board.net").find("(footprint MyLib:R)"), std::string::npos);
  }
}

TEST(UserFiles, ReportNinetyNineKeepsItsEdits) {
  Board b;
  ASSERT_EQ(b.run().status, 0);
  std::string report = b.read("board.asc_f00.csv");
  replaceOnce(&report, "\"R0603\",,\"Resistor_SMD:R_0603\"", "\"R0603\",x,\"MyLib:R\"");
  writeFile(b.dir.file("board.asc_f99.csv"), report);
  Outcome failed = b.run({"--format", "2"});
  EXPECT_EQ(failed.out, "Report = board.asc_f99.csv\n-1 Format error\nboard.asc");
  EXPECT_EQ(b.read("board.asc_f99.csv"), report);
  Outcome done = b.run();
  EXPECT_EQ(done.status, 0);
  EXPECT_NE(done.out.find("FORCED(mark)=1"), std::string::npos);
  EXPECT_NE(b.read("board.asc_f99.csv").find("FORCED(mark),R,"), std::string::npos);
  EXPECT_EQ(b.temporaries(), std::vector<std::string>{});
}

TEST(UserFiles, TwoRunsAtOnce) {
  Board b;
  ASSERT_EQ(b.run({"--rev"}).status, 0);
  const std::string net = b.read("board.net");
  std::set<std::string> reports = {"board.asc_f00.csv"};
  for (int pair = 0; pair < 20; pair++) {
    TempDir capture;
    Spawn s;
    s.args = b.args({"--rev"});
    s.cwd = b.dir.path;
    pid_t first = start(s, capture.file("1"));
    pid_t second = start(s, capture.file("2"));
    EXPECT_EQ(finish(first), 0);
    EXPECT_EQ(finish(second), 0);
    EXPECT_EQ(b.read("board.net"), net);
    for (const char* name : {"1", "2"}) {
      std::string out = readFile(capture.file(name));
      ASSERT_EQ(out.rfind("Report = ", 0), 0u);
      std::string path = out.substr(9, out.find('\n') - 9);
      EXPECT_TRUE(reports.insert(path).second) << "twice: " << path;
      EXPECT_NE(b.read(path).find("\"total parts=3"), std::string::npos);
      std::string number = path.substr(path.size() - 6, 2);
      EXPECT_EQ(b.read("board_f" + number + ".net"), net);
    }
  }
  EXPECT_EQ(reports.size(), 41u);
  EXPECT_EQ(b.temporaries(), std::vector<std::string>{});
}

TEST(UserFiles, EndlessInputsAreNotRead) {
  Board b;
  ASSERT_EQ(b.run().status, 0);
  const std::string net = b.read("board.net");
  mkfifo(b.dir.file("fifo").c_str(), 0644);
  for (const char* endless : {"fifo", "/dev/zero"}) {
    for (const char* option : {"--input", "--category"}) {
      Outcome o = b.run({option, endless});
      EXPECT_EQ(o.status, 1);
      EXPECT_EQ(o.out, std::string("Can't open the input file.\n") + endless);
    }
    // As the previous report.
    std::string report = b.dir.file("board.asc_f40.csv");
    if (std::string(endless) == "fifo") mkfifo(report.c_str(), 0644);
    else symlink(endless, report.c_str());
    Outcome o = b.run();
    EXPECT_EQ(o.out, "Can't open the input file.\nboard.asc_f40.csv");
    unlink(report.c_str());
  }
  EXPECT_EQ(b.read("board.net"), net);
}

TEST(UserFiles, SettingsFileReplacedWholeOrNotAtAll) {
  Board b;
  symlink("/dev/full", b.dir.file("full.ini").c_str());
  Spawn s;
  s.args = {"--settings", "full.ini", "--save", "--input", "none"};
  s.cwd = b.dir.path;
  EXPECT_EQ(spawn(s).status, 1);
  // A disk that fills while the file is written: the old file stays whole.
  std::string ini = crlf("20\n1\n0\n0\n0\n0\n0\n0\n0\n0\n0\n6\n0\n0\n0\n0\n0\n0\n0\n0\n0\n"
                         "3\nboard.asc\nboard.pro\n\n");
  writeFile(b.dir.file("k.ini"), ini);
  s.args = {"--settings", "k.ini", "--save", "--no-mount", std::string(20000, 'n')};
  s.fileSizeLimit = 4096;
  EXPECT_EQ(spawn(s).status, 1);
  EXPECT_EQ(b.read("k.ini"), ini);
  EXPECT_EQ(b.temporaries(), std::vector<std::string>{});
}

TEST(UserFiles, SpreadsheetResavesCarryEdits) {
  // The user's edits: a forced mark on the row whose value is 1/4",5% and
  // whose reference is R1,A, and a footprint code for C1.
  Board b;
  ASSERT_EQ(b.run().status, 0);
  std::string report = b.read("board.asc_f00.csv");
  ASSERT_NE(report.find("\"`1/4\"\",5%\",\"R1,A\",\"R0603\""), std::string::npos);
  replaceOnce(&report, "\"R0603\",,\"Resistor_SMD:R_0603\"", "\"R0603\",x,\"MyLib:R\"");
  replaceOnce(&report, "C1,\"C0603\",,\"\"", "C1,\"C0603\",,\"MyLib:C\"");
  // Saved again: as written, with every cell quoted, with a byte-order
  // mark, with CR-only line ends, and all three at once.
  std::string quoted = report;
  replaceOnce(&quoted, "Status,Category,Value,Reference number,PCB attribute,Forced mark,",
              "\"Status\",\"Category\",\"Value\",\"Reference number\",\"PCB attribute\","
              "\"Forced mark\",");
  replaceOnce(&quoted, "ERROR(no index),C,", "\"ERROR(no index)\",\"C\",");
  replaceOnce(&quoted, ",C1,\"C0603\",,", ",\"C1\",\"C0603\",\"\",");
  replaceOnce(&quoted, "new,R,", "\"new\",\"R\",");
  replaceOnce(&quoted, "\",x,\"MyLib:R\"", "\",\"x\",\"MyLib:R\"");
  std::string crOnly;
  for (char c : report)
    if (c != '\n') crOnly += c;
  std::string all;
  for (char c : "\xEF\xBB\xBF" + quoted)
    if (c != '\n') all += c;
  for (const std::string& saved : {report, quoted, "\xEF\xBB\xBF" + report, crOnly, all}) {
    Board c;
    ASSERT_EQ(c.run().status, 0);
    writeFile(c.dir.file("board.asc_f00.csv"), saved);
    Outcome o = c.run();
    EXPECT_EQ(o.status, 0);
    EXPECT_NE(o.out.find("FORCED(no index)=1, FORCED(mark)=1"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("previous=3"), std::string::npos);
    std::string next = c.read("board.asc_f01.csv");
    EXPECT_NE(next.find("FORCED(mark),R,\"`1/4\"\",5%\",\"R1,A\",\"R0603\",x,\"MyLib:R\"\r\n"),
              std::string::npos)
        << next;
  }
}
