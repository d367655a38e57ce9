// Windows bodies of the platform calls: FindFirstFileA and its partners,
// the current directory, and the file calls (CreateFileA with CREATE_NEW,
// MoveFileExA, identities from GetFileInformationByHandle).
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
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

bool currentDirectory(char* buf, int size) { return size > 0 && _getcwd(buf, size) != nullptr; }

bool isPathSeparator(char c) { return c == '\\' || c == '/'; }

bool fileExists(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Large pages need a privilege that ordinary users lack: nothing to ask.
void prepareTableMemory() {}

namespace {

bool identityOfHandle(HANDLE handle, FileIdentity* id) {
  BY_HANDLE_FILE_INFORMATION info;
  if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &info)) return false;
  id->volume = info.dwVolumeSerialNumber;
  id->index = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

// A C stream over a handle; the handle is closed when the stream cannot be
// made.  The program's own buffers gather whole blocks, so the stream
// passes each block straight to the system.
FILE* streamOf(HANDLE handle, const char* mode, int flags) {
  int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
  if (fd < 0) {
    CloseHandle(handle);
    return nullptr;
  }
  FILE* f = _fdopen(fd, mode);
  if (f == nullptr) _close(fd);
  else setvbuf(f, nullptr, _IONBF, 0);
  return f;
}

const DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

bool identityOfPath(const char* path, FileIdentity* id) {
  // No access asked: only the file's information is read.  The flag lets
  // directories open too.
  HANDLE handle = CreateFileA(path, 0, shareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  bool ok = identityOfHandle(handle, id);
  CloseHandle(handle);
  return ok;
}

bool identityOfFile(FILE* file, FileIdentity* id) {
  return identityOfHandle(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))), id);
}

FILE* openRegularFile(const char* path) {
  // Shared for deletion too, so that another run may rename a file over
  // this one while it is read.
  HANDLE handle = CreateFileA(path, GENERIC_READ, shareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  // Pipes and character devices (CON, NUL, COM1) are not files to read.
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    CloseHandle(handle);
    return nullptr;
  }
  return streamOf(handle, "rb", _O_RDONLY);
}

int examineOutputTarget(const char* path, FILE** inPlace) {
  *inPlace = nullptr;
  // OPEN_EXISTING: nothing is created or cut.  A directory or a read-only
  // file refuses write access.
  HANDLE handle = CreateFileA(path, GENERIC_WRITE, shareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? TARGET_ABSENT
                                                                          : TARGET_REFUSED;
  }
  if (GetFileType(handle) == FILE_TYPE_DISK) {
    CloseHandle(handle);
    return TARGET_FILE;
  }
  *inPlace = streamOf(handle, "wb", _O_WRONLY);
  return *inPlace != nullptr ? TARGET_IN_PLACE : TARGET_REFUSED;
}

FILE* createNewFile(const char* path, bool* taken) {
  *taken = false;
  HANDLE handle = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    *taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
    return nullptr;
  }
  return streamOf(handle, "wb", _O_WRONLY);
}

// A read-only file is refused before it is replaced; nothing else to keep.
void keepPermissions(FILE*, const char*) {}

bool replaceFile(const char* from, const char* to) {
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
}

void removeFile(const char* path) { DeleteFileA(path); }

// Links are rare on Windows and are replaced like files.
bool resolveLink(const char*, char*, int) { return false; }

unsigned long processNumber() { return GetCurrentProcessId(); }
