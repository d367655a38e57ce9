// POSIX bodies of the platform calls: opendir/readdir and getcwd.
#include <dirent.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

#include "run/platform.h"

namespace {

bool matchesPattern(const char* name, const char* pattern) {
  for (; *pattern != '\0'; pattern++, name++) {
    if (*name == '\0') return false;
    if (*pattern != '?' && *pattern != *name) return false;
  }
  return *name == '\0';
}

}  // namespace

void listMatchingFiles(const char* pattern, void (*visit)(const char* name, void* context),
                       void* context) {
  const char* slash = strrchr(pattern, '/');
  char directory[4096];
  const char* namePattern = pattern;
  if (slash == nullptr) {
    strcpy(directory, ".");
  } else {
    size_t n = static_cast<size_t>(slash - pattern);
    if (n == 0) n = 1;  // the root directory
    if (n >= sizeof directory) return;
    memcpy(directory, pattern, n);
    directory[n] = '\0';
    namePattern = slash + 1;
  }
  DIR* dir = opendir(directory);
  if (dir == nullptr) return;
  while (struct dirent* entry = readdir(dir)) {
    if (matchesPattern(entry->d_name, namePattern)) visit(entry->d_name, context);
  }
  closedir(dir);
}

bool pathInCurrentDirectory(const char* name, char* buf, int size) {
  buf[0] = '\0';
  char cwd[4096];
  if (getcwd(cwd, sizeof cwd) == nullptr) return false;
  size_t dirLen = strlen(cwd);
  bool needSlash = dirLen == 0 || cwd[dirLen - 1] != '/';
  size_t total = dirLen + (needSlash ? 1 : 0) + strlen(name);
  if (total + 1 > static_cast<size_t>(size)) return false;
  strcpy(buf, cwd);
  if (needSlash) strcat(buf, "/");
  strcat(buf, name);
  return true;
}

bool fileExists(const char* path) {
  struct stat info;
  return stat(path, &info) == 0 && !S_ISDIR(info.st_mode);
}

#if defined(__linux__) && defined(MADV_HUGEPAGE)
// The linker's marks around the zero-initialised data, where the tables live.
extern "C" char __bss_start[];
extern "C" char _end[];

void prepareTableMemory() {
  uintptr_t start = (reinterpret_cast<uintptr_t>(__bss_start) + 4095) & ~static_cast<uintptr_t>(4095);
  uintptr_t end = reinterpret_cast<uintptr_t>(_end) & ~static_cast<uintptr_t>(4095);
  if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}
#else
void prepareTableMemory() {}
#endif
