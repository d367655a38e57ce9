// Report numbers taken by exclusive creation of the report's temporary file.
#include "run/report_claim.h"

#include "run/platform.h"

FILE* claimReport(const char* inputPath, ReportNames* names, OutputFile* file,
                  bool* replacesExisting, const char** failedPath) {
  *replacesExisting = false;
  *failedPath = names->reportPath;
  int number = (names->number[0] - '0') * 10 + (names->number[1] - '0');
  for (; number <= 99; number++) {
    names->number[0] = static_cast<char>('0' + number / 10);
    names->number[1] = static_cast<char>('0' + number % 10);
    snprintf(names->reportPath, sizeof names->reportPath, "%s_f%s.csv", inputPath, names->number);
    bool taken = false;
    FILE* report = claimOutput(file, names->reportPath, &taken);
    if (report == nullptr) {
      if (taken && number < 99) continue;  // another run writes this number now
      if (taken) *failedPath = file->temp;
      return nullptr;
    }
    // A run that finished this number since the listing was made.
    FileIdentity existing;
    bool exists = identityOfPath(names->reportPath, &existing);
    if (exists && (number < 99 || !fileExists(names->reportPath))) {
      fclose(report);
      discardOutput(file);
      if (number < 99) continue;
      return nullptr;  // a directory stands at the last number
    }
    *replacesExisting = exists;
    return report;
  }
  return nullptr;
}
