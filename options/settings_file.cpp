// Settings file reading and writing.
#include "options/settings_file.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "netlist/files.h"
#include "netlist/large_tables.h"
#include "options/options.h"
#include "run/output_file.h"

namespace {

LARGE_TABLE(1) ByteSource settingsSource;
LARGE_TABLE(1) TextOut settingsOut;
LARGE_TABLE(1) OutputFile settingsOutput;
LARGE_TABLE(1) char lineBuffer[SETTING_TEXT_SIZE];

// Reads one whole line (text mode), keeping its first 9999 characters
// without the line feed.  Returns -1 at the end of the file.
int readSettingsLine(ByteSource* in) {
  int n = 0;
  bool any = false;
  for (;;) {
    int c = nextByte(in);
    if (c < 0) break;
    any = true;
    if (c == '\r' && peekByte(in) == '\n') c = nextByte(in);
    if (c == '\n') break;
    if (n < SETTING_TEXT_MAX) lineBuffer[n++] = static_cast<char>(c);
  }
  lineBuffer[n] = '\0';
  return any ? n : -1;
}

// The decimal number at the start of the line after optional blanks and an
// optional sign, saturated at the 32-bit range; 0 when there is none.
int32_t parseCount(const char* text) {
  while (*text == ' ' || (*text >= '\t' && *text <= '\r')) text++;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = *text++ == '-';
  long long value = 0;
  for (; *text >= '0' && *text <= '9'; text++) {
    value = value * 10 + (*text - '0');
    if (value > 2147483648LL) value = 2147483648LL;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) value = INT32_MAX;
  return static_cast<int32_t>(value);
}

}  // namespace

bool readSettingsFile(const char* path) {
  FILE* file = openForReading(path);
  if (file == nullptr) return false;
  ByteSource* in = &settingsSource;
  openByteSource(in, file);
  for (int section = 0; section < 2; section++) {
    if (readSettingsLine(in) < 0) break;
    int32_t count = parseCount(lineBuffer);
    bool ended = false;
    for (int32_t i = 0; i < count; i++) {
      if (readSettingsLine(in) < 0) {
        ended = true;
        break;
      }
      if (i >= SETTING_COUNT) continue;
      if (section == 0) {
        settingValues[i] = parseCount(lineBuffer);
      } else {
        for (char* p = lineBuffer; *p != '\0'; p++)
          if (*p == 0x07) *p = '\n';
        setSettingText(i, lineBuffer);
      }
    }
    if (ended) break;
  }
  fclose(file);
  return true;
}

bool writeSettingsFile(const char* path) {
  // Written to a temporary file and renamed over the old one, so a write
  // that fails (a full disk) leaves the old settings whole.
  FILE* file = beginOutput(&settingsOutput, path);
  if (file == nullptr) return false;
  TextOut* out = &settingsOut;
  openTextOut(out, file);
  putText(out, "20\n");
  for (int i = 0; i < SETTING_COUNT; i++) {
    putDecimal(out, settingValues[i]);
    putText(out, "\n");
  }
  putText(out, "20\n");
  for (int i = 0; i < SETTING_COUNT; i++) {
    const char* text = settingTexts[i];
    const char* start = text;
    for (const char* p = text; *p != '\0'; p++) {
      if (*p != '\n') continue;
      putBytes(out, start, static_cast<size_t>(p - start));
      putBytes(out, "\x07", 1);
      start = p + 1;
    }
    putBytes(out, start, strlen(start));
    putText(out, "\n");
  }
  if (!closeTextOut(out)) {
    discardOutput(&settingsOutput);
    return false;
  }
  return commitOutput(&settingsOutput);
}

void startSettings(const char* path, const char* defaultCategoryPath) {
  resetSettings();
  setSettingText(TXT_CATEGORY_CSV_PATH, defaultCategoryPath);
  if (path != nullptr && path[0] != '\0') readSettingsFile(path);
  correctSettings();
}
