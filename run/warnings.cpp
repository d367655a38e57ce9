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
    {"警告: 上限6000を超えて読み捨てた部品: %d件 (最初: %s)\n",
     "Warning: parts beyond the capacity of 6000, left out: %d (first: %s)\n"},
    {"警告: 上限20000を超えて読み捨てたピン: %d件 (最初: %s)\n",
     "Warning: pins beyond the capacity of 20000, left out: %d (first: %s)\n"},
    {"警告: 入力が読み込み上限の2100000バイトを超えたため、\"%s\" の後は読んでいません\n",
     "Warning: the input is longer than the read limit of 2100000 bytes; nothing after "
     "\"%s\" was read\n"},
    {"警告: 20文字に切り詰めた部品番号: %d件 (最初: %s)\n",
     "Warning: references cut to 20 characters: %d (first: %s)\n"},
    {"警告: 100文字に切り詰めた定数: %d件 (最初: %s)\n",
     "Warning: values cut to 100 characters: %d (first: %s)\n"},
    {"警告: 121文字に切り詰めたPCB属性: %d件 (最初: %s)\n",
     "Warning: PCB attributes cut to 121 characters: %d (first: %s)\n"},
    {"警告: 10文字に切り詰めたピン番号: %d件 (最初: %s)\n",
     "Warning: pins cut to 10 characters: %d (first: %s)\n"},
    {"警告: 50文字に切り詰めたネット名: %d件 (最初: %s)\n",
     "Warning: net names cut to 50 characters: %d (first: %s)\n"},
    {"警告: 部品が無いためネットリストから除いたピン: %d件 (最初: %s)\n",
     "Warning: pins left out of the netlist because their part is missing: %d (first: %s)\n"},
    {"警告: 部品リストで重複した部品番号 (KiCadは最初の部品だけを接続します): %d件 (最初: %s)\n",
     "Warning: references listed twice in the part list (KiCad connects only the first): %d "
     "(first: %s)\n"},
    {"警告: 複数のネットにあるピン (KiCadは最初のネットだけに残します): %d件 (最初: %s)\n",
     "Warning: pins in two or more nets (KiCad keeps only the first): %d (first: %s)\n"},
    {"警告: 入力が終わりの印 %s の前で終わっています (途中で切れている可能性があります)\n",
     "Warning: the input ends before its closing mark %s; it may be cut off\n"},
    {"警告: 上限6000を超えて読み捨てたカテゴリ部品の項目: %d件 (最初: %s)\n",
     "Warning: category entries beyond the capacity of 6000, left out: %d (first: %s)\n"},
    {"警告: テキスト領域が満杯のため空にしたフットプリント・コード: %d件 (最初: %s)\n",
     "Warning: footprint codes left empty because the text pool is full: %d (first: %s)\n"},
    {"警告: カテゴリ部品ファイルから読める行がありません (1行目: %s)\n",
     "Warning: the category part file gives no row (first line: %s)\n"},
    {"警告: 前回のレポートに読める行が無いため、その編集は使われません (1行目: %s)\n",
     "Warning: the previous report gives no row, so its edits are not used (first line: %s)\n"},
    {"警告: 2100200文字を超え、残りを読み飛ばしたカテゴリ部品ファイルの行: %d件 (最初: %s)\n",
     "Warning: category part file lines longer than 2100200 characters, their rest skipped: "
     "%d (first: %s)\n"},
    {"警告: 2100200文字を超え、残りを読み飛ばした前回のレポートの行: %d件 (最初: %s)\n",
     "Warning: previous report lines longer than 2100200 characters, their rest skipped: %d "
     "(first: %s)\n"},
};

const char* const tooLongTexts[2] = {
    "入力が長すぎます (読み込み上限2100000バイトで停止しました)\n",
    "Input too long: reading stopped at the read limit of 2100000 bytes\n",
};

int language() { return settingValues[VAL_LANGUAGE] == 1 ? 1 : 0; }

// Appends the text with "%d" replaced by the count and "%s" by the example
// (an empty one shows as "").
void appendFilled(const char* text, int count, const char* example) {
  if (example[0] == '\0') example = "\"\"";
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
