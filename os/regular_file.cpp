#include "os/regular_file.h"

#include <errno.h>
#include <string.h>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace os {

// No system has a code for it; EINVAL is not what opening a file for
// reading gives otherwise.
const int kNotRegularFile = EINVAL;

#if defined(_WIN32)

FILE* OpenRegularFile(const std::string& path) {
  FILE* file = fopen(path.c_str(), "rb");
  if (!file) return nullptr;
  // A device name (CON, NUL, COM1) opens the device, whatever the folder.
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    fclose(file);
    errno = kNotRegularFile;
    return nullptr;
  }
  return file;
}

#else

FILE* OpenRegularFile(const std::string& path) {
  // Without O_NONBLOCK, opening a pipe waits for a writer; the file's kind is
  // then read from what was opened, so nothing can swap it in between.
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info;
  int problem = 0;
  if (fstat(fd, &info) != 0) {
    problem = errno;
  } else if (S_ISDIR(info.st_mode)) {
    problem = EISDIR;
  } else if (!S_ISREG(info.st_mode)) {
    problem = kNotRegularFile;
  } else if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    problem = errno;
  }
  FILE* file = problem ? nullptr : fdopen(fd, "rb");
  if (!file) {
    if (!problem) problem = errno;
    close(fd);
    errno = problem;
  }
  return file;
}

#endif

std::string ErrorText(int error) {
  if (error == kNotRegularFile) return "not a regular file (a pipe or a device)";
  return strerror(error);
}

}  // namespace os
