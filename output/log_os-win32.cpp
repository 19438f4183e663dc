// The log's place and lock on Windows. The log is in the ANSI code page, as
// the console's lines are (Notepad reads it so); paths are wide at the calls.
#include <shlobj.h>
#include <windows.h>

#include <vector>

#include "os/wide_text-win32.h"
#include "output/log_file.h"

namespace log_os {

const char kSeparator = '\\';

std::string Folder() {
  // SHGetFolderPathW is there from Windows 2000 on; the newer known-folder
  // call is not on XP.
  wchar_t path[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)))
    return "";
  return os::Narrow(std::wstring(path) + L"\\Brindlewick");
}

bool MakeFolders(const std::string& folder) {
  std::wstring wide = os::Wide(folder);
  // Only the last folder is ours; the ones above belong to Windows.
  if (!CreateDirectoryW(wide.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
    return false;
  DWORD attributes = GetFileAttributesW(wide.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool HoldLock(const std::string& path) {
  // Shared with no one, gone when the process ends, however it ends.
  HANDLE lock = CreateFileW(os::Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  return lock != INVALID_HANDLE_VALUE;
}

bool Replace(const std::string& from, const std::string& to) {
  return MoveFileExW(os::Wide(from).c_str(), os::Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING);
}

FILE* Open(const std::string& path, const char* mode) {
  return _wfopen(os::Wide(path).c_str(), os::Wide(mode).c_str());
}

std::string WorkingFolder() {
  std::vector<wchar_t> folder(32768);
  DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
  if (length == 0 || length >= folder.size()) return "?";
  return os::Narrow(std::wstring(folder.data(), length), CP_ACP);
}

std::string ConsoleTextToUtf8(const std::string& text) {
  return os::Narrow(os::Wide(text, CP_ACP));
}

}  // namespace log_os
