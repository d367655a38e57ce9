// Conversion run driver.
//
// The steps run in a fixed order; a step that fails appends its message and
// the path it concerns to the result text, closes what is open and ends the
// run.  Every path the run forms fits in 519 characters: an input path
// longer than 511 characters (its report names would not fit) is refused as
// unopenable, a netlist path longer than 519 as uncreatable.
#include "run/run.h"

#include <cstdio>
#include <cstring>

#include "netlist/files.h"
#include "netlist/kicad_writer.h"
#include "netlist/model.h"
#include "netlist/text.h"
#include "options/options.h"
#include "readers/reader_io.h"
#include "run/category.h"
#include "run/previous.h"
#include "run/project_path.h"
#include "run/reconcile.h"
#include "run/report.h"

namespace {

enum : int {
  INPUT_PATH_MAX = 511,
  REV_SOURCE_MAX = 515,
  NO_MOUNT_MAX = 519,
};

ByteSource inputSource;
ByteSource fileSource;
TextOut outputNetlist;
TextOut reportOut;
char outputPath[RUN_PATH_MAX + 1];
char revOutputPath[RUN_PATH_MAX + 1];
char noMountText[NO_MOUNT_MAX + 1];
char totalsLine[1024];
ReportNames reportNames;

void appendResultBytes(const char* text, size_t len) {
  char* result = settingTexts[TXT_RESULT_TEXT];
  size_t used = strlen(result);
  size_t room = SETTING_TEXT_MAX - used;
  size_t n = len < room ? len : room;
  memcpy(result + used, text, n);
  result[used + n] = '\0';
}

void appendMessage(int pair) { appendResult(messageText(pair)); }

int callReader(int format, ByteSource* in) {
  switch (format) {
    case FORMAT_CADVANCE: return readCadvanceNetlist(in, partTable, nodeTable, &nodeCount);
    case FORMAT_MM2_COLMO: return readMm2ColmoNetlist(in, partTable, nodeTable, &nodeCount);
    case FORMAT_PROTEL: return readProtelNetlist(in, partTable, nodeTable, &nodeCount);
    case FORMAT_TELESIS: return readTelesisNetlist(in, partTable, nodeTable, &nodeCount);
    case FORMAT_CCF: return readCcfNetlist(in, partTable, nodeTable, &nodeCount);
    case FORMAT_PADS: return readPadsNetlist(in, partTable, nodeTable, &nodeCount);
    default: return -1;  // "(RFU)" and unknown formats have no reader
  }
}

// Copies the finished netlist byte for byte under its numbered name.  A copy
// that cannot be made is skipped without a word.
void copyRevOutput() {
  static char block[65536];
  FILE* from = openForReading(outputPath);
  FILE* to = from != nullptr ? openForWriting(revOutputPath) : nullptr;
  if (to != nullptr) {
    size_t n;
    while ((n = fread(block, 1, sizeof block, from)) > 0) fwrite(block, 1, n, to);
    fclose(to);
  }
  if (from != nullptr) fclose(from);
}

}  // namespace

void appendResult(const char* text) { appendResultBytes(text, strlen(text)); }

