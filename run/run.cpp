// Conversion run driver.
//
// The steps run in a fixed order; a step that fails appends its message and
// the path it concerns to the result text and ends the run.  Every file the
// run opens or creates is held in one record, and one function ends every
// run: it closes what is open and settles the temporary files.  The netlist
// and its numbered copy are written to temporary files and replace their
// targets only when the run completes; the report is written under a
// temporary name and takes its numbered name when the run ends, unless it
// was not written whole.  Every path the run forms fits in 519 characters:
// an input path longer than 511 characters (its report names would not fit)
// is refused as unopenable, a netlist path longer than 519 as uncreatable.
#include "run/run.h"

#include <cstdio>
#include <cstring>

#include "netlist/files.h"
#include "netlist/kicad_writer.h"
#include "netlist/large_tables.h"
#include "netlist/losses.h"
#include "netlist/model.h"
#include "netlist/text.h"
#include "options/options.h"
#include "readers/formats.h"
#include "run/category.h"
#include "run/previous.h"
#include "run/output_file.h"
#include "run/project_path.h"
#include "run/reconcile.h"
#include "run/report.h"
#include "run/report_claim.h"
#include "run/same_file.h"
#include "run/warnings.h"

namespace {

enum : int {
  INPUT_PATH_MAX = 511,
  REV_SOURCE_MAX = 515,
  NO_MOUNT_MAX = 519,
};

LARGE_TABLE(1) ByteSource inputSource;
LARGE_TABLE(1) ByteSource fileSource;

// Everything a run has open or has created, so that every way out of the
// run closes and settles the same files.
struct RunFiles {
  FILE* input;
  TextOut netlistOut;     // open while netlistOut.file is set
  TextOut reportOut;      // open while reportOut.file is set
  OutputFile netlist;     // the netlist's temporary file
  OutputFile report;      // the report's temporary file (its number's claim)
  OutputFile rev;         // the numbered copy's temporary file
  bool reportHasHead;     // the report's head lines were written
  bool reportWhole;       // no write of the report failed
  bool reportReplaces;    // the report replaces an existing one (number 99)
};
LARGE_TABLE(1) RunFiles files;
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
  const FormatRow* row = formatRow(format);
  if (row == nullptr || row->read == nullptr) return READ_NO_READER;
  return row->read(in, partTable, nodeTable, &nodeCount, settingValues[VAL_FORMAT_OPTION_VALUE]);
}

void appendFailure(int pair, const char* path) {
  appendMessage(pair);
  appendResult(path);
}

// The run has ended: closes what is open and settles the temporary files.
// The netlist and its numbered copy replace their targets only when the
// run completed; the report takes its numbered name once its head was
// written and everything written to it arrived, except that a run that did
// not complete leaves an existing report 99 as it was.  Returns whether
// the run is still complete, that is, every rename succeeded.
bool endRun(bool completed) {
  RunFiles& f = files;
  if (f.input != nullptr) fclose(f.input);
  f.input = nullptr;
  if (f.reportOut.file != nullptr && !closeTextOut(&f.reportOut)) f.reportWhole = false;
  if (f.netlistOut.file != nullptr) closeTextOut(&f.netlistOut);
  if (completed && !commitOutput(&f.netlist)) {
    appendFailure(MSG_CANT_WRITE_OUTPUT, outputPath);
    completed = false;
  }
  if (completed && !commitOutput(&f.rev)) {
    appendFailure(MSG_CANT_WRITE_OUTPUT, revOutputPath);
    completed = false;
  }
  discardOutput(&f.netlist);
  discardOutput(&f.rev);
  if (f.reportHasHead && f.reportWhole && (completed || !f.reportReplaces)) {
    if (!commitOutput(&f.report)) {
      appendFailure(MSG_CANT_WRITE_OUTPUT, reportNames.reportPath);
      completed = false;
    }
  }
  discardOutput(&f.report);
  return completed;
}

