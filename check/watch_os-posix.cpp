#include <signal.h>
#include <sys/stat.h>

#include "check/watch_os.h"

namespace watch_os {

namespace {

volatile sig_atomic_t interrupted = 0;

void OnInterrupt(int) { interrupted = 1; }

}  // namespace

void CatchInterrupt() {
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool Interrupted() { return interrupted != 0; }

std::string FileStamp(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return "";
  // The change time too: a rename onto the file or a write within the
  // modification time's granularity still moves it or the inode.
  return std::to_string(info.st_mode) + " " + std::to_string(info.st_size) + " " +
         std::to_string(info.st_mtim.tv_sec) + "." + std::to_string(info.st_mtim.tv_nsec) + " " +
         std::to_string(info.st_ctim.tv_sec) + "." + std::to_string(info.st_ctim.tv_nsec) + " " +
         std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
}

std::string Utf8Path(const std::string& path) { return path; }

}  // namespace watch_os
