#include "output/log_file.h"

#include <time.h>

#include <deque>

#include "output/output.h"
#include "version.h"

const char kLogName[] = "Brindlewick.log";

namespace {

// Past this many copies at once something else is wrong: no log.
const int kMostCopies = 9;

FILE* logFile = nullptr;

std::string Now() {
  time_t now = time(nullptr);
  char text[64];
  struct tm* local = localtime(&now);
  if (!local || !strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", local)) return "?";
  return text;
}

}  // namespace

std::string StartProgramLog(const std::string& folder) {
  if (folder.empty() || !log_os::MakeFolders(folder)) return "";
  const std::string base = folder + log_os::kSeparator + "Brindlewick";
  for (int copy = 1; copy <= kMostCopies; ++copy) {
    std::string name = copy == 1 ? base : base + "-" + std::to_string(copy);
    if (!log_os::HoldLock(name + ".lock")) continue;
    // Only the lock's holder turns its log over: no other copy writes it.
    log_os::Replace(name + ".log", name + ".previous.log");
    logFile = log_os::Open(name + ".log", "w");
    if (!logFile) return "";
    SetLogStream(logFile);
    LogNote("Brindlewick %s started %s", BRINDLEWICK_VERSION, Now().c_str());
    LogNote("Working folder: %s", log_os::WorkingFolder().c_str());
    return name + ".log";
  }
  return "";
}

void EndProgramLog(int exitCode) {
  if (!logFile) return;
  LogNote("Ended with exit code %d at %s", exitCode, Now().c_str());
  SetLogStream(nullptr);
  fclose(logFile);
  logFile = nullptr;
}

bool ReadLastLines(const std::string& path, int count, std::string* lines) {
  FILE* file = log_os::Open(path, "r");
  if (!file) return false;
  std::deque<std::string> last;
  std::string line;
  char buffer[4096];
  size_t read;
  while ((read = fread(buffer, 1, sizeof buffer, file)) > 0) {
    for (size_t i = 0; i < read; ++i) {
      if (buffer[i] == '\r') continue;
      if (buffer[i] != '\n') {
        // A line without end (a binary file put in its place) stays bounded.
        if (line.size() < 4096) line += buffer[i];
        continue;
      }
      last.push_back(line + "\n");
      line.clear();
      if (last.size() > static_cast<size_t>(count)) last.pop_front();
    }
  }
  fclose(file);
  if (!line.empty()) {
    last.push_back(line + "\n");
    if (last.size() > static_cast<size_t>(count)) last.pop_front();
  }
  lines->clear();
  for (const std::string& kept : last) *lines += kept;
  return true;
}
