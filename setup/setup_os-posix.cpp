// The native build, for the tests: no registry, no known folders.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "os/os.h"
#include "os/regular_file.h"
#include "setup/setup_os.h"

namespace setup_os {

const char kSeparator = '/';
const char kProgramName[] = "brindlewick";
const char kTemporaryMark[] = ".brindlewick-tmp-";

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
  std::string name;
  int error = 0, count = 0;
  os::FindState* search =
      os::FindFirst((os::NarrowToWide(folder) + L"\\*.xml").c_str(), &name, &error);
  if (!search) return 0;
  do {
    if (!IsDirectory(folder + "/" + name)) ++count;
  } while (os::FindNext(search, &name));
  os::FindEnd(search);
  return count;
}

bool WrittenPath(const std::string& path, std::string* written, std::string* error) {
  struct stat info;
  char resolved[PATH_MAX];
  if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
    *written = path;
    return true;
  }
  // Renaming onto the link would put a plain file in its place.
  if (!realpath(path.c_str(), resolved)) {
    *error = std::string("it is a symbolic link to a file that cannot be reached: ") +
             std::strerror(errno);
    return false;
  }
  *written = resolved;
  return true;
}

bool ReadFile(const std::string& path, std::string* bytes, std::string* error) {
  // A pipe or a device named exe.xml would block or never end.
  std::FILE* file = os::OpenRegularFile(path);
  if (!file) {
    *error = os::ErrorText(errno);
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

bool WriteNew(const std::string& beside, const std::string& bytes, std::string* created,
              std::string* error) {
  struct stat info;
  const bool exists = stat(beside.c_str(), &info) == 0;
  if (exists && S_ISDIR(info.st_mode)) {
    *error = "it is a folder, not a file: move it away";
    return false;
  }
  // rename() would replace it, read-only or not; Windows refuses it.
  if (exists && (info.st_mode & 0222) == 0) {
    *error = "it is read-only: make it writable (chmod u+w " + beside + ")";
    return false;
  }
  std::string name = beside + kTemporaryMark + "XXXXXX";
  int fd = mkstemp(&name[0]);
  if (fd < 0) {
    *error = std::strerror(errno);
    return false;
  }
  *created = name;
  mode_t mode = exists ? info.st_mode & 07777 : 0644;
  bool ok = fchmod(fd, mode) == 0;
  for (size_t done = 0; ok && done < bytes.size();) {
    errno = 0;
    ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
    ok = wrote > 0;
    if (ok) done += static_cast<size_t>(wrote);
    // A write that takes nothing and names no error: the disk is full.
    if (wrote == 0 || (!ok && errno == 0)) errno = ENOSPC;
  }
  ok = ok && fsync(fd) == 0;
  if (!ok) *error = errno == ENOSPC ? "the disk is full" : std::strerror(errno);
  if (close(fd) != 0 && ok) {
    *error = errno == ENOSPC ? "the disk is full" : std::strerror(errno);
    ok = false;
  }
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

int RemoveTemporaries(const std::string& beside) {
  size_t slash = beside.rfind('/');
  std::string folder = slash == std::string::npos ? "." : beside.substr(0, slash + 1);
  std::string prefix =
      (slash == std::string::npos ? beside : beside.substr(slash + 1)) + kTemporaryMark;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return 0;
  int removed = 0;
  while (struct dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    struct stat info;
    std::string path = folder + (slash == std::string::npos ? "/" : "") + name;
    if (name.compare(0, prefix.size(), prefix) == 0 && lstat(path.c_str(), &info) == 0 &&
        S_ISREG(info.st_mode) && unlink(path.c_str()) == 0)
      ++removed;
  }
  closedir(dir);
  return removed;
}

bool Link(const std::string& path, const std::string& link) {
  return ::link(path.c_str(), link.c_str()) == 0;
}

void Pause(int milliseconds) { usleep(static_cast<useconds_t>(milliseconds) * 1000); }

bool AcquireLock(const std::string& lock, int seconds, std::intptr_t* handle, bool* busy,
                 std::string* error) {
  *busy = false;
  std::time_t until = std::time(nullptr) + seconds;
  for (;;) {
    int fd = open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
      *error = errno == EISDIR ? "it is a folder, not a file: move it away" : std::strerror(errno);
      return false;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
      // The holder before us removes the file as it lets go: a lock on a
      // file no longer under that name guards nothing.
      struct stat held, named;
      if (fstat(fd, &held) == 0 && stat(lock.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
          held.st_dev == named.st_dev) {
        *handle = fd;
        return true;
      }
    } else if (errno != EWOULDBLOCK) {
      *error = std::strerror(errno);
      close(fd);
      return false;
    }
    close(fd);
    if (std::time(nullptr) >= until) {
      *busy = true;
      return false;
    }
    usleep(100000);
  }
}

void ReleaseLock(const std::string& lock, std::intptr_t handle) {
  unlink(lock.c_str());
  close(static_cast<int>(handle));
}

}  // namespace setup_os