// Copies the finished netlist byte for byte to the numbered copy's
// temporary file.  A copy that cannot be opened is skipped without a word;
// one that cannot be written ends the run.
bool copyRevOutput() {
  LARGE_TABLE(5) static char block[65536];
  const char* written = files.netlist.pending ? files.netlist.temp : outputPath;
  FILE* from = openForReading(written);
  FILE* to = from != nullptr ? beginOutput(&files.rev, revOutputPath) : nullptr;
  bool ok = true;
  if (to != nullptr) {
    size_t n;
    while (ok && (n = fread(block, 1, sizeof block, from)) > 0) ok = fwrite(block, 1, n, to) == n;
    if (ferror(from)) ok = false;
    if (fclose(to) != 0) ok = false;
  }
  if (from != nullptr) fclose(from);
  if (!ok) appendFailure(MSG_CANT_WRITE_OUTPUT, revOutputPath);
  return ok;
}

// Steps 1 to 26; true when the run completed and its files may replace
// the old ones.
bool runSteps();

}  // namespace

void appendResult(const char* text) { appendResultBytes(text, strlen(text)); }

void runConversion() {
  files.input = nullptr;
  files.netlistOut.file = nullptr;
  files.reportOut.file = nullptr;
  resetOutput(&files.netlist);
  resetOutput(&files.report);
  resetOutput(&files.rev);
  files.reportHasHead = false;
  files.reportWhole = true;
  files.reportReplaces = false;
  bool completed = runSteps();
  if (endRun(completed)) appendResult("Completed\n");
}

namespace {

bool runSteps() {
  RunFiles& f = files;
  // 1-3: result text, format option.
  settingTexts[TXT_RESULT_TEXT][0] = '\0';
  clearLosses();
  const char* formatOption = settingTexts[TXT_FORMAT_OPTION];
  if (formatOption[0] < '0' || formatOption[0] > '3') {
    appendFailure(MSG_FORMAT_OPTION_ERROR, formatOption);
    return false;
  }
  int inputFormat = settingValues[VAL_INPUT_FORMAT];
  settingValues[VAL_FORMAT_OPTION_VALUE] = inputFormat == FORMAT_CADVANCE ? 1 : formatOption[0] - '0';

  // 4-5: tables, no-mount marks.
  startNetlistTables();
  bindCategoryIndex();
  bindPreviousTable();
  copyText(noMountText, NO_MOUNT_MAX, settingTexts[TXT_NO_MOUNT_SYMBOL]);
  readNoMountMarks(noMountText);

  // 6: input netlist.
  const char* inputPath = settingTexts[TXT_INPUT_NETLIST_PATH];
  const char* categoryPath = settingTexts[TXT_CATEGORY_CSV_PATH];
  f.input = strlen(inputPath) <= INPUT_PATH_MAX ? openForReading(inputPath) : nullptr;
  if (f.input == nullptr) {
    appendFailure(MSG_CANT_OPEN_INPUT, inputPath);
    return false;
  }

  // 7-8: output netlist beside the project file, written to a temporary
  // file.  A netlist that is one of the files the run reads is refused.
  const char* projectPath = settingTexts[TXT_PROJECT_PATH];
  const int projectKind = settingValues[VAL_PROJECT_KIND];
  ProjectName project = splitProjectPath(projectPath, projectKind);
  size_t stemLen = project.stemLen;
  FILE* output = nullptr;
  if (stemLen + 3 <= RUN_PATH_MAX) {
    memcpy(outputPath, projectPath, stemLen);
    strcpy(outputPath + stemLen, "net");
    if (project.accepted && !isRunInput(outputPath, f.input, categoryPath, inputPath))
      output = beginOutput(&f.netlist, outputPath);
  }
  if (output == nullptr) {
    appendMessage(MSG_CANT_CREATE_OUTPUT);
    appendResultBytes(projectPath, stemLen);
    appendResult("net");
    return false;
  }
  openTextOut(&f.netlistOut, output);

  // 9-10: category part file.
  FILE* category = openForReading(categoryPath);
  if (category == nullptr) {
    appendFailure(MSG_CANT_OPEN_INPUT, categoryPath);
    return false;
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
      appendFailure(MSG_CANT_OPEN_INPUT, reportNames.previousPath);
      return false;
    }
    openByteSource(&fileSource, previous);
    readPreviousReport(&fileSource);
    fclose(previous);
  }

