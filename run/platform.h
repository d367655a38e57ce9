// The few platform calls the conversion run needs, with one POSIX and one
// Windows body each.
#pragma once

#include <cstdio>

// Calls visit(name, context) for every entry (directories included) in the
// directory of `pattern` whose name matches the pattern's last component, where each '?' stands
// for one arbitrary byte.  Matching is byte for byte on POSIX systems and the
// platform's own (FindFirstFileA) on Windows.  Names come in no set order.
void listMatchingFiles(const char* pattern, void (*visit)(const char* name, void* context),
                       void* context);

// The current directory into buf of `size` bytes; false when it cannot be
// found or does not fit.
bool currentDirectory(char* buf, int size);

// Whether `c` separates the components of a path; the first separator the
// platform accepts is the one paths are joined with.
bool isPathSeparator(char c);
enum : char { PATH_SEPARATOR =
#ifdef _WIN32
                  '\\'
#else
                  '/'
#endif
};

// Whether a file (not a directory) exists at `path`.
bool fileExists(const char* path);

// Asks the system to back the program's fixed tables with large pages where
// it can.  Every run touches megabytes of them, and on some systems faulting
// them in 4 KB at a time costs more than the whole conversion.  Does nothing
// where the system offers no such request.
void prepareTableMemory();

// Which file a path or an open file is: equal identities are the same file,
// whatever the path that named it (links, other spellings).
struct FileIdentity {
  unsigned long long volume;
  unsigned long long index;
};
bool identityOfPath(const char* path, FileIdentity* id);
bool identityOfFile(FILE* file, FileIdentity* id);
inline bool sameIdentity(const FileIdentity& a, const FileIdentity& b) {
  return a.volume == b.volume && a.index == b.index;
}

// Opens an existing regular file for reading in binary mode; null for
// anything else (a directory, a FIFO, a device, a socket).  The open itself
// never waits for a writer.
FILE* openRegularFile(const char* path);

// What an output path names before anything is written to it.
enum : int {
  TARGET_ABSENT,    // nothing there yet (or its directory is missing)
  TARGET_FILE,      // a regular file that may be written
  TARGET_IN_PLACE,  // a device: opened for writing in place, *inPlace set
  TARGET_REFUSED,   // a directory, a read-only file, or otherwise unwritable
};
// Examines `path` for writing without changing it.
int examineOutputTarget(const char* path, FILE** inPlace);

// Creates `path` exclusively and opens it for writing in binary mode; null
// when it cannot, with *taken set when a file of that name already exists.
FILE* createNewFile(const char* path, bool* taken);

// Gives the new file `file` the access permissions of the existing file at
// `path`, so that replacing a file keeps who may read and write it.
void keepPermissions(FILE* file, const char* path);

// Renames `from` over `to`, replacing a file already there in one step.
bool replaceFile(const char* from, const char* to);
void removeFile(const char* path);

// The file a symbolic link at `path` finally names, into buf of `size`
// bytes; false when `path` is no link (or on systems without them).
bool resolveLink(const char* path, char* buf, int size);

// A number that tells this process from the others running now.
unsigned long processNumber();
