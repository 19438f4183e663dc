#include "check/watch.h"

#include <ctype.h>
#include <time.h>

#include <vector>

#include "check/folder_check.h"
#include "check/watch_os.h"
#include "os/os.h"

namespace {

// As the program does after a save: a file still being written is not read.
const unsigned kQuietMilliseconds = 300;
const unsigned kStepMilliseconds = 50;
// Idle, one look every 200 ms: a folder's listing and a stat per file.
const unsigned kIdleSteps = 4;

bool EndsInXml(const std::string& path) {
  if (path.size() < 4) return false;
  std::string end = path.substr(path.size() - 4);
  for (char& c : end) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return end == ".xml";
}

bool IsFolder(const std::string& path) { return os::IsDirectory(os::NativePath(path)); }

// A named path that is a placement file, or will be one when it is saved.
bool NamesFile(const std::string& path) {
  if (IsFolder(path)) return false;
  return EndsInXml(path) || !watch_os::FileStamp(path).empty();
}

std::string Now() {
  time_t now = time(nullptr);
  char text[32] = "";
  const struct tm* local = localtime(&now);
  if (local) strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", local);
  return text;
}

// Waits until the watched files differ from `state` and have then been left
// alone for a while. False on Ctrl+C.
bool WaitForChange(const CheckOptions& options, const std::string& state) {
  std::string seen = state;
  bool changed = false;
  unsigned lastChange = 0;
  for (unsigned step = 1;; ++step) {
    os::SleepMilliseconds(kStepMilliseconds);
    if (watch_os::Interrupted()) return false;
    if (!changed && step % kIdleSteps != 0) continue;
    std::string now = WatchedState(options);
    if (now != seen) {
      seen = now;
      changed = true;
      lastChange = os::MonotonicMilliseconds();
    } else if (changed && os::MonotonicMilliseconds() - lastChange >= kQuietMilliseconds) {
      return true;
    }
  }
}

}  // namespace

bool SortOutWatched(CheckOptions* options, std::string* problem) {
  const std::vector<std::string>& named = options->named;
  if (named.size() == 1 && !NamesFile(named[0])) return true;
  for (const std::string& path : named) {
    if (IsFolder(path)) {
      *problem = "--watch takes one FOLDER or placement FILEs, not both (" + path + " is a folder)";
      return false;
    }
  }
  options->files = named;
  return true;
}

std::string WatchedState(const CheckOptions& options) {
  std::vector<std::string> paths = options.files;
  if (paths.empty()) {
    std::vector<std::string> names;
    std::string problem;
    if (!ListPlacementFiles(options.folder, &names, &problem)) return "unreadable: " + problem;
    for (const std::string& name : names) paths.push_back(ShownPath(options.folder, name));
  }
  // A title list saved anew changes the result too.
  for (const std::string& path : {options.titlesFile, options.fsxCfg})
    if (!path.empty()) paths.push_back(path);
  std::string state;
  for (const std::string& path : paths) state += path + "\n" + watch_os::FileStamp(path) + "\n";
  return state;
}

int WatchAndCheck(const CheckOptions& options, const std::function<int()>& check,
                  std::ostream& out) {
  watch_os::CatchInterrupt();
  int result = 0;
  for (bool first = true; !watch_os::Interrupted(); first = false) {
    // Taken before the check, so that a save during it is seen after it.
    std::string state = WatchedState(options);
    out << (first ? "" : "\n") << "--- " << Now() << " ---\n";
    out.flush();  // the author sees that a check runs
    result = check();
    if (first) {
      out << "Watching "
          << (options.files.empty()       ? options.folder
              : options.files.size() == 1 ? options.files[0]
                                          : "the files")
          << " for changes; Ctrl+C stops.\n";
    }
    out.flush();
    if (!WaitForChange(options, state)) break;
  }
  out << "Stopped watching.\n";
  out.flush();
  return result;
}
