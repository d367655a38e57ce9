// Command handling and run control.
#include "window/commands.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "netlist/files.h"
#include "options/options.h"
#include "run/run.h"
#include "window/content.h"
#include "window/startup.h"
#include "window/ui.h"

int isRunning = 0;

namespace {

enum : int {
  FILE_NAME_SIZE = 3000,  // the file dialog's name buffer
  REPORT_PATH_MAX = 519,  // longest report path "Open the CSV" accepts
};

char fileName[FILE_NAME_SIZE];
char reportName[REPORT_PATH_MAX + 1];

void switchLanguage() {
  settingValues[VAL_LANGUAGE] += 1;
  if (settingValues[VAL_LANGUAGE] >= 2) settingValues[VAL_LANGUAGE] = 0;
  relabelControls();
}

// "File Select" (any file) and "Target Select" (project files of the
// chosen kind) fill the text setting their row names.  A current path too
// long for the dialog's buffer starts the dialog with an empty name.
void selectFile(int id) {
  int v = controlTable[id].valueIndex;
  const char* filter = "*.*\0*.*\0";
  if (id == ID_TARGET_SELECT)
    filter = settingValues[VAL_PROJECT_KIND] == PROJECT_KIND_KICAD6
                 ? "*.kicad_pro;*.pro\0*.kicad_pro;*.pro\0"
                 : "*.pro\0*.pro\0";
  size_t n = strnlen(settingTexts[v], FILE_NAME_SIZE);
  if (n < FILE_NAME_SIZE) {
    memcpy(fileName, settingTexts[v], n + 1);
  } else {
    fileName[0] = '\0';
  }
  if (uiOpenFileDialog(filter, fileName, FILE_NAME_SIZE)) {
    fileName[FILE_NAME_SIZE - 1] = '\0';
    setSettingText(v, fileName);
  }
}

// The radio buttons are not automatic: the old member's mark goes, the
// clicked one's comes.  Only a member of the same group loses its mark, so a
// stored value outside the group never clears some other control.
void selectRadio(int id) {
  const ControlRecord& row = controlTable[id];
  int32_t* value = &settingValues[row.valueIndex];
  int64_t previous = static_cast<int64_t>(*value) + row.groupBase;
  if (previous >= 0 && previous < CONTROL_COUNT &&
      controlTable[previous].kind == KIND_RADIO_BUTTON &&
      controlTable[previous].groupBase == row.groupBase)
    uiSetCheck(static_cast<int>(previous), false);
  *value = id - row.groupBase;
  uiSetCheck(id, true);
}

void toggleCheckBox(int id) {
  int32_t* value = &settingValues[controlTable[id].valueIndex];
  *value = *value == 0 ? 1 : 0;
  uiSetCheck(id, *value != 0);
}

void execute() {
  isRunning = 1;
  readBackEditTexts();
  uiEnableControl(ID_EXECUTE, false);
  runConversion();
  uiEnableControl(ID_EXECUTE, true);
  isRunning = 0;
}

// Opens the last run's report with the program the system associates with
// it; a report that cannot be opened (none yet, removed, or a path longer
// than a run ever writes) gives the "Error" box.
void openReport() {
  const char* report = settingTexts[TXT_REPORT_PATH];
  size_t n = strnlen(report, REPORT_PATH_MAX + 1);
  FILE* file = nullptr;
  if (n <= REPORT_PATH_MAX) {
    memcpy(reportName, report, n + 1);
    file = openForReading(reportName);
  }
  if (file == nullptr) {
    uiMessageBox(messageText(MSG_CANT_OPEN_CSV), "Error");
    return;
  }
  fclose(file);
  uiShellOpen(reportName);
}

bool changesOption(int id) {
  switch (id) {
    case ID_LANGUAGE:
    case ID_FILE_SELECT:
    case ID_CADVANCE: case ID_MM2_COLMO: case ID_PROTEL: case ID_TELESIS: case ID_CCF: case ID_PADS:
    case ID_TARGET_SELECT:
    case ID_KICAD_V5: case ID_KICAD_V6:
    case ID_OUTPUT_NAME_WITH_REV: return true;
    default: return false;
  }
}

}  // namespace

void handleCommand(int id, int notificationCode) {
  // Edit boxes report focus changes and edits with codes other than 0.
  if (notificationCode != 0) return;
  if (isRunning) {
    if (changesOption(id)) uiMessageBox(messageText(MSG_CANT_CHANGE_WHILE_RUNNING), "Parameter");
    return;
  }
  switch (id) {
    case ID_LANGUAGE: switchLanguage(); break;
    case ID_DEFAULT_SIZE: uiSizeMainWindow(defaultWindowWidth(), defaultWindowHeight()); break;
    case ID_FILE_SELECT:
    case ID_TARGET_SELECT: selectFile(id); break;
    case ID_CADVANCE: case ID_MM2_COLMO: case ID_PROTEL: case ID_TELESIS: case ID_CCF: case ID_PADS:
    case ID_KICAD_V5: case ID_KICAD_V6: selectRadio(id); break;
    case ID_OUTPUT_NAME_WITH_REV: toggleCheckBox(id); break;
    case ID_EXECUTE: execute(); break;
    case ID_OPEN_CSV: openReport(); break;
    default: break;  // "(RFU)" and everything else do nothing
  }
  if (id != ID_LANGUAGE && id != ID_DEFAULT_SIZE && id != ID_EXECUTE && id != ID_OPEN_CSV)
    settingTexts[TXT_RESULT_TEXT][0] = '\0';
  uiInvalidateAll();
}
