// POSIX services, made to behave like the Windows calls the program was
// written for, so the console log reads the same on every system.
#include <dirent.h>
#include <errno.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "os/os.h"
#include "text/utf8.h"

namespace os {

struct FindState {
  std::vector<std::string> names;
  size_t next = 0;
};

namespace {

// Names on these systems are UTF-8; a wide text holds code points, and bytes
// that were no UTF-8 as NarrowToWide keeps them.
std::string Utf8FromWide(const wchar_t* text) {
  std::string out;
  for (; *text; ++text) {
    unsigned long c = static_cast<unsigned long>(*text);
    if (c >= 0xDC80 && c <= 0xDCFF) {
      out.push_back(static_cast<char>(c & 0xFF));  // a byte NarrowToWide kept
    } else {
      AppendUtf8(c, &out);
    }
  }
  return out;
}

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

bool EndsWithIgnoringCase(const std::string& name, const std::string& suffix) {
  if (name.size() < suffix.size()) return false;
  size_t offset = name.size() - suffix.size();
  for (size_t i = 0; i < suffix.size(); ++i) {
    if (AsciiUpper(name[offset + i]) != AsciiUpper(suffix[i])) return false;
  }
  return true;
}

// NTFS lists a folder sorted by the upper-case form of the names.
bool NtfsOrder(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char ua = static_cast<unsigned char>(AsciiUpper(a[i]));
    unsigned char ub = static_cast<unsigned char>(AsciiUpper(b[i]));
    if (ua != ub) return ua < ub;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

}  // namespace

FindState* FindFirst(const wchar_t* pattern, std::string* name, int* error) {
  std::string text = Utf8FromWide(pattern);
  size_t slash = text.find_last_of('\\');
  std::string folder = NativePath(slash == std::string::npos ? "." : text.substr(0, slash));
  std::string wildcard = slash == std::string::npos ? text : text.substr(slash + 1);
  // Only "*suffix" patterns are needed here.
  std::string suffix = wildcard.empty() || wildcard[0] != '*' ? wildcard : wildcard.substr(1);

  DIR* dir = opendir(folder.c_str());
  if (!dir) {
    *error = (errno == EACCES) ? 5 : 3;
    return nullptr;
  }
  FindState* search = new FindState;
  while (struct dirent* entry = readdir(dir)) {
    std::string entryName = entry->d_name;
    if (entryName == "." || entryName == "..") continue;
    if (EndsWithIgnoringCase(entryName, suffix)) search->names.push_back(entryName);
  }
  closedir(dir);
  if (search->names.empty()) {
    delete search;
    *error = 2;
    return nullptr;
  }
  std::sort(search->names.begin(), search->names.end(), NtfsOrder);
  *name = search->names[0];
  search->next = 1;
  return search;
}

bool FindNext(FindState* search, std::string* name) {
  if (search->next >= search->names.size()) return false;
  *name = search->names[search->next++];
  return true;
}

void FindEnd(FindState* search) { delete search; }

// A byte that is not part of a well-formed UTF-8 sequence becomes a lone
// surrogate (U+DC80 to U+DCFF), which Utf8FromWide turns back into that byte:
// every narrow name reaches the system as it was given.
std::wstring NarrowToWide(const std::string& text) {
  std::wstring out;
  size_t i = 0;
  while (i < text.size()) {
    Utf8Char c = ReadUtf8(text.data() + i, text.size() - i);
    if (c.valid) {
      out.push_back(static_cast<wchar_t>(c.point));
      i += c.length;
    } else {
      out.push_back(static_cast<wchar_t>(0xDC00u | static_cast<unsigned char>(text[i])));
      ++i;
    }
  }
  return out;
}

std::string NativePath(const std::string& path) {
  std::string out = path;
  std::replace(out.begin(), out.end(), '\\', '/');
  return out;
}

bool IsDirectory(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A terminal is the shell's, never the program's own: nothing to take over,
// no window to hide.
unsigned ConsoleProcessCount() { return 0; }

void PrepareOwnConsole() {}

void HideConsoleWindow() {}

bool ConsoleHasWindow() { return false; }

bool StandardInputIsConsole() { return isatty(0) == 1; }

void KeepConsoleOpen(unsigned) {}

bool EnterProgramFolder() {
  char path[4096];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return false;
  std::string exe(path, static_cast<size_t>(length));
  return chdir(exe.substr(0, exe.rfind('/') + 1).c_str()) == 0;
}

bool ClaimSingleInstance() { return true; }

void SleepMilliseconds(unsigned milliseconds) {
  struct timespec delay;
  delay.tv_sec = milliseconds / 1000;
  delay.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
  while (nanosleep(&delay, &delay) != 0 && errno == EINTR) {
  }
}

unsigned MonotonicMilliseconds() {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  // Cut to 32 bits, as GetTickCount is: the same wrap on every system.
  return static_cast<unsigned>(static_cast<unsigned long long>(now.tv_sec) * 1000u +
                               static_cast<unsigned long long>(now.tv_nsec) / 1000000u);
}

}  // namespace os
