// POSIX bodies of the platform calls: opendir/readdir, getcwd, and the
// file calls (open with O_EXCL, rename, stat identities, realpath).
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
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

bool currentDirectory(char* buf, int size) {
  return size > 0 && getcwd(buf, static_cast<size_t>(size)) != nullptr;
}

bool isPathSeparator(char c) { return c == '/'; }

bool fileExists(const char* path) {
  struct stat info;
  return stat(path, &info) == 0 && !S_ISDIR(info.st_mode);
}

namespace {

FileIdentity identityOf(const struct stat& info) {
  return {static_cast<unsigned long long>(info.st_dev), static_cast<unsigned long long>(info.st_ino)};
}

// A descriptor opened with O_NONBLOCK behaves as an ordinary one again.
void clearNonBlocking(int fd) {
  int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
}

// The program's own buffers (netlist/files.h) gather whole blocks, so the
// stream passes each block straight to the system: one call per block,
// and no buffer of the stream's own.
FILE* streamOf(int fd, const char* mode) {
  FILE* f = fdopen(fd, mode);
  if (f == nullptr) close(fd);
  else setvbuf(f, nullptr, _IONBF, 0);
  return f;
}

}  // namespace

bool identityOfPath(const char* path, FileIdentity* id) {
  struct stat info;
  if (stat(path, &info) != 0) return false;
  *id = identityOf(info);
  return true;
}

bool identityOfFile(FILE* file, FileIdentity* id) {
  struct stat info;
  if (fstat(fileno(file), &info) != 0) return false;
  *id = identityOf(info);
  return true;
}

FILE* openRegularFile(const char* path) {
  // O_NONBLOCK: opening a FIFO without a writer returns at once.
  int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return nullptr;
  }
  clearNonBlocking(fd);
  return streamOf(fd, "rb");
}

int examineOutputTarget(const char* path, FILE** inPlace) {
  *inPlace = nullptr;
  // Opened without O_CREAT or O_TRUNC, so nothing changes.
  int fd = open(path, O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? TARGET_ABSENT : TARGET_REFUSED;
  struct stat info;
  if (fstat(fd, &info) != 0) {
    close(fd);
    return TARGET_REFUSED;
  }
  if (S_ISREG(info.st_mode)) {
    close(fd);
    return TARGET_FILE;
  }
  clearNonBlocking(fd);
  *inPlace = streamOf(fd, "wb");
  return *inPlace != nullptr ? TARGET_IN_PLACE : TARGET_REFUSED;
}

FILE* createNewFile(const char* path, bool* taken) {
  *taken = false;
  int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) {
    *taken = errno == EEXIST;
    return nullptr;
  }
  return streamOf(fd, "wb");
}

void keepPermissions(FILE* file, const char* path) {
  struct stat info;
  if (stat(path, &info) == 0) fchmod(fileno(file), info.st_mode & 07777);
}

bool replaceFile(const char* from, const char* to) { return rename(from, to) == 0; }

void removeFile(const char* path) { unlink(path); }

bool resolveLink(const char* path, char* buf, int size) {
  struct stat info;
  if (lstat(path, &info) != 0 || !S_ISLNK(info.st_mode)) return false;
  char resolved[PATH_MAX];
  if (realpath(path, resolved) == nullptr) return false;
  size_t len = strlen(resolved);
  if (len + 1 > static_cast<size_t>(size)) return false;
  memcpy(buf, resolved, len + 1);
  return true;
}

unsigned long processNumber() { return static_cast<unsigned long>(getpid()); }

#if defined(__linux__) && defined(MADV_HUGEPAGE)
// The linker's marks around the zero-initialised data.  The large tables
// (netlist/large_tables.h) follow the ordinary data in 2 MB-aligned
// sections that nothing touches before this request, so each of their 2 MB
// stretches is cleared once, as one huge page, when a run first touches it.
// The range may hold unmapped gaps: madvise then answers ENOMEM but has
// advised every mapped part of it.
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
