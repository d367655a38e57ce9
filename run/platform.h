// The few platform calls the conversion run needs, with one POSIX and one
// Windows body each.
#pragma once

// Calls visit(name, context) for every entry (directories included) in the
// directory of `pattern` whose name matches the pattern's last component, where each '?' stands
// for one arbitrary byte.  Matching is byte for byte on POSIX systems and the
// platform's own (FindFirstFileA) on Windows.  Names come in no set order.
void listMatchingFiles(const char* pattern, void (*visit)(const char* name, void* context),
                       void* context);

// The current directory joined with `name` (with the platform's separator)
// into buf of `size` bytes; false, with buf empty, when the directory cannot
// be found or the result does not fit.
bool pathInCurrentDirectory(const char* name, char* buf, int size);

// Whether a file (not a directory) exists at `path`.
bool fileExists(const char* path);

// Asks the system to back the program's fixed tables with large pages where
// it can.  Every run touches megabytes of them, and on some systems faulting
// them in 4 KB at a time costs more than the whole conversion.  Does nothing
// where the system offers no such request.
void prepareTableMemory();
