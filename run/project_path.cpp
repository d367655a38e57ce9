// Project path endings per project kind.
#include "run/project_path.h"

#include <cstring>

#include "options/options.h"

namespace {

bool endsWith(const char* text, size_t len, const char* ending) {
  size_t n = strlen(ending);
  return len >= n && memcmp(text + len - n, ending, n) == 0;
}

}  // namespace

ProjectName splitProjectPath(const char* projectPath, int projectKind) {
  size_t len = strlen(projectPath);
  if (projectKind == PROJECT_KIND_KICAD6 && endsWith(projectPath, len, ".kicad_pro"))
    return {len - strlen("kicad_pro"), true};
  return {len < 3 ? 0 : len - 3, endsWith(projectPath, len, ".pro")};
}