  // 13: the new report, under its number's temporary name.
  const char* failedPath = nullptr;
  FILE* reportFile = claimReport(inputPath, &reportNames, &f.report, &f.reportReplaces, &failedPath);
  if (reportFile == nullptr) {
    appendFailure(MSG_CANT_CREATE_OUTPUT, failedPath);
    return false;
  }
  openTextOut(&f.reportOut, reportFile);

  // 14: the numbered copy's name: "board.net" gives "board_fNN.net".
  size_t outputLen = strlen(outputPath);
  bool revPossible = outputLen <= REV_SOURCE_MAX;
  if (revPossible) {
    memcpy(revOutputPath, outputPath, outputLen - 4);
    snprintf(revOutputPath + outputLen - 4, sizeof revOutputPath - (outputLen - 4), "_f%s.net",
             reportNames.number);
  }
  bool revWanted = settingValues[VAL_OUTPUT_NAME_WITH_REV] != 0 && revPossible;
  if (revWanted && isRunInput(revOutputPath, f.input, categoryPath, inputPath)) {
    appendFailure(MSG_CANT_CREATE_OUTPUT, revOutputPath);
    return false;
  }

  // 15-18: result and report head, duplicate keys, previous rows.
  setSettingText(TXT_REPORT_PATH, reportNames.reportPath);
  appendResult("Report = ");
  appendResult(reportNames.reportPath);
  appendResult("\n");
  TextOut* report = &f.reportOut;
  putText(report, "Input=");
  putText(report, inputPath);
  putText(report, "\nOutput=");
  putText(report, outputPath);
  putText(report, "\n");
  f.reportHasHead = true;
  int duplicateCount = writeDuplicateIndexLines(report);
  if (previousCount > 0) resolvePreviousFootprints(report);

  // 19: read and normalise the input netlist.
  openByteSource(&inputSource, f.input);
  int result = callReader(inputFormat, &inputSource);
  result = normalizeNetlist(nodeTable, result < 0 ? 0 : nodeCount, result, partTable);
  if (result < 0 || nodeCount == 0) {
    char code[64];
    snprintf(code, sizeof code, "%d ", result);
    appendResult(code);
    if (losses.count[LOSS_READ_LIMIT] > 0) {
      appendResult(inputTooLongText());
      appendResult(inputPath);
    } else {
      appendFailure(MSG_FORMAT_ERROR, inputPath);
    }
    return false;
  }
  partCount = result;

  // 20-22: reconciliation and the report body.
  reconcileParts(report, partTable, partCount);
  writeReportBody(report, partTable, partCount, duplicateCount, totalsLine,
                  static_cast<int>(sizeof totalsLine));
  appendResult(totalsLine);
  appendResult("\n");
  if (!closeTextOut(report)) {
    f.reportWhole = false;
    appendFailure(MSG_CANT_WRITE_OUTPUT, reportNames.reportPath);
    return false;
  }
  fclose(f.input);
  f.input = nullptr;

  // 23-25: the KiCad netlist in category and number order.
  sortPartsByCategoryAndNumber(partTable, partCount);
  int written = -1;
  if (projectKind == PROJECT_KIND_KICAD5 || projectKind == PROJECT_KIND_KICAD6)
    written = writeKicadNetlist(&f.netlistOut, partCount, partTable, nodeTable, nodeCount,
                                projectKind, nodeReferenceFlags);
  if (written != 0) {
    appendLossWarnings();
    appendResult("FAILD! wrong netlist\n");
    return false;
  }
  if (!closeTextOut(&f.netlistOut)) {
    appendFailure(MSG_CANT_WRITE_OUTPUT, outputPath);
    return false;
  }

  // 26: the numbered copy.
  if (revWanted && !copyRevOutput()) return false;
  appendLossWarnings();
  return true;
}

}  // namespace
