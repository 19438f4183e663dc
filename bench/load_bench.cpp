// Loading large sceneries: the program's loader against TinyXML's own parse of
// the same files (the floor for a loader built on it), and the loader's two
// parts of its own, the nesting check and the reading of a parsed document.
// Repetitions are interleaved at random so a busy spell on the machine does
// not fall on one benchmark alone; ratios come from the same run.
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <tinyxml.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "bench/placement_sets.h"
#include "os/os.h"
#include "placement/loader.h"
#include "placement/nesting.h"
#include "placement/store.h"

namespace {

struct Set {
  const char* label;
  int files;
  int entries;
};
const Set kSets[] = {{"1x100000", 1, 100000}, {"1000x100", 1000, 100}, {"2000x100", 2000, 100}};
constexpr int kSetCount = 3;

std::string SetFolder(const Set& set) {
  return (std::filesystem::temp_directory_path() / (std::string("brindlewick-bench-") + set.label))
      .string();
}

// Written once per run, before the first benchmark of the set; the loader's
// paths are relative, so each benchmark works in its set's folder.
const std::vector<std::string>& EnterSet(int index) {
  static std::vector<std::string> paths[kSetCount];
  static bool written[kSetCount];
  const Set& set = kSets[index];
  if (!written[index]) {
    std::filesystem::remove_all(SetFolder(set));
    paths[index] = bench::WritePlacementSet(SetFolder(set), set.files, set.entries, 2026);
    written[index] = true;
  }
  std::filesystem::current_path(SetFolder(set));
  return paths[index];
}

void ResetLoader() {
  ClearWorkingSetForTesting();
  delete placementStore;
  placementStore = CreatePlacementStore();
}

void ParseOnly(benchmark::State& state) {
  const std::vector<std::string>& paths = EnterSet(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    for (const std::string& path : paths) {
      TiXmlDocument document(os::NativePath(path).c_str());
      benchmark::DoNotOptimize(document.LoadFile());
    }
  }
}

void NestingCheck(benchmark::State& state) {
  const std::vector<std::string>& paths = EnterSet(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    for (const std::string& path : paths) {
      benchmark::DoNotOptimize(FileNestingIsSafe(os::NativePath(path)));
    }
  }
}

// The loader after the parse: checks, log lines, working set and store.
void ReadDocument(benchmark::State& state) {
  const std::vector<std::string>& paths = EnterSet(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    ResetLoader();
    for (const std::string& path : paths) {
      TiXmlDocument document(os::NativePath(path).c_str());
      document.LoadFile();
      state.ResumeTiming();
      ReadPlacementDocument(document);
      state.PauseTiming();
    }
    state.ResumeTiming();
  }
}

void ProgramLoad(benchmark::State& state) {
  const std::vector<std::string>& paths = EnterSet(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    ResetLoader();
    state.ResumeTiming();
    for (const std::string& path : paths) LoadPlacementFile(path.c_str());
  }
  state.counters["entries"] = static_cast<double>(placementStore->entryDirs.size());
}

double Min(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

void Configure(benchmark::internal::Benchmark* b) {
  b->DenseRange(0, kSetCount - 1)
      ->Unit(benchmark::kMillisecond)
      ->Iterations(1)
      ->Repetitions(5)
      ->ComputeStatistics("min", Min)
      ->DisplayAggregatesOnly();
}

}  // namespace

BENCHMARK(ParseOnly)->Apply(Configure);
BENCHMARK(NestingCheck)->Apply(Configure);
BENCHMARK(ReadDocument)->Apply(Configure);
BENCHMARK(ProgramLoad)->Apply(Configure);

namespace {

// Prints the runs as usual and keeps the minimum and median CPU times of each
// benchmark to print the ratios after. CPU time of the thread, because on a
// shared machine the wall clock also counts the time others had the core.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Aggregate) continue;
      std::string key = run.run_name.function_name + "/" + run.run_name.args;
      if (run.aggregate_name == "min") mins_[key] = run.GetAdjustedCPUTime();
      if (run.aggregate_name == "median") medians_[key] = run.GetAdjustedCPUTime();
    }
  }

  void PrintRatios() {
    std::ostream& out = GetOutputStream();
    out << "\nRatios of CPU times (min / median of the repetitions):\n";
    for (int i = 0; i < kSetCount; ++i) {
      std::string arg = "/" + std::to_string(i);
      Ratio(out, std::string("load/parse ") + kSets[i].label, "ProgramLoad" + arg,
            "ParseOnly" + arg, "target <= 1.5");
      Ratio(out, std::string("  nesting check/parse ") + kSets[i].label, "NestingCheck" + arg,
            "ParseOnly" + arg, "");
      Ratio(out, std::string("  reading/parse ") + kSets[i].label, "ReadDocument" + arg,
            "ParseOnly" + arg, "");
    }
    Ratio(out, "load 2000 files / 1000 files", "ProgramLoad/2", "ProgramLoad/1", "target <= 2.2");
    Ratio(out, "parse 2000 files / 1000 files", "ParseOnly/2", "ParseOnly/1", "");
  }

 private:
  void Ratio(std::ostream& out, const std::string& label, const std::string& top,
             const std::string& bottom, const char* target) {
    if (mins_[bottom] <= 0 || medians_[bottom] <= 0) return;
    char line[200];
    snprintf(line, sizeof line, "%-36s %6.3f / %6.3f  %s\n", label.c_str(),
             mins_[top] / mins_[bottom], medians_[top] / medians_[bottom], target);
    out << line;
  }

  std::map<std::string, double> mins_, medians_;
};

}  // namespace

int main(int argc, char** argv) {
  // The program's console log goes nowhere (its formatting cost stays in);
  // the report goes to standard error.
  if (!freopen("/dev/null", "w", stdout)) return 1;
  std::vector<char*> arguments(argv, argv + argc);
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  std::string plain = "--benchmark_color=false";
  arguments.insert(arguments.begin() + 1, {interleave.data(), plain.data()});
  int count = static_cast<int>(arguments.size());
  benchmark::Initialize(&count, arguments.data());
  RatioReporter reporter;
  reporter.SetOutputStream(&std::cerr);
  reporter.SetErrorStream(&std::cerr);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  std::filesystem::current_path(std::filesystem::temp_directory_path());
  for (const Set& set : kSets) std::filesystem::remove_all(SetFolder(set));
  return 0;
}
