// korvandelith-cli: runs one conversion exactly as "Execute" does in the
// window and prints the result text.
//
// The option store starts as the window starts it (the settings file, then
// the two corrections); the options given on the command line then apply in
// their order, and the run reads everything from the store.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "netlist/large_tables.h"
#include "netlist/losses.h"
#include "options/options.h"
#include "options/settings_file.h"
#include "readers/formats.h"
#include "run/platform.h"
#include "run/run.h"

namespace {

enum : int { PATH_BUFFER = 1000 };

const char usageText[] =
    "Usage: korvandelith-cli [OPTION]...\n"
    "Converts a netlist of another CAD system into a KiCad netlist and a report,\n"
    "as the window's \"Execute\" does, and prints the result text.\n"
    "\n"
    "  --settings FILE        start from this settings file (default: Korvandelith.ini\n"
    "                         in the current directory, when it exists)\n"
    "  --input FILE           the input netlist\n"
    "  --format NAME          %s,\n"
    "                         a number, or auto (picked from the file's content)\n"
    "  --project FILE         the KiCad project file (*.pro; for KiCad 6 and later\n"
    "                         also *.kicad_pro)\n"
    "  --category FILE        the category part file\n"
    "  --no-mount TEXT        the no-mount marks\n"
    "  --version-select TEXT  the version filter of the category part file\n"
    "  --format-option TEXT   the format option (0 to 3)\n"
    "  --rev, --no-rev        keep, or do not keep, a numbered copy of the netlist\n"
    "  --language ja|en|0|1   the language of the messages\n"
    "  --project-kind KIND    the target: kicad5 or 0 = KiCad(v5), kicad6 or 1 =\n"
    "                         KiCad 6 and later (UTF-8 netlist), or a number\n"
    "  --save                 write the settings file back after the run\n"
    "  --strict               exit with 3 when a completed run gave any warning\n"
    "  -h, --help             show this help\n"
    "  --version              show the version\n"
    "\n"
    "Exit status: 0 when the run completed, 1 when it reported anything else\n"
    "(or its result could not be written), 2 for a usage error, 3 under --strict\n"
    "when a completed run gave a warning.\n";

// The usage text, with the format names of the format table.
void printUsage(FILE* out) { fprintf(out, usageText, formatNameList()); }

int usageError(const char* message, const char* argument) {
  fprintf(stderr, "korvandelith-cli: %s%s\n", message, argument);
  printUsage(stderr);
  return 2;
}

// A whole 32-bit decimal integer, optionally signed.
bool parseInteger(const char* text, int32_t* value) {
  if (text[0] == '\0') return false;
  char* end = nullptr;
  errno = 0;
  long long n = strtoll(text, &end, 10);
  if (*end != '\0' || errno != 0 || n < INT32_MIN || n > INT32_MAX) return false;
  if (text[0] == ' ' || (text[0] >= '\t' && text[0] <= '\r')) return false;
  *value = static_cast<int32_t>(n);
  return true;
}

enum : int32_t { FORMAT_AUTO = -1000 };  // "--format auto": picked from the input's content

bool parseFormat(const char* text, int32_t* value) {
  if (strcmp(text, "auto") == 0) {
    *value = FORMAT_AUTO;
    return true;
  }
  const FormatRow* row = formatNamed(text);
  if (row == nullptr) return parseInteger(text, value);
  *value = row->inputFormat;
  return true;
}

// Picks the input format of the file at `path` from its first bytes and names
// it on standard error.  Returns 0, or 2 (a usage error, said in one line).
int detectInputFormat(const char* path) {
  LARGE_TABLE(5) static ByteSource source;
  FILE* file = openRegularFile(path);
  if (file == nullptr) {
    fprintf(stderr, "korvandelith-cli: --format auto: cannot read the input file %s\n", path);
    return 2;
  }
  openByteSource(&source, file);
  Detection d = detectFormat(&source);
  fclose(file);
  if (d.outcome == DETECT_NO_MATCH) {
    fprintf(stderr, "korvandelith-cli: --format auto: the input matches no known format: %s\n",
            path);
    return 2;
  }
  if (d.outcome == DETECT_TIE) {
    fprintf(stderr, "korvandelith-cli: --format auto: the input matches %s and %s equally: %s\n",
            formatTable[d.inputFormat].name, formatTable[d.otherFormat].name, path);
    return 2;
  }
  settingValues[VAL_INPUT_FORMAT] = d.inputFormat;
  fprintf(stderr, "korvandelith-cli: --format auto: %s\n", formatTable[d.inputFormat].name);
  return 0;
}

bool parseProjectKind(const char* text, int32_t* value) {
  if (strcmp(text, "kicad5") == 0) *value = PROJECT_KIND_KICAD5;
  else if (strcmp(text, "kicad6") == 0) *value = PROJECT_KIND_KICAD6;
  else return parseInteger(text, value);
  return true;
}

const char* const optionsWithValue[] = {
    "--settings", "--input", "--format", "--project", "--category", "--no-mount",
    "--version-select", "--format-option", "--language", "--project-kind"};

bool takesValue(const char* option) {
  for (const char* name : optionsWithValue)
    if (strcmp(option, name) == 0) return true;
  return false;
}

// The current directory joined with `name` into buf of `size` bytes; false,
// with buf empty, when the directory cannot be found or the result does not
// fit.
bool pathInCurrentDirectory(const char* name, char* buf, int size) {
  buf[0] = '\0';
  char cwd[4096];
  if (!currentDirectory(cwd, sizeof cwd)) return false;
  size_t dirLen = strlen(cwd);
  const char separator[2] = {PATH_SEPARATOR, '\0'};
  bool needSeparator = dirLen == 0 || !isPathSeparator(cwd[dirLen - 1]);
  int written = snprintf(buf, static_cast<size_t>(size), "%s%s%s", cwd,
                         needSeparator ? separator : "", name);
  if (written < 0 || written >= size) {
    buf[0] = '\0';
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  prepareTableMemory();
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  // First pass: help, version, the settings file, and every usage error, so
  // that a bad command line runs nothing.
  const char* settingsArgument = nullptr;
  bool save = false;
  bool strict = false;
  for (int i = 1; i < argc; i++) {
    const char* arg = argv[i];
    if (strcmp(arg, "-h") == 0 || strcmp(arg, "--help") == 0) {
      printUsage(stdout);
      return 0;
    }
    if (strcmp(arg, "--version") == 0) {
      fputs("Korvandelith R1.20\n", stdout);
      return 0;
    }
    if (strcmp(arg, "--rev") == 0 || strcmp(arg, "--no-rev") == 0) continue;
    if (strcmp(arg, "--save") == 0) {
      save = true;
      continue;
    }
    if (strcmp(arg, "--strict") == 0) {
      strict = true;
      continue;
    }
    if (!takesValue(arg)) return usageError("unknown argument: ", arg);
    if (i + 1 >= argc) return usageError("missing value for ", arg);
    const char* value = argv[++i];
    int32_t number;
    if (strcmp(arg, "--settings") == 0) settingsArgument = value;
    if (strcmp(arg, "--format") == 0 && !parseFormat(value, &number))
      return usageError("bad --format value: ", value);
    if (strcmp(arg, "--project-kind") == 0 && !parseProjectKind(value, &number))
      return usageError("bad --project-kind value: ", value);
    if (strcmp(arg, "--language") == 0 && strcmp(value, "ja") != 0 && strcmp(value, "en") != 0 &&
        strcmp(value, "0") != 0 && strcmp(value, "1") != 0)
      return usageError("bad --language value: ", value);
  }

  static char settingsPath[PATH_BUFFER];
  static char categoryPath[PATH_BUFFER];
  pathInCurrentDirectory("Korvandelith.csv", categoryPath, PATH_BUFFER);
  if (settingsArgument != nullptr) {
    startSettings(settingsArgument, categoryPath);
  } else {
    if (!pathInCurrentDirectory("Korvandelith.ini", settingsPath, PATH_BUFFER))
      snprintf(settingsPath, sizeof settingsPath, "Korvandelith.ini");
    startSettings(fileExists(settingsPath) ? settingsPath : nullptr, categoryPath);
  }

  // Second pass: the options in the order given.
  for (int i = 1; i < argc; i++) {
    const char* arg = argv[i];
    if (strcmp(arg, "--rev") == 0) settingValues[VAL_OUTPUT_NAME_WITH_REV] = 1;
    if (strcmp(arg, "--no-rev") == 0) settingValues[VAL_OUTPUT_NAME_WITH_REV] = 0;
    if (!takesValue(arg)) continue;
    const char* value = argv[++i];
    int32_t number = 0;
    if (strcmp(arg, "--input") == 0) setSettingText(TXT_INPUT_NETLIST_PATH, value);
    else if (strcmp(arg, "--project") == 0) setSettingText(TXT_PROJECT_PATH, value);
    else if (strcmp(arg, "--category") == 0) setSettingText(TXT_CATEGORY_CSV_PATH, value);
    else if (strcmp(arg, "--no-mount") == 0) setSettingText(TXT_NO_MOUNT_SYMBOL, value);
    else if (strcmp(arg, "--version-select") == 0) setSettingText(TXT_VERSION_SELECT, value);
    else if (strcmp(arg, "--format-option") == 0) setSettingText(TXT_FORMAT_OPTION, value);
    else if (strcmp(arg, "--format") == 0 && parseFormat(value, &number))
      settingValues[VAL_INPUT_FORMAT] = number;
    else if (strcmp(arg, "--project-kind") == 0 && parseProjectKind(value, &number))
      settingValues[VAL_PROJECT_KIND] = number;
    else if (strcmp(arg, "--language") == 0)
      settingValues[VAL_LANGUAGE] = (strcmp(value, "en") == 0 || strcmp(value, "1") == 0) ? 1 : 0;
  }

  if (settingValues[VAL_INPUT_FORMAT] == FORMAT_AUTO) {
    int status = detectInputFormat(settingTexts[TXT_INPUT_NETLIST_PATH]);
    if (status != 0) return status;
  }
  runConversion();

  const char* result = settingTexts[TXT_RESULT_TEXT];
  size_t len = strlen(result);
  int status = (len >= 10 && strcmp(result + len - 10, "Completed\n") == 0) ? 0 : 1;
  if (strict && status == 0 && anyLoss()) status = 3;
  if (fwrite(result, 1, len, stdout) != len || fflush(stdout) != 0) {
    fputs("korvandelith-cli: cannot write the result to standard output\n", stderr);
    status = 1;
  }

  const char* savePath = settingsArgument != nullptr ? settingsArgument : settingsPath;
  if (save && !writeSettingsFile(savePath)) {
    fprintf(stderr, "korvandelith-cli: cannot write the settings file %s\n", savePath);
    status = 1;
  }
  return status;
}
