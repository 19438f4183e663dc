// What the process-level benchmarks share: the stand-in simulator as a child
// process, a working folder for the program, clocks and summaries.
#ifndef BRINDLEWICK_BENCH_BENCH_SUPPORT_H_
#define BRINDLEWICK_BENCH_BENCH_SUPPORT_H_

#include <stdint.h>
#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

double MsBetween(Clock::time_point from, Clock::time_point to);

/// The folder this benchmark program lies in; the build puts the program and
/// the stand-in there too.
std::string ProgramFolder();

/// A fresh, empty folder under the system's temporary folder.
std::string MakeScratchFolder(const std::string& name);

/// A running sim-standin. `output` reads its standard output when it was
/// asked for, else -1.
struct StandIn {
  pid_t pid = -1;
  uint16_t port = 0;
  int output = -1;
  std::string pending;  // output read but not yet searched
};

/// Starts build/sim-standin with `arguments` (the port file is added) and
/// waits until it listens. False, with the reason printed, when it does not.
bool StartStandIn(const std::vector<std::string>& arguments, bool readOutput,
                  const std::string& scratch, StandIn* standIn);

/// Reads the stand-in's output until a line containing `text` has come, for at
/// most `timeoutMs`; true with its arrival time when it came.
bool WaitForLine(StandIn* standIn, const std::string& text, int timeoutMs, Clock::time_point* when);

/// Waits for the stand-in to end (killing it after `timeoutMs`), reading what
/// is left of its output; returns its CPU time (user + system) in ms.
double FinishStandIn(StandIn* standIn, int timeoutMs);

/// Copies the example scenery (examples/Quillmar) into `folder` and returns
/// how many of its variants the program creates at a launch in `month`.
int PrepareExampleScenery(const std::string& folder, double month);

/// Writes SimConnect.cfg into `folder`, pointing at the stand-in; with
/// DisableNagle=1 when `disableNagle`, else without the key (its default is 0).
void WriteSimConnectConfig(const std::string& folder, uint16_t port, bool disableNagle = false);

/// Starts `program` in `folder` with its standard output and error sent to
/// /dev/null. Returns its process ID, or -1.
pid_t StartProgram(const std::string& program, const std::string& folder);

/// CPU time (user + system) a live process has used so far, in ms, from
/// /proc/PID/stat; negative when it cannot be read.
double ProcessCpuMs(pid_t pid);

struct Summary {
  double min = 0;
  double median = 0;
};

Summary Summarize(std::vector<double> values);

/// "min X / median Y unit"
std::string Describe(const Summary& summary, const char* format, const char* unit);

}  // namespace bench

#endif  // BRINDLEWICK_BENCH_BENCH_SUPPORT_H_
