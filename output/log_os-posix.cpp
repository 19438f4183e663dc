// The log's place and lock on POSIX systems.
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "output/log_file.h"

namespace log_os {

const char kSeparator = '/';

std::string Folder() {
  const char* state = getenv("XDG_STATE_HOME");
  // The XDG rule: a relative path there is to be ignored.
  if (state && state[0] == '/') return std::string(state) + "/brindlewick";
  const char* home = getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.local/state/brindlewick";
  return "";
}

bool MakeFolders(const std::string& folder) {
  for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    std::string part = folder.substr(0, slash);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  struct stat info;
  return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool HoldLock(const std::string& path) {
  // The descriptor stays open: the lock ends with the process, even killed.
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return false;
  }
  return true;
}

bool Replace(const std::string& from, const std::string& to) {
  return rename(from.c_str(), to.c_str()) == 0;
}

FILE* Open(const std::string& path, const char* mode) { return fopen(path.c_str(), mode); }

std::string WorkingFolder() {
  char* folder = getcwd(nullptr, 0);
  std::string text = folder ? folder : "?";
  free(folder);
  return text;
}

std::string ConsoleTextToUtf8(const std::string& text) { return text; }

}  // namespace log_os
