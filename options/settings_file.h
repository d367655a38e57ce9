// The settings file: every option of the store, 42 text lines.
//
// Line 1 is the count of value lines (20), then the values; then the count
// of text lines (20), then the texts, each line feed inside a text written
// as byte 0x07.  The file is read and written as a Windows text-mode file
// on every platform.  Shared by the window and the command-line runner.
#pragma once

// Reads the file into the option store.  Short files keep what was read
// before their end; lines beyond 20 in a section are skipped; a text keeps
// its first 9999 characters and the rest of its line is skipped; numbers
// saturate at the 32-bit range.  Returns false when the file cannot be
// opened (the store is then unchanged).
bool readSettingsFile(const char* path);

// Writes all 20 values and 20 texts to a temporary file and renames it over
// the old file; false when that fails, and the old file is then unchanged.
bool writeSettingsFile(const char* path);

// The start-up sequence: reset, `categoryCsvPath` set to its default, the
// settings file read when `path` is not empty, then the two corrections.
void startSettings(const char* path, const char* defaultCategoryPath);
