// Whole-or-nothing outputs: temporary files beside their targets.
#include "run/output_file.h"

#include <cstring>

#include "run/platform.h"

namespace {

enum : int { TEMP_ATTEMPTS = 100 };

// target + suffix into buf; false when it does not fit.
bool formName(char* buf, const char* target, const char* suffix) {
  size_t a = strlen(target);
  size_t b = strlen(suffix);
  if (a + b + 1 > OUTPUT_PATH_SIZE) return false;
  memcpy(buf, target, a);
  memcpy(buf + a, suffix, b + 1);
  return true;
}

// ".<process>.tmp", then ".<process>-<attempt>.tmp" for later attempts.
void tempSuffix(char* buf, unsigned long process, int attempt) {
  char digits[24];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + process % 10);
    process /= 10;
  } while (process != 0);
  char* p = buf;
  *p++ = '.';
  while (n > 0) *p++ = digits[--n];
  if (attempt > 0) {
    *p++ = '-';
    if (attempt >= 10) *p++ = static_cast<char>('0' + attempt / 10);
    *p++ = static_cast<char>('0' + attempt % 10);
  }
  strcpy(p, ".tmp");
}

}  // namespace

void resetOutput(OutputFile* out) {
  out->target[0] = '\0';
  out->temp[0] = '\0';
  out->pending = false;
}

FILE* beginOutput(OutputFile* out, const char* path) {
  resetOutput(out);
  if (!resolveLink(path, out->target, OUTPUT_PATH_SIZE) && !formName(out->target, path, ""))
    return nullptr;
  FILE* inPlace = nullptr;
  int kind = examineOutputTarget(out->target, &inPlace);
  if (kind == TARGET_REFUSED) return nullptr;
  if (kind == TARGET_IN_PLACE) return inPlace;
  unsigned long process = processNumber();
  for (int attempt = 0; attempt < TEMP_ATTEMPTS; attempt++) {
    char suffix[48];
    tempSuffix(suffix, process, attempt);
    if (!formName(out->temp, out->target, suffix)) break;
    bool taken = false;
    FILE* file = createNewFile(out->temp, &taken);
    if (file != nullptr) {
      if (kind == TARGET_FILE) keepPermissions(file, out->target);
      out->pending = true;
      return file;
    }
    if (!taken) break;  // the directory is missing or cannot be written
  }
  out->temp[0] = '\0';
  return nullptr;
}

FILE* claimOutput(OutputFile* out, const char* path, bool* taken) {
  resetOutput(out);
  *taken = false;
  if (!formName(out->target, path, "") || !formName(out->temp, path, ".tmp")) return nullptr;
  FILE* file = createNewFile(out->temp, taken);
  out->pending = file != nullptr;
  return file;
}

bool commitOutput(OutputFile* out) {
  if (!out->pending) return true;  // written in place
  out->pending = false;
  if (replaceFile(out->temp, out->target)) return true;
  removeFile(out->temp);
  return false;
}

void discardOutput(OutputFile* out) {
  if (out->pending) removeFile(out->temp);
  out->pending = false;
}
