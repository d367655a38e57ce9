// Option store and message table: plain global data for the whole process.
#include "options/options.h"

#include <cstring>

#include "netlist/large_tables.h"

int32_t settingValues[SETTING_COUNT];
LARGE_TABLE(1) char settingTexts[SETTING_COUNT][SETTING_TEXT_SIZE];

// Slot 2*p is Japanese, slot 2*p + 1 English.  The sources hold the Japanese
// texts in UTF-8; the Windows build turns every narrow literal into code
// page 932 at compile time.
static const char* const messageTable[MESSAGE_PAIR_COUNT * 2] = {
    "実行中は変更出来ません", "Can't change it while execution",  // 0
    "", "", "", "", "", "", "", "", "", "",                        // 1-5
    "", "", "", "", "", "", "", "",                                // 6-9
    "入力ファイルが開けません\n", "Can't open the input file.\n",     // 10
    "出力ファイルが作れません\n", "Can't create the output file.\n",  // 11
    "フォーマット・エラー\n", "Format error\n",                       // 12
    "CSVファイルが開けません\n", "Can't open the CSV file.\n",         // 13
    "フォーマット・オプション・エラー\n", "Format option error\n",     // 14
    "出力ファイルに書き込めません\n", "Can't write the output file.\n",  // 15
    "", "", "", "", "", "", "", "",                                // 16-19
};

void resetSettings() {
  for (int i = 0; i < SETTING_COUNT; i++) {
    settingValues[i] = 0;
    settingTexts[i][0] = '\0';
  }
}

void setSettingText(int index, const char* src) {
  char* dst = settingTexts[index];
  if (dst == src) return;
  size_t n = strnlen(src, SETTING_TEXT_MAX);
  memmove(dst, src, n);
  dst[n] = '\0';
}

const char* messageText(int pair) {
  if (pair < 0 || pair >= MESSAGE_PAIR_COUNT) return "";
  int language = settingValues[VAL_LANGUAGE] == 1 ? 1 : 0;
  return messageTable[2 * pair + language];
}

void correctSettings() {
  if (settingValues[VAL_LANGUAGE] != 0 && settingValues[VAL_LANGUAGE] != 1)
    settingValues[VAL_LANGUAGE] = 0;
  char first = settingTexts[TXT_FORMAT_OPTION][0];
  if (first < '0' || first > '3') setSettingText(TXT_FORMAT_OPTION, "1");
}
