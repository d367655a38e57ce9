// Warning texts, Japanese and English, one pair per kind of loss.  In a
// text, "%d" stands for the count and "%s" for the first example.  The
// sources hold the Japanese texts in UTF-8; the Windows build turns every
// narrow literal into code page 932 at compile time.
#include "run/warnings.h"

#include <cstdio>
#include <cstring>

#include "netlist/losses.h"
#include "options/options.h"
#include "run/run.h"

namespace {

const char* const warningTable[LOSS_KIND_COUNT][2] = {
    {"警告: 上限6000を超えた部品 %d件を読み捨てました (最初: %s)\n",
     "Warning: %d parts beyond the capacity of 6000 were left out (first: %s)\n"},
    {"警告: 上限20000を超えたピン %d件を読み捨てました (最初: %s)\n",
     "Warning: %d pins beyond the capacity of 20000 were left out (first: %s)\n"},
    {"警告: 入力が読み込み上限 (2100000バイト) を超えたため、\"%s\" の後で読み込みを止めました\n",
     "Warning: the input is longer than the read limit of 2100000 bytes; reading stopped "
     "after \"%s\"\n"},
    {"警告: 20文字を超えた部品番号 %d件を切り詰めました (最初: %s)\n",
     "Warning: %d references were cut to 20 characters (first: %s)\n"},
    {"警告: 100文字を超えた定数 %d件を切り詰めました (最初: %s)\n",
     "Warning: %d values were cut to 100 characters (first: %s)\n"},
    {"警告: 121文字を超えたPCB属性 %d件を切り詰めました (最初: %s)\n",
     "Warning: %d PCB attributes were cut to 121 characters (first: %s)\n"},
    {"警告: 10文字を超えたピン番号 %d件を切り詰めました (最初: %s)\n",
     "Warning: %d pins were cut to 10 characters (first: %s)\n"},
    {"警告: 50文字を超えたネット名 %d件を切り詰めました (最初: %s)\n",
     "Warning: %d net names were cut to 50 characters (first: %s)\n"},
    {"警告: 部品の無いピン %d件をネットリストから除きました (最初: %s)\n",
     "Warning: %d pins whose part is missing were left out of the netlist (first: %s)\n"},
    {"警告: 部品リストで重複した部品番号 %d件 (KiCadは最初の部品だけを接続します) (最初: %s)\n",
     "Warning: %d references stand twice in the part list; KiCad connects only the first "
     "(first: %s)\n"},
    {"警告: 複数のネットにあるピン %d件 (KiCadは最初のネットだけに残します) (最初: %s)\n",
     "Warning: %d pins stand in two or more nets; KiCad keeps only the first (first: %s)\n"},
    {"警告: 入力が終わりの印 %s の前で終わっています (途中で切れている可能性があります)\n",
     "Warning: the input ended before its closing mark %s; it may be cut off\n"},
    {"警告: 上限6000を超えたカテゴリ部品の行 %d件を読み捨てました (最初: %s)\n",
     "Warning: %d category entries beyond the capacity of 6000 were left out (first: %s)\n"},
    {"警告: テキスト領域が満杯のため、フットプリント・コード %d件を空にしました (最初: %s)\n",
     "Warning: %d footprint codes were left empty because the text pool is full "
     "(first: %s)\n"},
    {"警告: カテゴリ部品ファイルから読める行がありません (1行目: %s)\n",
     "Warning: the category part file gives no row (first line: %s)\n"},
    {"警告: 前回のレポートに読める行が無いため、その編集は使われません (1行目: %s)\n",
     "Warning: the previous report gives no row, so its edits are not used (first line: %s)\n"},
    {"警告: 2100200文字を超えたカテゴリ部品ファイルの行 %d件の残りを読み飛ばしました (最初: %s)\n",
     "Warning: the rest of %d category part file lines longer than 2100200 characters was "
     "skipped (first: %s)\n"},
    {"警告: 2100200文字を超えた前回のレポートの行 %d件の残りを読み飛ばしました (最初: %s)\n",
     "Warning: the rest of %d previous report lines longer than 2100200 characters was "
     "skipped (first: %s)\n"},
};

const char* const tooLongTexts[2] = {
    "入力が長すぎます (読み込み上限2100000バイトで停止しました)\n",
    "Input too long: reading stopped at the read limit of 2100000 bytes\n",
};

int language() { return settingValues[VAL_LANGUAGE] == 1 ? 1 : 0; }

// Appends the text with "%d" replaced by the count and "%s" by the example.
void appendFilled(const char* text, int count, const char* example) {
  char line[512];
  size_t n = 0;
  for (const char* p = text; *p != '\0' && n < sizeof line - 1; p++) {
    if (p[0] == '%' && (p[1] == 'd' || p[1] == 's')) {
      char number[16];
      snprintf(number, sizeof number, "%d", count);
      const char* insert = p[1] == 'd' ? number : example;
      for (; *insert != '\0' && n < sizeof line - 1; insert++) line[n++] = *insert;
      p++;
    } else {
      line[n++] = *p;
    }
  }
  line[n] = '\0';
  appendResult(line);
}

}  // namespace

void appendLossWarnings() {
  for (int kind = 0; kind < LOSS_KIND_COUNT; kind++)
    if (losses.count[kind] > 0)
      appendFilled(warningTable[kind][language()], losses.count[kind], losses.example[kind]);
}

const char* inputTooLongText() { return tooLongTexts[language()]; }
