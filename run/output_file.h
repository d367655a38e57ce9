// Files that are replaced whole or not at all.
//
// An output is written to a temporary file beside its target and renamed
// over the target only when it is complete, so a failed or killed writer
// leaves the old file as it was.  A target that is a device (such as a
// null device) is written in place: it holds nothing to keep.  A symbolic
// link keeps pointing where it did: the file it names is replaced.
#pragma once

#include <cstdio>

enum : int { OUTPUT_PATH_SIZE = 4096 + 32 };

struct OutputFile {
  char target[OUTPUT_PATH_SIZE];  // the file that is replaced
  char temp[OUTPUT_PATH_SIZE];    // its temporary file; empty when written in place
  bool pending;                   // the temporary file exists and is this writer's
};

// Clears the record (no temporary file).
void resetOutput(OutputFile* out);

// Opens the file to write for `path`: a new temporary file beside it (or
// the target itself when it is a device).  Null when `path` cannot be
// written: a directory, a read-only file, a missing directory.
FILE* beginOutput(OutputFile* out, const char* path);

// Claims `path` exclusively through its temporary name `path` + ".tmp": two
// writers never hold the same one.  Null when it cannot, with *taken set
// when another writer (or a killed one) holds that name.
FILE* claimOutput(OutputFile* out, const char* path, bool* taken);

// After the stream was closed: renames the temporary file over the target.
// False when that fails; the temporary file is then removed.
bool commitOutput(OutputFile* out);

// After the stream was closed: removes the temporary file, the target stays.
void discardOutput(OutputFile* out);
