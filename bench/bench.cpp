// Benchmarks: every reader over a full-capacity netlist held in memory, and
// a whole conversion run (category file, previous report, reader,
// reconciliation, report, KiCad netlist) on the generated files.
// KORV_BENCH_DATA names the folder that korv-bench-generate filled.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "netlist/model.h"
#include "options/options.h"
#include "readers/formats.h"
#include "run/run.h"

namespace {



std::string dataDir() {
  const char* dir = getenv("KORV_BENCH_DATA");
  return dir != nullptr ? dir : "bench-data";
}

std::string slurp(const std::string& path) {
  std::string bytes;
  FILE* f = fopen(path.c_str(), "rb");
  if (f == nullptr) return bytes;
  char block[65536];
  size_t n;
  while ((n = fread(block, 1, sizeof block, f)) > 0) bytes.append(block, n);
  fclose(f);
  return bytes;
}

ByteSource source;

void readerBenchmark(benchmark::State& state, ReadFunction reader, const char* file, int option) {
  std::string bytes = slurp(dataDir() + "/" + file);
  if (bytes.empty()) {
    state.SkipWithError("no data: run korv-bench-generate first");
    return;
  }
  int result = 0;
  for (auto _ : state) {
    startNetlistTables();  // as every run starts: the texts of the last read go back
    openMemorySource(&source, bytes.data(), bytes.size());
    int nodes = 0;
    result = reader(&source, partTable, nodeTable, &nodes, option);
    benchmark::DoNotOptimize(result);
  }
  state.counters["parts"] = result;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

void conversionBenchmark(benchmark::State& state, int format, const char* file) {
  std::string dir = dataDir();
  std::string input = dir + "/" + file;
  std::string report = input + "_f01.csv";
  resetSettings();
  settingValues[VAL_INPUT_FORMAT] = format;
  setSettingText(TXT_INPUT_NETLIST_PATH, input.c_str());
  setSettingText(TXT_PROJECT_PATH, (dir + "/board.pro").c_str());
  setSettingText(TXT_CATEGORY_CSV_PATH, (dir + "/parts.csv").c_str());
  setSettingText(TXT_FORMAT_OPTION, "1");
  for (auto _ : state) {
    runConversion();
    state.PauseTiming();
    unlink(report.c_str());
    state.ResumeTiming();
  }
  const char* result = settingTexts[TXT_RESULT_TEXT];
  if (std::string(result).find("Completed") == std::string::npos) state.SkipWithError(result);
}

}  // namespace

BENCHMARK_CAPTURE(readerBenchmark, pads, readPadsNetlist, "board.pads", 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readerBenchmark, cadvance, readCadvanceNetlist, "board.cadvance", 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readerBenchmark, mm2colmo, readMm2ColmoNetlist, "board.mm2", 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readerBenchmark, protel, readProtelNetlist, "board.protel", 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readerBenchmark, protel_grouped, readProtelNetlist, "board.protel_grouped", 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readerBenchmark, protel_alternating, readProtelNetlist, "board.protel_alternating", 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readerBenchmark, telesis, readTelesisNetlist, "board.telesis", 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readerBenchmark, ccf, readCcfNetlist, "board.ccf", 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(conversionBenchmark, pads, 6, "board.pads")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(conversionBenchmark, cadvance, 0, "board.cadvance")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(conversionBenchmark, mm2colmo, 1, "board.mm2")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(conversionBenchmark, protel, 3, "board.protel")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(conversionBenchmark, telesis, 4, "board.telesis")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(conversionBenchmark, ccf, 5, "board.ccf")->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
