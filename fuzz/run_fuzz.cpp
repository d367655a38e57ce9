// Fuzz target: a whole conversion run.  The first byte picks the input
// format; the rest is split at the first two bytes 0xFF into the input
// netlist, the category part file and a previous report (_f00.csv).
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "options/options.h"
#include "run/run.h"

static char dir[64];
static char paths[5][128];

static void writeBytes(const char* path, const uint8_t* data, size_t size) {
  FILE* f = fopen(path, "wb");
  if (f == nullptr) return;
  fwrite(data, 1, size, f);
  fclose(f);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const int formats[] = {0, 1, 3, 4, 5, 6};
  if (size < 1) return 0;
  if (dir[0] == '\0') {
    snprintf(dir, sizeof dir, "/tmp/korv-fuzz-run-%d", getpid());
    mkdir(dir, 0700);
    const char* names[] = {"in.net", "board.pro", "parts.csv", "in.net_f00.csv", "in.net_f01.csv"};
    for (int i = 0; i < 5; i++) snprintf(paths[i], sizeof paths[i], "%s/%s", dir, names[i]);
  }
  int format = formats[data[0] % 6];
  const uint8_t* pieces[3];
  size_t lengths[3];
  const uint8_t* at = data + 1;
  size_t left = size - 1;
  for (int i = 0; i < 3; i++) {
    const uint8_t* end = i < 2 ? static_cast<const uint8_t*>(memchr(at, 0xFF, left)) : nullptr;
    size_t n = end != nullptr ? static_cast<size_t>(end - at) : left;
    pieces[i] = at;
    lengths[i] = n;
    at += n;
    left -= n;
    if (end != nullptr) {
      at++;
      left--;
    }
  }
  writeBytes(paths[0], pieces[0], lengths[0]);
  writeBytes(paths[2], pieces[1], lengths[1]);
  writeBytes(paths[3], pieces[2], lengths[2]);
  unlink(paths[4]);

  resetSettings();
  settingValues[VAL_INPUT_FORMAT] = format;
  settingValues[VAL_OUTPUT_NAME_WITH_REV] = data[0] & 0x80 ? 1 : 0;
  setSettingText(TXT_INPUT_NETLIST_PATH, paths[0]);
  setSettingText(TXT_PROJECT_PATH, paths[1]);
  setSettingText(TXT_CATEGORY_CSV_PATH, paths[2]);
  setSettingText(TXT_NO_MOUNT_SYMBOL, "NM ^DNP NC(");
  setSettingText(TXT_VERSION_SELECT, data[0] & 0x40 ? "V2" : "");
  setSettingText(TXT_FORMAT_OPTION, data[0] & 0x20 ? "3" : "1");
  runConversion();
  if (strlen(settingTexts[TXT_RESULT_TEXT]) > SETTING_TEXT_MAX) __builtin_trap();
  return 0;
}
