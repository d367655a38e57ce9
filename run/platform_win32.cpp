// Windows bodies of the platform calls: FindFirstFileA and its partners,
// and the current directory.
#include <direct.h>
#include <sys/stat.h>
#include <windows.h>

#include <cstring>

#include "run/platform.h"

void listMatchingFiles(const char* pattern, void (*visit)(const char* name, void* context),
                       void* context) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    // Directories are listed too: a directory named like a file counts as a
    // file that cannot be opened, as it does on every platform.
    visit(found.cFileName, context);
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

bool pathInCurrentDirectory(const char* name, char* buf, int size) {
  buf[0] = '\0';
  char cwd[4096];
  if (_getcwd(cwd, sizeof cwd) == nullptr) return false;
  size_t dirLen = strlen(cwd);
  bool needSlash = dirLen == 0 || (cwd[dirLen - 1] != '\\' && cwd[dirLen - 1] != '/');
  size_t total = dirLen + (needSlash ? 1 : 0) + strlen(name);
  if (total + 1 > static_cast<size_t>(size)) return false;
  strcpy(buf, cwd);
  if (needSlash) strcat(buf, "\\");
  strcat(buf, name);
  return true;
}

bool fileExists(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Large pages need a privilege that ordinary users lack: nothing to ask.
void prepareTableMemory() {}
