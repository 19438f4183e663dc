// Loading large sceneries: the program's loader against TinyXML's own parse of
// the same files (the floor for a loader built on it), measured in one run.
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <tinyxml.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "bench/placement_sets.h"
#include "os/os.h"
#include "placement/loader.h"
#include "placement/store.h"

namespace {

struct Set {
  const char* label;
  int files;
  int entries;
};
const Set kSets[] = {{"1x100000", 1, 100000}, {"1000x100", 1000, 100}, {"2000x100", 2000, 100}};

std::string SetFolder(const Set& set) {
  return (std::filesystem::temp_directory_path() / (std::string("brindlewick-bench-") + set.label))
      .string();
}

std::vector<std::string> Prepare(const Set& set) {
  std::filesystem::remove_all(SetFolder(set));
  return bench::WritePlacementSet(SetFolder(set), set.files, set.entries, 2026);
}

void ParseOnly(benchmark::State& state) {
  const Set& set = kSets[state.range(0)];
  std::vector<std::string> paths = Prepare(set);
  std::filesystem::current_path(SetFolder(set));
  for (auto _ : state) {
    for (const std::string& path : paths) {
      TiXmlDocument document(os::NativePath(path).c_str());
      benchmark::DoNotOptimize(document.LoadFile());
    }
  }
  state.SetLabel(set.label);
}

void ProgramLoad(benchmark::State& state) {
  const Set& set = kSets[state.range(0)];
  std::vector<std::string> paths = Prepare(set);
  std::filesystem::current_path(SetFolder(set));
  for (auto _ : state) {
    state.PauseTiming();
    ClearWorkingSetForTesting();
    delete placementStore;
    placementStore = CreatePlacementStore();
    state.ResumeTiming();
    for (const std::string& path : paths) LoadPlacementFile(path.c_str());
  }
  state.counters["entries"] = static_cast<double>(placementStore->entryDirs.size());
  state.SetLabel(set.label);
}

}  // namespace

BENCHMARK(ParseOnly)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(ProgramLoad)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->MinTime(2);

namespace {

// Prints each run as usual and keeps the times to print the ratios after.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
  }
  void PrintRatios() {
    std::ostream& out = GetOutputStream();
    for (int i = 0; i < 3; ++i) {
      std::string arg = "/" + std::to_string(i);
      double parse = times_["ParseOnly" + arg], load = times_["ProgramLoad" + arg];
      if (parse > 0) {
        out << "load/parse " << kSets[i].label << ": " << load / parse << " (target <= 1.5)\n";
      }
    }
    double t1000 = times_["ProgramLoad/1"], t2000 = times_["ProgramLoad/2"];
    if (t1000 > 0) out << "2000 files / 1000 files: " << t2000 / t1000 << " (target <= 2.2)\n";
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  // The program's console log goes nowhere (its formatting cost stays in);
  // the report goes to standard error.
  if (!freopen("/dev/null", "w", stdout)) return 1;
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  reporter.SetOutputStream(&std::cerr);
  reporter.SetErrorStream(&std::cerr);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  return 0;
}
