// Whole conversions kept as files: every case under tests/golden runs
// korvandelith-cli in a fresh directory, step by step, and must give the
// stored result text and exit status and leave the stored files, byte for
// byte, and no other file.  KORV_GOLDEN_UPDATE=1 rewrites the stored
// outputs from the current program (tests/golden/README.md).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

struct GoldenCase {
  std::string name;  // "<format>_<case>", the test's name
  std::string dir;
};

void PrintTo(const GoldenCase& c, std::ostream* os) { *os << c.dir; }

std::vector<std::string> sortedEntries(const std::string& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir, ec)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<GoldenCase> findCases() {
  std::vector<GoldenCase> cases;
  std::string root = sourceDir() + "/tests/golden";
  for (const std::string& format : sortedEntries(root))
    for (const std::string& name : sortedEntries(root + "/" + format))
      if (fs::is_directory(root + "/" + format + "/" + name))
        cases.push_back({format + "_" + name, root + "/" + format + "/" + name});
  return cases;
}

// A case is one step when it holds `args`, else its numbered steps 1, 2, ...
std::vector<std::string> stepsOf(const std::string& dir) {
  if (exists(dir + "/args")) return {dir};
  std::vector<std::string> steps;
  for (int n = 1; exists(dir + "/" + std::to_string(n) + "/args"); n++)
    steps.push_back(dir + "/" + std::to_string(n));
  return steps;
}

// One argument a line; every line counts, an empty one too.
std::vector<std::string> readArgs(const std::string& path) {
  std::vector<std::string> args;
  std::string text = readFile(path);
  for (size_t at = 0, end; at < text.size(); at = end + 1) {
    end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    args.push_back(text.substr(at, end - at));
  }
  return args;
}

// Where two texts first differ: the line number and both lines.
std::string firstDifference(const std::string& want, const std::string& got) {
  size_t at = 0, line = 1;
  while (at < want.size() && at < got.size() && want[at] == got[at]) {
    if (want[at] == '\n') line++;
    at++;
  }
  size_t start = want.rfind('\n', at == 0 ? 0 : at - 1);
  start = (start == std::string::npos || at == 0) ? 0 : start + 1;
  auto lineAt = [start](const std::string& s) {
    if (start >= s.size()) return std::string("(end of file)");
    return s.substr(start, s.find('\n', start) - start);
  };
  return "line " + std::to_string(line) + "\n  expected: " + lineAt(want) + "\n  actual:   " + lineAt(got);
}

void expectSame(const std::string& what, const std::string& want, const std::string& got) {
  if (want != got) ADD_FAILURE() << what << " differs at " << firstDifference(want, got);
}

class Golden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(Golden, Case) {
  const char* flag = getenv("KORV_GOLDEN_UPDATE");
  const bool update = flag != nullptr && std::string(flag) == "1";
  std::vector<std::string> steps = stepsOf(GetParam().dir);
  ASSERT_FALSE(steps.empty()) << GetParam().dir << " holds neither args nor step 1/args";
  TempDir work;
  std::set<std::string> known;  // files the directory should hold
  for (const std::string& step : steps) {
    SCOPED_TRACE(step);
    for (const std::string& name : sortedEntries(step + "/in")) {
      writeFile(work.file(name), readFile(step + "/in/" + name));
      known.insert(name);
    }
    std::map<std::string, std::string> before;
    for (const std::string& name : listDir(work.path)) before[name] = readFile(work.file(name));
    CliResult r = runCli(readArgs(step + "/args"), work.path);
    EXPECT_EQ(r.err, "");
    std::string status = std::to_string(r.status) + "\n";
    std::set<std::string> stored;
    for (const std::string& name : sortedEntries(step + "/out")) stored.insert(name);
    if (update) {
      // Every file the run created or changed, and those stored already.
      fs::create_directories(step + "/out");
      for (const std::string& name : listDir(work.path)) {
        std::string bytes = readFile(work.file(name));
        auto old = before.find(name);
        if (stored.count(name) || old == before.end() || old->second != bytes) {
          writeFile(step + "/out/" + name, bytes);
          stored.insert(name);
        }
      }
      writeFile(step + "/stdout", r.out);
      writeFile(step + "/status", status);
    }
    expectSame("the result text", readFile(step + "/stdout"), r.out);
    EXPECT_EQ(readFile(step + "/status"), status);
    for (const std::string& name : stored) {
      expectSame(name, readFile(step + "/out/" + name), readFile(work.file(name)));
      known.insert(name);
    }
    EXPECT_EQ(listDir(work.path), std::vector<std::string>(known.begin(), known.end()));
  }
}

INSTANTIATE_TEST_SUITE_P(Files, Golden, ::testing::ValuesIn(findCases()),
                         [](const ::testing::TestParamInfo<GoldenCase>& info) { return info.param.name; });

}  // namespace
