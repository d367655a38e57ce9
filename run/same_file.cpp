// Output paths compared with the run's own files by file identity.
#include "run/same_file.h"

#include <cstring>

#include "run/platform.h"
#include "run/previous.h"

namespace {

struct ReportSearch {
  FileIdentity target;
  const char* inputPath;
  bool found;
};

void compareReport(const char* name, void* context) {
  ReportSearch* search = static_cast<ReportSearch*>(context);
  size_t len = strlen(name);
  if (search->found || len < 6) return;
  // The listing gives names only; the report's path is the input path with
  // the same two characters.
  static char path[RUN_PATH_MAX + 1];
  snprintf(path, sizeof path, "%s_f%c%c.csv", search->inputPath, name[len - 6], name[len - 5]);
  FileIdentity id;
  if (identityOfPath(path, &id) && sameIdentity(id, search->target)) search->found = true;
}

}  // namespace

bool isRunInput(const char* path, FILE* input, const char* categoryPath, const char* inputPath) {
  FileIdentity target;
  if (!identityOfPath(path, &target)) return false;
  FileIdentity other;
  if (identityOfFile(input, &other) && sameIdentity(other, target)) return true;
  if (identityOfPath(categoryPath, &other) && sameIdentity(other, target)) return true;
  static char pattern[RUN_PATH_MAX + 1];
  snprintf(pattern, sizeof pattern, "%s_f??.csv", inputPath);
  ReportSearch search = {target, inputPath, false};
  listMatchingFiles(pattern, compareReport, &search);
  return search.found;
}
