// Windows: wide-character calls, UTF-8 inside the tool.
// windows.h comes first.
// clang-format off
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>
// clang-format on

#include <string>

#include "os/os.h"
#include "os/wide_text-win32.h"
#include "setup/setup_os.h"

namespace setup_os {

const char kSeparator = '\\';
const char kProgramName[] = "Brindlewick.exe";
const char kTemporaryMark[] = ".brindlewick-tmp-";

namespace {

using os::Narrow;
using os::Wide;

std::string ErrorText(DWORD code) {
  wchar_t* text = nullptr;
  FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message = text ? Narrow(text) : "";
  LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.'))
    message.pop_back();
  return message + " (error " + std::to_string(code) + ")";
}

}  // namespace

std::vector<std::string> Arguments(int, char**) {
  std::vector<std::string> args;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 1; wide && i < count; ++i) args.push_back(Narrow(wide[i]));
  LocalFree(wide);
  return args;
}

void Print(const std::string& text, std::FILE* stream) {
  // The console shows its own code page; a pipe gets the ANSI one.
  UINT code_page = GetConsoleOutputCP();
  std::string out = Narrow(Wide(text), code_page ? code_page : CP_ACP);
  std::fwrite(out.data(), 1, out.size(), stream);
}

std::string ProgramFolder() {
  wchar_t path[MAX_PATH * 4];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
  std::string exe = Narrow(std::wstring(path, length));
  return exe.substr(0, exe.rfind('\\'));
}

bool ExistingFile(const std::string& path, std::string* absolute) {
  std::wstring wide = Wide(path);
  DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (length == 0) return false;
  std::wstring full(length, L'\0');
  full.resize(GetFullPathNameW(wide.c_str(), length, &full[0], nullptr));
  DWORD attributes = GetFileAttributesW(full.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  // The long names, in the case the file system keeps them.
  length = GetLongPathNameW(full.c_str(), nullptr, 0);
  if (length > 0) {
    std::wstring spelt(length, L'\0');
    spelt.resize(GetLongPathNameW(full.c_str(), &spelt[0], length));
    if (!spelt.empty()) full = spelt;
  }
  *absolute = Narrow(full);
  return true;
}

bool Exists(const std::string& path) {
  return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsDirectory(const std::string& path) {
  DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int CountXmlFiles(const std::string& folder) {
  std::wstring wide = Wide(folder);
  std::string name;
  int error = 0, count = 0;
  os::FindState* search = os::FindFirst((wide + L"\\*.xml").c_str(), &name, &error);
  if (!search) return 0;
  do {
    DWORD attributes = GetFileAttributesW((wide + L"\\" + os::NarrowToWide(name)).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
  } while (os::FindNext(search, &name));
  os::FindEnd(search);
  return count;
}

bool WrittenPath(const std::string& path, std::string* written, std::string*) {
  *written = path;
  return true;
}

bool ReadFile(const std::string& path, std::string* bytes, std::string* error) {
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *error = ErrorText(GetLastError());
    return false;
  }
  bytes->clear();
  char buffer[65536];
  DWORD got = 0;
  BOOL ok;
  while ((ok = ::ReadFile(file, buffer, sizeof buffer, &got, nullptr)) && got > 0)
    bytes->append(buffer, got);
  if (!ok) *error = ErrorText(GetLastError());
  CloseHandle(file);
  return ok;
}

bool WriteNew(const std::string& beside, const std::string& bytes, std::string* created,
              std::string* error) {
  std::wstring target = Wide(beside);
  DWORD attributes = GetFileAttributesW(target.c_str());
  // MoveFileEx refuses both with no more than "Access is denied".
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    *error = "it is a folder, not a file: move it away";
    return false;
  }
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    *error = "it is read-only: clear Read-only in the Properties of " + beside;
    return false;
  }
  HANDLE file = INVALID_HANDLE_VALUE;
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
    *created = beside + kTemporaryMark + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(counter++);
    file = CreateFileW(Wide(*created).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (file == INVALID_HANDLE_VALUE) {
    *error = ErrorText(GetLastError());
    created->clear();
    return false;
  }
  DWORD wrote = 0;
  bool ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
  DWORD code = ok ? 0 : GetLastError();
  // A write that takes fewer bytes and names no error: the disk is full.
  if (ok && wrote != bytes.size()) ok = false, code = ERROR_DISK_FULL;
  if (ok && !FlushFileBuffers(file)) ok = false, code = GetLastError();
  if (!ok)
    *error = code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL ? "the disk is full"
                                                                       : ErrorText(code);
  CloseHandle(file);
  return ok;
}

bool Replace(const std::string& replacement, const std::string& target, std::string* error) {
  // One rename, as on XP: ReplaceFile takes the old file away before it puts
  // the new one in place, and may fail in between.
  if (MoveFileExW(Wide(replacement).c_str(), Wide(target).c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  *error = ErrorText(GetLastError());
  return false;
}

void RemoveFile(const std::string& path) { DeleteFileW(Wide(path).c_str()); }

int RemoveTemporaries(const std::string& beside) {
  size_t slash = beside.find_last_of("\\/");
  std::wstring folder = slash == std::string::npos ? L"" : Wide(beside.substr(0, slash + 1));
  std::wstring prefix =
      Wide((slash == std::string::npos ? beside : beside.substr(slash + 1)) + kTemporaryMark);
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + prefix + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int removed = 0;
  do {
    // The pattern also meets 8.3 short names: the long name must match.
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        std::wstring(found.cFileName).compare(0, prefix.size(), prefix) == 0 &&
        DeleteFileW((folder + found.cFileName).c_str()))
      ++removed;
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return removed;
}

bool Link(const std::string& path, const std::string& link) {
  return CreateHardLinkW(Wide(link).c_str(), Wide(path).c_str(), nullptr);
}

void Pause(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

// A lock file opened for no one else, removed by the system when it is
// closed, however the process ends.
bool AcquireLock(const std::string& lock, int seconds, std::intptr_t* handle, bool* busy,
                 std::string* error) {
  *busy = false;
  std::wstring name = Wide(lock);
  DWORD until = GetTickCount() + static_cast<DWORD>(seconds) * 1000;
  for (;;) {
    HANDLE file = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      *handle = reinterpret_cast<std::intptr_t>(file);
      return true;
    }
    DWORD code = GetLastError();
    DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      *error = "it is a folder, not a file: move it away";
      return false;
    }
    // Access is denied while another's lock file is being deleted.
    bool held = code == ERROR_SHARING_VIOLATION ||
                (code == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES);
    if (!held) {
      *error = ErrorText(code);
      return false;
    }
    if (static_cast<LONG>(GetTickCount() - until) >= 0) {
      *busy = true;
      return false;
    }
    Sleep(100);
  }
}

void ReleaseLock(const std::string&, std::intptr_t handle) {
  CloseHandle(reinterpret_cast<HANDLE>(handle));
}

}  // namespace setup_os
