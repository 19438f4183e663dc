// Start-up to placed: the program with the example scenery, from its process
// start until the stand-in has answered every launch creation; and until the
// program has ended on the QUIT that the stand-in sends right after. Runs
// alternate between a SimConnect.cfg as users write it (Nagle's algorithm on,
// the default) and one with DisableNagle=1. For scale, in the same runs, the
// start and end of a process that does nothing.
#include <stdio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"

namespace {

constexpr int kRunsEach = 9;
constexpr double kLaunchMonth = 1;

double SpawnToExitMs(const std::string& program, const std::string& folder) {
  bench::Clock::time_point start = bench::Clock::now();
  pid_t pid = bench::StartProgram(program, folder);
  waitpid(pid, nullptr, 0);
  return bench::MsBetween(start, bench::Clock::now());
}

struct Figures {
  std::vector<double> placed, ended;
};

}  // namespace

int main() {
  std::string scratch = bench::MakeScratchFolder("startup-bench");
  int objects = bench::PrepareExampleScenery(scratch, kLaunchMonth);
  std::string placedLine = "objects " + std::to_string(objects);
  std::string scenario = "launch 1; " + placedLine + "; quit";
  printf("Start-up to placed: example scenery (%d objects at a launch in January)\n", objects);
  Figures figures[2];  // Nagle on (default), off
  std::vector<double> empty;
  for (int run = 0; run < 2 * kRunsEach; ++run) {
    bool noNagle = run % 2 == 1;
    bench::StandIn standIn;
    if (!bench::StartStandIn({"--scenario", scenario, "--timeout", "60"}, true, scratch,
                             &standIn)) {
      return 1;
    }
    bench::WriteSimConnectConfig(scratch, standIn.port, noNagle);
    bench::Clock::time_point start = bench::Clock::now(), done;
    pid_t program = bench::StartProgram(bench::ProgramFolder() + "/brindlewick", scratch);
    bool placedInTime = program > 0 && bench::WaitForLine(&standIn, placedLine, 10000, &done);
    if (program > 0) waitpid(program, nullptr, 0);
    bench::Clock::time_point end = bench::Clock::now();
    bench::FinishStandIn(&standIn, 5000);
    if (!placedInTime) {
      fprintf(stderr, "run %d: the program did not place the example scenery\n", run + 1);
      return 1;
    }
    figures[noNagle].placed.push_back(bench::MsBetween(start, done));
    figures[noNagle].ended.push_back(bench::MsBetween(start, end));
    empty.push_back(SpawnToExitMs("/bin/true", scratch));
    printf("  run %2d (%s): placed after %5.1f ms, ended after %5.1f ms; /bin/true %.1f ms\n",
           run + 1, noNagle ? "DisableNagle=1" : "default cfg   ", figures[noNagle].placed.back(),
           figures[noNagle].ended.back(), empty.back());
    fflush(stdout);
  }
  std::filesystem::remove_all(scratch);

  using bench::Describe;
  using bench::Summarize;
  bench::Summary base = Summarize(empty);
  for (int noNagle = 0; noNagle < 2; ++noNagle) {
    bench::Summary placed = Summarize(figures[noNagle].placed);
    printf("  %s\n",
           noNagle ? "SimConnect.cfg with DisableNagle=1:" : "SimConnect.cfg as users write it:");
    printf("    process start -> all creations answered:  %s\n",
           Describe(placed, "%.1f", "ms").c_str());
    printf("    process start -> ended on QUIT:            %s\n",
           Describe(Summarize(figures[noNagle].ended), "%.1f", "ms").c_str());
    printf("    placed / (start and end of /bin/true):     min %.1f / median %.1f\n",
           placed.min / base.min, placed.median / base.median);
  }
  printf("  start and end of /bin/true:                  %s\n",
         Describe(base, "%.1f", "ms").c_str());
  return 0;
}
