// The native build, for the tests.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "setup/setup_os.h"

namespace setup_os {

const char kSeparator = '/';
const char kProgramName[] = "brindlewick";

std::vector<std::string> Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void Print(const std::string& text, std::FILE* stream) {
  std::fwrite(text.data(), 1, text.size(), stream);
}

std::string ProgramFolder() {
  char path[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return ".";
  std::string exe(path, static_cast<size_t>(length));
  return exe.substr(0, exe.rfind('/'));
}

bool ExistingFile(const std::string& path, std::string* absolute) {
  char resolved[PATH_MAX];
  struct stat info;
  if (!realpath(path.c_str(), resolved) || stat(resolved, &info) != 0 || !S_ISREG(info.st_mode))
    return false;
  *absolute = resolved;
  return true;
}

bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

bool IsDirectory(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

int CountXmlFiles(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return 0;
  int count = 0;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name.size() > 4 && strcasecmp(name.c_str() + name.size() - 4, ".xml") == 0) ++count;
  }
  closedir(dir);
  return count;
}

bool ReadFile(const std::string& path, std::string* bytes, std::string* error) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    *error = std::strerror(errno);
    return false;
  }
  bytes->clear();
  char buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes->append(buffer, got);
  bool ok = !std::ferror(file);
  if (!ok) *error = std::strerror(errno);
  std::fclose(file);
  return ok;
}

bool WriteFile(const std::string& path, const std::string& bytes, std::string* error) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  bool ok = fd >= 0;
  for (size_t done = 0; ok && done < bytes.size();) {
    ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
    ok = wrote > 0;
    if (ok) done += static_cast<size_t>(wrote);
  }
  ok = ok && fsync(fd) == 0;
  if (!ok) *error = std::strerror(errno);
  if (fd >= 0) close(fd);
  return ok;
}

bool Replace(const std::string& replacement, const std::string& target, std::string* error) {
  if (std::rename(replacement.c_str(), target.c_str()) != 0) {
    *error = std::strerror(errno);
    return false;
  }
  // The rename itself reaches the disk with the folder's entry.
  std::string folder =
      target.find('/') == std::string::npos ? "." : target.substr(0, target.rfind('/') + 1);
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
  return true;
}

void RemoveFile(const std::string& path) { unlink(path.c_str()); }

}  // namespace setup_os
