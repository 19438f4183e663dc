// Win32 services: the real calls the program was written for.
#include <windows.h>

#include <string>

#include "os/os.h"

namespace os {

struct FindState {
  HANDLE handle;
  WIN32_FIND_DATAW data;
};

namespace {

// Names reach the rest of the program in the ANSI code page; characters it
// cannot hold become its default character.
std::string WideToNarrow(const wchar_t* text) {
  int wideLength = lstrlenW(text);
  if (wideLength == 0) return std::string();
  int length = WideCharToMultiByte(CP_ACP, 0, text, wideLength, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string out(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, wideLength, &out[0], length, nullptr, nullptr);
  return out;
}

}  // namespace

FindState* FindFirst(const wchar_t* pattern, std::string* name, int* error) {
  FindState* search = new FindState;
  search->handle = FindFirstFileW(pattern, &search->data);
  if (search->handle == INVALID_HANDLE_VALUE) {
    *error = static_cast<int>(GetLastError());
    delete search;
    return nullptr;
  }
  *name = WideToNarrow(search->data.cFileName);
  return search;
}

bool FindNext(FindState* search, std::string* name) {
  if (!FindNextFileW(search->handle, &search->data)) return false;
  *name = WideToNarrow(search->data.cFileName);
  return true;
}

void FindEnd(FindState* search) {
  FindClose(search->handle);
  delete search;
}

std::wstring NarrowToWide(const std::string& text) {
  if (text.empty()) return std::wstring();
  int length = static_cast<int>(text.size());
  int wideLength = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  if (wideLength <= 0) return std::wstring();
  std::wstring out(static_cast<size_t>(wideLength), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), length, &out[0], wideLength);
  return out;
}

std::string NativePath(const std::string& path) { return path; }

bool IsDirectory(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void HideConsoleWindow() { ShowWindow(GetConsoleWindow(), SW_HIDE); }

void SleepMilliseconds(unsigned milliseconds) { Sleep(milliseconds); }

unsigned MonotonicMilliseconds() { return GetTickCount(); }

}  // namespace os
