// Idle cost: the program, its example scenery placed, connected to the
// stand-in with nothing happening. Its CPU time (user + system, from
// /proc/PID/stat) over 60 s, in windows of 10 s, as a share of one core.
// Beside it, in the same windows, a process that only sleeps 1 ms in a loop:
// the floor any program polling every millisecond pays on this machine.
#include <signal.h>
#include <stdio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_support.h"
#include "os/os.h"

namespace {

constexpr int kWindows = 6;
constexpr int kWindowSeconds = 10;
constexpr double kLaunchMonth = 1;

// Context switches the process asked for: one per sleep, so one per pass.
long VoluntarySwitches(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("voluntary_ctxt_switches:", 0) == 0) return std::stol(line.substr(24));
  }
  return -1;
}

pid_t StartSleepLoop() {
  pid_t pid = fork();
  if (pid != 0) return pid;
  for (;;) os::SleepMilliseconds(1);
}

void Stop(pid_t pid) {
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

}  // namespace

int main() {
  std::string scratch = bench::MakeScratchFolder("idle-bench");
  int objects = bench::PrepareExampleScenery(scratch, kLaunchMonth);
  std::string scenario = "launch 1; objects " + std::to_string(objects) + "; wait 3600000";
  bench::StandIn standIn;
  if (!bench::StartStandIn({"--scenario", scenario, "--timeout", "600"}, true, scratch, &standIn)) {
    return 1;
  }
  bench::WriteSimConnectConfig(scratch, standIn.port);
  pid_t program = bench::StartProgram(bench::ProgramFolder() + "/brindlewick", scratch);
  bench::Clock::time_point placed;
  if (program < 0 ||
      !bench::WaitForLine(&standIn, "objects " + std::to_string(objects), 10000, &placed)) {
    fprintf(stderr, "the program did not place the example scenery\n");
    if (program > 0) Stop(program);
    bench::FinishStandIn(&standIn, 0);
    return 1;
  }
  // Let the log of the creations drain before measuring.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  pid_t floor = StartSleepLoop();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));

  printf(
      "Idle cost: the program connected to sim-standin, %d objects placed, nothing happening;\n"
      "  %d windows of %d s; beside it a process that only sleeps 1 ms in a loop\n",
      objects, kWindows, kWindowSeconds);
  std::vector<double> shares, floorShares, ratios, perPass;
  bench::Clock::time_point start = bench::Clock::now();
  double cpu = bench::ProcessCpuMs(program), floorCpu = bench::ProcessCpuMs(floor);
  long passes = VoluntarySwitches(program);
  long firstPasses = passes;
  double total = 0, floorTotal = 0;
  for (int w = 1; w <= kWindows; ++w) {
    std::this_thread::sleep_until(start + std::chrono::seconds(w * kWindowSeconds));
    bench::Clock::time_point now = bench::Clock::now();
    double wall = bench::MsBetween(start + std::chrono::seconds((w - 1) * kWindowSeconds), now);
    double nextCpu = bench::ProcessCpuMs(program), nextFloor = bench::ProcessCpuMs(floor);
    long nextPasses = VoluntarySwitches(program);
    if (nextCpu < 0) {
      fprintf(stderr, "the program ended while idle\n");
      Stop(floor);
      bench::FinishStandIn(&standIn, 0);
      return 1;
    }
    double share = 100.0 * (nextCpu - cpu) / wall;
    double floorShare = 100.0 * (nextFloor - floorCpu) / wall;
    double passRate = (nextPasses - passes) * 1000.0 / wall;
    double usPerPass = passRate > 0 ? share * 10000.0 / passRate : 0;
    printf(
        "  window %d: program %.2f %% of a core (%.0f passes/s, %.1f us each); "
        "sleep-only loop %.2f %%\n",
        w, share, passRate, usPerPass, floorShare);
    fflush(stdout);
    shares.push_back(share);
    floorShares.push_back(floorShare);
    if (floorShare > 0) ratios.push_back(share / floorShare);
    perPass.push_back(usPerPass);
    total += nextCpu - cpu;
    floorTotal += nextFloor - floorCpu;
    cpu = nextCpu;
    floorCpu = nextFloor;
    passes = nextPasses;
  }
  double seconds = bench::MsBetween(start, bench::Clock::now()) / 1000.0;
  Stop(program);
  Stop(floor);
  bench::FinishStandIn(&standIn, 0);
  std::filesystem::remove_all(scratch);

  using bench::Describe;
  using bench::Summarize;
  printf("  program CPU share, all %.0f s:   %.2f %% of a core  (target < 1 %%)\n", seconds,
         total / seconds / 10.0);
  printf("  program CPU share per window:  %s\n", Describe(Summarize(shares), "%.2f", "%").c_str());
  printf("  program CPU per pass:          %s\n",
         Describe(Summarize(perPass), "%.1f", "us").c_str());
  printf("  sleep-only loop, all %.0f s:    %.2f %% of a core\n", seconds,
         floorTotal / seconds / 10.0);
  printf("  program / sleep-only loop:     %s\n", Describe(Summarize(ratios), "%.2f", "").c_str());
  // What the program adds to the sleep: its dispatch call, one read.
  printf("  program's own part per pass:   %.2f us (program minus sleep-only loop, all %.0f s)\n",
         (total - floorTotal) * 1000.0 / static_cast<double>(passes - firstPasses), seconds);
  return 0;
}
