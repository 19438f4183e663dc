// A season switch of a large scenery, through the network client, against the
// stand-in simulator in its own process. 100,000 variants: 50,000 entries,
// each with a summer and a hard-winter variant. The launch in July creates
// 50,000 objects; a flight start in January then removes those and creates
// the other 50,000: 100,000 requests.
//
// The program's own connection code runs unchanged (RunSimConnection with its
// 1 ms poll); the link wraps SimConnect_CallDispatch so each message can be
// timed on its way to the program's handler.
#include <stdio.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "placement/store.h"
#include "season/season_switch.h"
#include "sim/connection.h"
#include "simconnect/simconnect.h"

namespace {

constexpr int kEntries = 50000;
constexpr int kVariants = 2 * kEntries;
constexpr int kRuns = 5;

// One run's moments, taken as the messages pass.
struct Timing {
  bench::Clock::time_point reply[2];   // the month reply: at launch, at flight start
  bench::Clock::time_point sent[2];    // the switch it started has sent its last request
  bench::Clock::time_point lastId[2];  // its last assigned ID has arrived
  double cpuMs[2] = {0, 0};            // the program's CPU time while its switch sent
  double standInCpuMs[2] = {0, 0};     // the stand-in's at the flight-start reply, last ID
  int ids = 0;                         // assigned IDs so far
  int exceptions = 0;
  int switches = 0;
};
Timing timing;

DispatchProc programDispatch = nullptr;
pid_t standInPid = -1;

double OwnCpuMs() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

void SIMCONNECT_CALL TimedDispatch(SIMCONNECT_RECV* data, DWORD size, void* context) {
  if (data->dwID == SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE && timing.switches < 2) {
    // The handler runs the whole switch before it returns.
    int s = timing.switches++;
    if (s == 1) timing.standInCpuMs[0] = bench::ProcessCpuMs(standInPid);
    timing.reply[s] = bench::Clock::now();
    double cpu = OwnCpuMs();
    programDispatch(data, size, context);
    timing.sent[s] = bench::Clock::now();
    timing.cpuMs[s] = OwnCpuMs() - cpu;
    return;
  }
  if (data->dwID == SIMCONNECT_RECV_ID_EXCEPTION) ++timing.exceptions;
  programDispatch(data, size, context);
  if (data->dwID == SIMCONNECT_RECV_ID_ASSIGNED_OBJECT_ID) {
    ++timing.ids;
    if (timing.ids == kEntries) timing.lastId[0] = bench::Clock::now();
    if (timing.ids == 2 * kEntries) {
      timing.lastId[1] = bench::Clock::now();
      timing.standInCpuMs[1] = bench::ProcessCpuMs(standInPid);
    }
  }
}

}  // namespace

extern "C" HRESULT SIMCONNECT_CALL __real_SimConnect_CallDispatch(HANDLE, DispatchProc, void*);

extern "C" HRESULT SIMCONNECT_CALL __wrap_SimConnect_CallDispatch(HANDLE handle,
                                                                  DispatchProc dispatch,
                                                                  void* context) {
  programDispatch = dispatch;
  return __real_SimConnect_CallDispatch(handle, TimedDispatch, context);
}

