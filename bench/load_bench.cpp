// Loading large sceneries: the program's loader against TinyXML's own loading
// of the same files (LoadFile: the floor for a loader built on it), and the
// loader's parts: reading a file into memory, walking its text with the
// nesting guard, TinyXML's Parse of that text, and reading the parsed document.
//
// The machine is shared, so the figures that are compared are measured side
// by side: every repetition times each pass of a comparison once, in turns
// (the order swaps from one repetition to the next), and reports the ratio;
// the summary gives the minimum and the median of those ratios. Times are CPU
// time of the thread: the wall clock also counts time others had the core.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <stdio.h>
#include <time.h>
#include <tinyxml.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "bench/placement_sets.h"
#include "os/os.h"
#include "placement/cut_character.h"
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

// Written once per run; the loader's paths are relative, so each pass works
// in its set's folder.
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

double ThreadCpuMs() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

// Freed memory is tidied up by the C library at the next large allocation,
// whoever makes it: after a document of 100,000 entries that is tens of
// milliseconds. Each pass tidies up after itself, inside its time, and starts
// on a tidy heap, as a program that has just started does.
void TidyHeap() {
#if defined(__GLIBC__)
  malloc_trim(0);
#endif
}

void ResetLoader() {
  ClearWorkingSetForTesting();
  delete placementStore;
  placementStore = CreatePlacementStore();
  TidyHeap();
}

// The program's loading of a set, from an empty store.
double LoadPass(int set) {
  const std::vector<std::string>& paths = EnterSet(set);
  ResetLoader();
  double start = ThreadCpuMs();
  for (const std::string& path : paths) LoadPlacementFile(path.c_str());
  TidyHeap();
  return ThreadCpuMs() - start;
}

// TinyXML alone: for every file a document made, LoadFile()d and freed.
double LoadFilePass(int set) {
  const std::vector<std::string>& paths = EnterSet(set);
  TidyHeap();
  double start = ThreadCpuMs();
  for (const std::string& path : paths) {
    TiXmlDocument document(os::NativePath(path).c_str());
    benchmark::DoNotOptimize(document.LoadFile());
  }
  TidyHeap();
  return ThreadCpuMs() - start;
}

// The loader's steps for every file, each timed on its own: the file read
// into memory as the parser's text, the walk of the nesting guard (with the
// look at how the text ends), TinyXML's Parse of that text (and freeing the
// document), and the reading of the parsed document.
struct Parts {
  double read = 0, walk = 0, parse = 0, reading = 0;
};

Parts PartsPass(int set) {
  const std::vector<std::string>& paths = EnterSet(set);
  ResetLoader();
  Parts parts;
  for (const std::string& path : paths) {
    std::string native = os::NativePath(path);
    double t0 = ThreadCpuMs();
    std::string text;
    ReadParserText(native, &text);
    double t1 = ThreadCpuMs();
    ParserWalk walk = WalkAsParser(text.c_str(), kMaxPlacementNesting);
    benchmark::DoNotOptimize(walk);
    benchmark::DoNotOptimize(EndsInCutCharacter(text.data(), text.size()));
    double t2 = ThreadCpuMs();
    TiXmlDocument* document = new TiXmlDocument(native.c_str());
    document->Parse(text.c_str());
    double t3 = ThreadCpuMs();
    ReadPlacementDocument(*document);
    double t4 = ThreadCpuMs();
    delete document;
    text = std::string();
    double t5 = ThreadCpuMs();
    parts.read += t1 - t0;
    parts.walk += t2 - t1;
    parts.parse += (t3 - t2) + (t5 - t4);
    parts.reading += t4 - t3;
  }
  double start = ThreadCpuMs();
  TidyHeap();
  parts.parse += ThreadCpuMs() - start;
  return parts;
}

