// Fuzz target: the settings file reader, then a write and a second read
// that must give back the same store.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "options/options.h"
#include "options/settings_file.h"

static char path[64];
static int32_t values[SETTING_COUNT];
static char texts[SETTING_COUNT][SETTING_TEXT_SIZE];

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (path[0] == '\0') snprintf(path, sizeof path, "/tmp/korv-fuzz-settings-%d.ini", getpid());
  FILE* f = fopen(path, "wb");
  if (f == nullptr) return 0;
  fwrite(data, 1, size, f);
  fclose(f);
  startSettings(path, "Korvandelith.csv");
  for (int i = 0; i < SETTING_COUNT; i++)
    if (strlen(settingTexts[i]) > SETTING_TEXT_MAX) __builtin_trap();
  memcpy(values, settingValues, sizeof values);
  memcpy(texts, settingTexts, sizeof texts);
  if (!writeSettingsFile(path)) return 0;
  startSettings(path, "");
  // A text that held a CR before its line feed comes back shorter; every
  // value comes back the same.
  if (memcmp(values, settingValues, sizeof values) != 0) __builtin_trap();
  unlink(path);
  return 0;
}