namespace {

PlacementStore MakeStore() {
  PlacementStore store;
  std::mt19937 random(2026);
  std::uniform_real_distribution<double> lat(-60, 70), lon(-180, 180), alt(0, 3000);
  for (int k = 0; k < kEntries; ++k) {
    store.entryDirs.push_back("Generated entry " + std::to_string(k));
    store.entryLatitudes.push_back(lat(random));
    store.entryLongitudes.push_back(lon(random));
    store.entryAltitudes.push_back(alt(random));
    store.variantCounts.push_back(2);
    store.variantTypes.push_back("SU");
    store.variantTitles.push_back("Quillmar Summer Object " + std::to_string(random() % 400));
    store.variantTypes.push_back("HW");
    store.variantTitles.push_back("Quillmar Winter Object " + std::to_string(random() % 400));
  }
  return store;
}

struct RunFigures {
  double launchSentMs, launchIdMs, switchSentMs, switchIdMs, requestsPerSecond;
  double cpuPerRequestUs, standInCpuPerPacketUs;
};

bool RunOnce(const PlacementStore& scenery, const std::string& scratch, RunFigures* figures) {
  std::string scenario = "launch 7; objects " + std::to_string(kEntries) +
                         "; flight 1; settle 300; objects " + std::to_string(kEntries) + "; quit";
  bench::StandIn standIn;
  if (!bench::StartStandIn(
          {"--scenario", scenario, "--max-objects", std::to_string(kVariants), "--timeout", "120"},
          false, scratch, &standIn)) {
    return false;
  }
  bench::WriteSimConnectConfig(scratch, standIn.port);
  std::filesystem::current_path(scratch);
  standInPid = standIn.pid;

  ResetConnectionStateForTesting();
  placementStore = new PlacementStore(scenery);
  objectIds = CreateObjectIdTable(placementStore->variantTitles.size());
  timing = Timing();
  bool connected = RunSimConnection() == ConnectionEnd::kQuit;
  bench::FinishStandIn(&standIn, 10000);
  if (!connected || timing.switches < 2 || timing.ids < 2 * kEntries) {
    fprintf(stderr, "run incomplete: %d month replies, %d of %d assigned IDs, %d exceptions\n",
            timing.switches, timing.ids, 2 * kEntries, timing.exceptions);
    return false;
  }
  if (timing.exceptions > 0) fprintf(stderr, "%d exceptions came back\n", timing.exceptions);
  figures->launchSentMs = bench::MsBetween(timing.reply[0], timing.sent[0]);
  figures->launchIdMs = bench::MsBetween(timing.reply[0], timing.lastId[0]);
  figures->switchSentMs = bench::MsBetween(timing.reply[1], timing.sent[1]);
  figures->switchIdMs = bench::MsBetween(timing.reply[1], timing.lastId[1]);
  figures->requestsPerSecond = kVariants / (figures->switchSentMs / 1000.0);
  figures->cpuPerRequestUs = timing.cpuMs[1] * 1000.0 / kVariants;
  // From the flight-start reply to the last ID it handled the switch's
  // packets and little else (its step reports come before and after).
  figures->standInCpuPerPacketUs =
      (timing.standInCpuMs[1] - timing.standInCpuMs[0]) * 1000.0 / kVariants;
  return true;
}

}  // namespace

int main() {
  // The program's console log goes nowhere (its formatting cost stays in);
  // the report goes to standard error.
  if (!freopen("/dev/null", "w", stdout)) return 1;
  std::string scratch = bench::MakeScratchFolder("switch-bench");
  PlacementStore scenery = MakeStore();
  fprintf(stderr,
          "Season switch: %d variants (%d entries, SU + HW), network client against sim-standin\n"
          "  launch in July: %d creations; flight start in January: %d removals + %d creations\n",
          kVariants, kEntries, kEntries, kEntries, kEntries);
  std::vector<double> launchSent, launchId, switchSent, switchId, rate, cpu, standInCpu;
  for (int run = 1; run <= kRuns; ++run) {
    RunFigures f;
    if (!RunOnce(scenery, scratch, &f)) return 1;
    fprintf(stderr,
            "  run %d: launch sent %.0f ms, last ID %.0f ms; switch sent %.0f ms (%.0f requests/s),"
            " last ID %.0f ms\n",
            run, f.launchSentMs, f.launchIdMs, f.switchSentMs, f.requestsPerSecond, f.switchIdMs);
    launchSent.push_back(f.launchSentMs);
    launchId.push_back(f.launchIdMs);
    switchSent.push_back(f.switchSentMs);
    switchId.push_back(f.switchIdMs);
    rate.push_back(f.requestsPerSecond);
    cpu.push_back(f.cpuPerRequestUs);
    standInCpu.push_back(f.standInCpuPerPacketUs);
  }
  std::filesystem::current_path(std::filesystem::temp_directory_path());
  std::filesystem::remove_all(scratch);

  using bench::Describe;
  using bench::Summarize;
  fprintf(stderr, "  launch reply -> last creation sent:       %s\n",
          Describe(Summarize(launchSent), "%.0f", "ms").c_str());
  fprintf(stderr, "  launch reply -> last assigned ID:         %s\n",
          Describe(Summarize(launchId), "%.0f", "ms").c_str());
  fprintf(stderr, "  flight-start reply -> last request sent:  %s\n",
          Describe(Summarize(switchSent), "%.0f", "ms").c_str());
  fprintf(stderr, "  flight-start reply -> last assigned ID:   %s\n",
          Describe(Summarize(switchId), "%.0f", "ms").c_str());
  // For a rate the best run is the highest, so "min" here is the slowest.
  fprintf(stderr, "  requests per second (switch, sending):    %s  (target > 100000)\n",
          Describe(Summarize(rate), "%.0f", "/s").c_str());
  fprintf(stderr, "  program CPU per request while sending:    %s\n",
          Describe(Summarize(cpu), "%.2f", "us").c_str());
  fprintf(stderr, "  stand-in CPU per packet in the switch:    %s\n",
          Describe(Summarize(standInCpu), "%.2f", "us").c_str());
  return 0;
}