// One set: TinyXML's LoadFile, the loader's parts, and the program's whole
// load, side by side.
void Loading(benchmark::State& state) {
  int set = static_cast<int>(state.range(0));
  static int turn = 0;
  double floor = 0, load = 0;
  Parts parts;
  for (auto _ : state) {
    if (turn++ % 2) {
      load = LoadPass(set);
      parts = PartsPass(set);
      floor = LoadFilePass(set);
    } else {
      floor = LoadFilePass(set);
      parts = PartsPass(set);
      load = LoadPass(set);
    }
    state.SetIterationTime(load / 1000.0);
  }
  state.counters["loadfile_ms"] = floor;
  state.counters["load_ms"] = load;
  state.counters["load/loadfile"] = load / floor;
  state.counters["read/loadfile"] = parts.read / floor;
  state.counters["walk/loadfile"] = parts.walk / floor;
  state.counters["parse/loadfile"] = parts.parse / floor;
  state.counters["reading/loadfile"] = parts.reading / floor;
  state.counters["parts/load"] = (parts.read + parts.walk + parts.parse + parts.reading) / load;
  state.SetLabel(kSets[set].label);
}

// Loading 2000 files against loading 1000 of the same kind.
void Scaling(benchmark::State& state) {
  static int turn = 0;
  double small = 0, large = 0;
  for (auto _ : state) {
    if (turn++ % 2) {
      large = LoadPass(2);
      small = LoadPass(1);
    } else {
      small = LoadPass(1);
      large = LoadPass(2);
    }
    state.SetIterationTime(large / 1000.0);
  }
  state.counters["1000_ms"] = small;
  state.counters["2000/1000"] = large / small;
  state.SetLabel("2000x100 against 1000x100");
}

double Min(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

template <typename B>
void Configure(B* b) {
  b->Unit(benchmark::kMillisecond)
      ->UseManualTime()
      ->Iterations(1)
      ->Repetitions(5)
      ->ComputeStatistics("min", Min)
      ->DisplayAggregatesOnly();
}

}  // namespace

BENCHMARK(Loading)->DenseRange(0, kSetCount - 1)->Apply([](auto* b) { Configure(b); });
BENCHMARK(Scaling)->Apply([](auto* b) { Configure(b); });

namespace {

// Prints the runs as usual and keeps the ratios' minimum and median to print
// them together after.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Aggregate) continue;
      std::string key = run.run_name.function_name + "/" + run.run_name.args;
      for (const auto& [name, counter] : run.counters) {
        if (run.aggregate_name == "min") mins_[key + " " + name] = counter.value;
        if (run.aggregate_name == "median") medians_[key + " " + name] = counter.value;
      }
    }
  }

  void PrintRatios() {
    std::ostream& out = GetOutputStream();
    out << "\nRatios of CPU times measured side by side (min / median of 5):\n";
    for (int i = 0; i < kSetCount; ++i) {
      std::string key = "Loading/" + std::to_string(i) + " ";
      Line(out, std::string("load/LoadFile ") + kSets[i].label, key + "load/loadfile",
           "target <= 1.5");
      Line(out, "  read/LoadFile", key + "read/loadfile", "");
      Line(out, "  walk/LoadFile", key + "walk/loadfile", "");
      Line(out, "  Parse/LoadFile", key + "parse/loadfile", "");
      Line(out, "  reading/LoadFile", key + "reading/loadfile", "");
      Line(out, "  sum of the parts/load", key + "parts/load", "");
    }
    Line(out, "load 2000 files / 1000 files", "Scaling/ 2000/1000", "target <= 2.2");
  }

 private:
  void Line(std::ostream& out, const std::string& label, const std::string& key,
            const char* target) {
    if (medians_.count(key) == 0) return;
    char line[200];
    snprintf(line, sizeof line, "%-30s %6.3f / %6.3f  %s\n", label.c_str(), mins_[key],
             medians_[key], target);
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
  std::string plain = "--benchmark_color=false";
  arguments.insert(arguments.begin() + 1, plain.data());
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
