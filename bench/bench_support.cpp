#include "bench/bench_support.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "app/startup.h"
#include "placement/discovery.h"
#include "placement/loader.h"
#include "placement/store.h"
#include "season/season_codes.h"

extern char** environ;

namespace bench {

namespace fs = std::filesystem;

namespace {

double RusageMs(const rusage& usage) {
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

}  // namespace

double MsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

std::string ProgramFolder() { return fs::read_symlink("/proc/self/exe").parent_path().string(); }

std::string MakeScratchFolder(const std::string& name) {
  fs::path folder =
      fs::temp_directory_path() / ("brindlewick-" + name + "-" + std::to_string(getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder.string();
}

bool StartStandIn(const std::vector<std::string>& arguments, bool readOutput,
                  const std::string& scratch, StandIn* standIn) {
  std::string portFile = scratch + "/standin-port";
  fs::remove(portFile);
  std::vector<std::string> all = {ProgramFolder() + "/sim-standin", "--port-file", portFile};
  all.insert(all.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);

  int pipeEnds[2] = {-1, -1};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (readOutput) {
    // Ours never blocks, so a stand-in that is slow to write cannot hang us.
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return false;
    fcntl(pipeEnds[0], F_SETFL, O_NONBLOCK);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  }
  pid_t pid;
  int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (readOutput) close(pipeEnds[1]);
  if (failed) {
    fprintf(stderr, "cannot start %s; build it first\n", argv[0]);
    if (readOutput) close(pipeEnds[0]);
    return false;
  }
  *standIn = StandIn();
  standIn->pid = pid;
  standIn->output = readOutput ? pipeEnds[0] : -1;
  for (int i = 0; i < 1000 && !fs::exists(portFile); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  std::ifstream in(portFile);
  unsigned port = 0;
  if (!(in >> port) || port == 0 || port > 65535) {
    fprintf(stderr, "the stand-in did not start listening\n");
    FinishStandIn(standIn, 0);
    return false;
  }
  standIn->port = static_cast<uint16_t>(port);
  return true;
}

bool WaitForLine(StandIn* standIn, const std::string& text, int timeoutMs,
                 Clock::time_point* when) {
  std::string& pending = standIn->pending;
  Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    size_t found = pending.find(text);
    if (found != std::string::npos) {
      size_t lineEnd = pending.find('\n', found);
      if (lineEnd != std::string::npos) {
        pending.erase(0, lineEnd + 1);
        return true;
      }
    }
    int left = static_cast<int>(MsBetween(Clock::now(), deadline));
    if (left <= 0 || standIn->output < 0) return false;
    pollfd entry = {standIn->output, POLLIN, 0};
    if (poll(&entry, 1, left) <= 0) continue;
    char chunk[4096];
    ssize_t count = read(standIn->output, chunk, sizeof chunk);
    if (count < 0 && errno == EAGAIN) continue;
    if (count <= 0) return false;
    *when = Clock::now();
    pending.append(chunk, static_cast<size_t>(count));
  }
}

double FinishStandIn(StandIn* standIn, int timeoutMs) {
  if (standIn->pid <= 0) return 0;
  Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  int status = 0;
  rusage usage = {};
  for (;;) {
    if (standIn->output >= 0) {
      // Kept empty, so the stand-in never blocks on a full pipe.
      char chunk[4096];
      while (read(standIn->output, chunk, sizeof chunk) > 0) {
      }
    }
    pid_t done = wait4(standIn->pid, &status, WNOHANG, &usage);
    if (done == standIn->pid) break;
    if (Clock::now() >= deadline) {
      kill(standIn->pid, SIGKILL);
      wait4(standIn->pid, &status, 0, &usage);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (standIn->output >= 0) close(standIn->output);
  standIn->output = -1;
  standIn->pid = -1;
  return RusageMs(usage);
}

int PrepareExampleScenery(const std::string& folder, double month) {
  fs::copy(fs::path(BRINDLEWICK_EXAMPLES) / "Quillmar", fs::path(folder) / "Quillmar",
           fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  // Counted by the program's own loader, so the figure follows the files.
  fs::path here = fs::current_path();
  fs::current_path(folder);
  fflush(stdout);
  int saved = dup(1);
  int nowhere = open("/dev/null", O_WRONLY);
  dup2(nowhere, 1);
  close(nowhere);
  delete placementStore;
  placementStore = CreatePlacementStore();
  foundFiles.clear();
  ClearWorkingSetForTesting();
  ScanPlacementFiles();
  LoadFoundPlacementFiles();
  fflush(stdout);
  dup2(saved, 1);
  close(saved);
  fs::current_path(here);
  int count = 0;
  for (const std::string& type : placementStore->variantTypes) {
    if (ParseSeasonCode(type) == MonthToSeason(month)) ++count;
  }
  return count;
}

void WriteSimConnectConfig(const std::string& folder, uint16_t port, bool disableNagle) {
  std::ofstream out(folder + "/SimConnect.cfg");
  out << "[SimConnect]\nProtocol=IPv4\nAddress=127.0.0.1\nPort=" << port << "\n";
  if (disableNagle) out << "DisableNagle=1\n";
}

pid_t StartProgram(const std::string& program, const std::string& folder) {
  pid_t pid = fork();
  if (pid != 0) return pid;
  int nowhere = open("/dev/null", O_WRONLY);
  if (chdir(folder.c_str()) != 0 || nowhere < 0) _exit(127);
  dup2(nowhere, 1);
  dup2(nowhere, 2);
  execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
  _exit(127);
}

double ProcessCpuMs(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t close = text.rfind(')');
  if (close == std::string::npos) return -1;
  // After the name: state is field 3, utime field 14, stime field 15.
  std::istringstream fields(text.substr(close + 1));
  std::string field;
  double ticks = 0;
  for (int number = 3; number <= 15 && fields >> field; ++number) {
    if (number >= 14) ticks += std::stod(field);
  }
  return ticks * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

Summary Summarize(std::vector<double> values) {
  Summary summary;
  if (values.empty()) return summary;
  std::sort(values.begin(), values.end());
  summary.min = values.front();
  size_t n = values.size();
  summary.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
  return summary;
}

std::string Describe(const Summary& summary, const char* format, const char* unit) {
  char min[32], median[32];
  snprintf(min, sizeof min, format, summary.min);
  snprintf(median, sizeof median, format, summary.median);
  return std::string("min ") + min + " / median " + median + " " + unit;
}

}  // namespace bench