void runConversion() {
  // 1-3: result text, format option.
  settingTexts[TXT_RESULT_TEXT][0] = '\0';
  const char* formatOption = settingTexts[TXT_FORMAT_OPTION];
  if (formatOption[0] < '0' || formatOption[0] > '3') {
    appendMessage(MSG_FORMAT_OPTION_ERROR);
    appendResult(formatOption);
    return;
  }
  int inputFormat = settingValues[VAL_INPUT_FORMAT];
  settingValues[VAL_FORMAT_OPTION_VALUE] = inputFormat == FORMAT_CADVANCE ? 1 : formatOption[0] - '0';

  // 4-5: tables, no-mount marks.
  bindNetlistTables();
  bindCategoryIndex();
  bindPreviousTable();
  copyText(noMountText, NO_MOUNT_MAX, settingTexts[TXT_NO_MOUNT_SYMBOL]);
  readNoMountMarks(noMountText);

  // 6: input netlist.
  const char* inputPath = settingTexts[TXT_INPUT_NETLIST_PATH];
  FILE* input = strlen(inputPath) <= INPUT_PATH_MAX ? openForReading(inputPath) : nullptr;
  if (input == nullptr) {
    appendMessage(MSG_CANT_OPEN_INPUT);
    appendResult(inputPath);
    return;
  }

  // 7-8: output netlist beside the project file.
  const char* projectPath = settingTexts[TXT_PROJECT_PATH];
  const int projectKind = settingValues[VAL_PROJECT_KIND];
  ProjectName project = splitProjectPath(projectPath, projectKind);
  size_t stemLen = project.stemLen;
  FILE* output = nullptr;
  if (stemLen + 3 <= RUN_PATH_MAX) {
    memcpy(outputPath, projectPath, stemLen);
    strcpy(outputPath + stemLen, "net");
    if (project.accepted) output = openForWriting(outputPath);
  }
  if (output == nullptr) {
    appendMessage(MSG_CANT_CREATE_OUTPUT);
    appendResultBytes(projectPath, stemLen);
    appendResult("net");
    fclose(input);
    return;
  }
  openTextOut(&outputNetlist, output);

  // 9-10: category part file.
  FILE* category = openForReading(settingTexts[TXT_CATEGORY_CSV_PATH]);
  if (category == nullptr) {
    appendMessage(MSG_CANT_OPEN_INPUT);
    appendResult(settingTexts[TXT_CATEGORY_CSV_PATH]);
    fclose(input);
    closeTextOut(&outputNetlist);
    return;
  }
  clearTextPool();
  openByteSource(&fileSource, category);
  loadCategoryIndex(&fileSource, settingTexts[TXT_VERSION_SELECT]);
  fclose(category);

  // 11-12: report number and previous report.
  findReportNames(inputPath, &reportNames);
  if (reportNames.hasPrevious) {
    FILE* previous = openForReading(reportNames.previousPath);
    if (previous == nullptr) {
      appendMessage(MSG_CANT_OPEN_INPUT);
      appendResult(reportNames.previousPath);
      fclose(input);
      closeTextOut(&outputNetlist);
      return;
    }
    openByteSource(&fileSource, previous);
    readPreviousReport(&fileSource);
    fclose(previous);
  }

  // 13: the new report.
  FILE* reportFile = openForWriting(reportNames.reportPath);
  if (reportFile == nullptr) {
    appendMessage(MSG_CANT_CREATE_OUTPUT);
    appendResult(reportNames.reportPath);
    fclose(input);
    closeTextOut(&outputNetlist);
    return;
  }
  openTextOut(&reportOut, reportFile);

  // 14: the numbered copy's name: "board.net" gives "board_fNN.net".
  size_t outputLen = strlen(outputPath);
  bool revPossible = outputLen <= REV_SOURCE_MAX;
  if (revPossible) {
    memcpy(revOutputPath, outputPath, outputLen - 4);
    snprintf(revOutputPath + outputLen - 4, sizeof revOutputPath - (outputLen - 4), "_f%s.net",
             reportNames.number);
  }

  // 15-18: result and report head, duplicate keys, previous rows.
  setSettingText(TXT_REPORT_PATH, reportNames.reportPath);
  appendResult("Report = ");
  appendResult(reportNames.reportPath);
  appendResult("\n");
  putText(&reportOut, "Input=");
  putText(&reportOut, inputPath);
  putText(&reportOut, "\nOutput=");
  putText(&reportOut, outputPath);
  putText(&reportOut, "\n");
  int duplicateCount = writeDuplicateIndexLines(&reportOut);
  if (previousCount > 0) resolvePreviousFootprints(&reportOut);

  // 19: read and normalise the input netlist.
  openByteSource(&inputSource, input);
  int result = callReader(inputFormat, &inputSource);
  result = normalizeNetlist(nodeTable, result < 0 ? 0 : nodeCount, result, partTable);
  if (result < 0 || nodeCount == 0) {
    fclose(input);
    closeTextOut(&reportOut);
    closeTextOut(&outputNetlist);
    char code[64];
    snprintf(code, sizeof code, "%d ", result);
    appendResult(code);
    appendMessage(MSG_FORMAT_ERROR);
    appendResult(inputPath);
    return;
  }
  partCount = result;

  // 20-22: reconciliation and the report body.
  reconcileParts(&reportOut, partTable, partCount);
  writeReportBody(&reportOut, partTable, partCount, duplicateCount, totalsLine,
                  static_cast<int>(sizeof totalsLine));
  appendResult(totalsLine);
  appendResult("\n");
  closeTextOut(&reportOut);
  fclose(input);

  // 23-25: the KiCad netlist in category and number order.
  sortPartsByCategoryAndNumber(partTable, partCount);
  int written = -1;
  if (projectKind == PROJECT_KIND_KICAD5 || projectKind == PROJECT_KIND_KICAD6)
    written = writeKicadNetlist(&outputNetlist, partCount, partTable, nodeTable, nodeCount,
                                projectKind);
  closeTextOut(&outputNetlist);
  appendResult(written == 0 ? "Completed\n" : "FAILD! wrong netlist\n");

  // 26: the numbered copy.
  if (settingValues[VAL_OUTPUT_NAME_WITH_REV] != 0 && revPossible) copyRevOutput();
}
