// Win32 services: the real calls the program was written for.
#include <wchar.h>
#include <wctype.h>
#include <windows.h>

#include <string>
#include <vector>

#include "os/os.h"

namespace os {

// Names reach the rest of the program in the ANSI code page. No best-fit
// look-alikes: "\u0141odz.xml" must not become "Lodz.xml", another file.
// Where Windows uses UTF-8 as the ANSI code page (65001, "Use Unicode UTF-8
// for worldwide language support"), WideCharToMultiByte fails for that flag
// and for the used-default pointer: every name would come back empty. UTF-8
// holds every character, so nothing is lost there but what is no character
// (a lone surrogate in a name), which WC_ERR_INVALID_CHARS turns into a failure.
std::string WideToNarrow(const wchar_t* text, unsigned codePage, bool* lossy) {
  *lossy = false;
  int wideLength = lstrlenW(text);
  if (wideLength == 0) return std::string();
  bool utf8 = codePage == CP_UTF8;
  DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  int length = WideCharToMultiByte(codePage, flags, text, wideLength, nullptr, 0, nullptr, nullptr);
  if (length <= 0) {
    *lossy = true;
    return std::string();
  }
  std::string out(static_cast<size_t>(length), '\0');
  BOOL usedDefault = FALSE;
  WideCharToMultiByte(codePage, flags, text, wideLength, &out[0], length, nullptr,
                      utf8 ? nullptr : &usedDefault);
  *lossy = usedDefault != FALSE;
  return out;
}

namespace {

// `path` by its short form, as far as it exists (exe.xml may not yet).
std::wstring ShortPath(const std::wstring& path) {
  std::wstring head = path, tail;
  for (;;) {
    std::vector<wchar_t> out(32768);
    DWORD length = GetShortPathNameW(head.c_str(), out.data(), static_cast<DWORD>(out.size()));
    if (length > 0 && length < out.size()) return std::wstring(out.data(), length) + tail;
    size_t cut = head.find_last_of(L"\\/");
    if (cut == std::wstring::npos || cut == 0) return path;
    tail = head.substr(cut) + tail;
    head.erase(cut);
  }
}

}  // namespace

// As file names found are given: the short form names the same file.
std::string AnsiPath(const std::wstring& path) {
  bool lossy = false;
  std::string ansi = WideToNarrow(path.c_str(), GetACP(), &lossy);
  if (!lossy) return ansi;
  bool shortLossy = false;
  std::string shortened = WideToNarrow(ShortPath(path).c_str(), GetACP(), &shortLossy);
  return shortLossy ? ansi : shortened;
}

struct FindState {
  HANDLE handle;
  WIN32_FIND_DATAW data;
  std::wstring suffix;  // ".xml" of "*.xml"
};

namespace {

// The search also matches 8.3 short names ("VILL~1.XML" for "Village.xml~"):
// only the long name decides, as it does elsewhere.
bool LongNameMatches(const FindState& search) {
  const wchar_t* name = search.data.cFileName;
  size_t length = wcslen(name), suffix = search.suffix.size();
  if (length < suffix) return false;
  for (size_t i = 0; i < suffix; ++i) {
    wchar_t a = name[length - suffix + i], b = search.suffix[i];
    if (a != b && !(a < 128 && b < 128 && (a | 0x20) == (b | 0x20) && iswalpha(b))) return false;
  }
  return true;
}

// A name the code page cannot hold is given by its short name, which opens
// the same file; without one it keeps the default characters, and opening
// it fails rather than reaching another file.
std::string NarrowName(const WIN32_FIND_DATAW& data) {
  bool lossy = false;
  std::string name = WideToNarrow(data.cFileName, GetACP(), &lossy);
  if (lossy && data.cAlternateFileName[0] != L'\0') {
    bool shortLossy = false;
    std::string alternate = WideToNarrow(data.cAlternateFileName, GetACP(), &shortLossy);
    if (!shortLossy) return alternate;
  }
  return name;
}

// Moves to the next match whose long name counts; false at the end.
bool NextMatch(FindState* search) {
  while (FindNextFileW(search->handle, &search->data)) {
    if (LongNameMatches(*search)) return true;
  }
  return false;
}

}  // namespace

FindState* FindFirst(const wchar_t* pattern, std::string* name, int* error) {
  FindState* search = new FindState;
  const wchar_t* star = wcsrchr(pattern, L'*');
  search->suffix = star ? star + 1 : L"";
  search->handle = FindFirstFileW(pattern, &search->data);
  if (search->handle == INVALID_HANDLE_VALUE) {
    *error = static_cast<int>(GetLastError());
    delete search;
    return nullptr;
  }
  if (!LongNameMatches(*search) && !NextMatch(search)) {
    FindClose(search->handle);
    delete search;
    *error = ERROR_FILE_NOT_FOUND;  // as for a folder without a match
    return nullptr;
  }
  *name = NarrowName(search->data);
  return search;
}

bool FindNext(FindState* search, std::string* name) {
  if (!NextMatch(search)) return false;
  *name = NarrowName(search->data);
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

unsigned ConsoleProcessCount() {
  DWORD processes[2];
  return GetConsoleProcessList(processes, 2);  // the count, even past 2
}

void PrepareOwnConsole() {
  // CONIN$ reaches the console's input even when standard input is redirected.
  HANDLE input =
      CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD mode = 0;
  if (input != INVALID_HANDLE_VALUE && GetConsoleMode(input, &mode)) {
    SetConsoleMode(input, (mode & ~DWORD{ENABLE_QUICK_EDIT_MODE}) | ENABLE_EXTENDED_FLAGS);
  }
  if (input != INVALID_HANDLE_VALUE) CloseHandle(input);
  SetConsoleOutputCP(GetACP());
}

void HideConsoleWindow() { ShowWindow(GetConsoleWindow(), SW_HIDE); }

bool ConsoleHasWindow() { return GetConsoleWindow() != nullptr; }

bool StandardInputIsConsole() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

void KeepConsoleOpen(unsigned milliseconds) {
  HWND window = GetConsoleWindow();
  if (window) ShowWindow(window, SW_SHOW);
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  FlushConsoleInputBuffer(input);  // keys pressed before the message do not count
  const DWORD start = GetTickCount();
  for (;;) {
    DWORD waited = GetTickCount() - start;
    if (waited >= milliseconds ||
        WaitForSingleObject(input, milliseconds - waited) != WAIT_OBJECT_0)
      return;
    // Mouse, focus and size events wake the wait too; only a key ends it.
    INPUT_RECORD record;
    DWORD read = 0;
    if (!ReadConsoleInputW(input, &record, 1, &read) || read == 0) return;
    if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown) return;
  }
}

bool EnterProgramFolder() {
  std::vector<wchar_t> path(32768);
  DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (length == 0 || length >= path.size()) return false;
  std::wstring folder(path.data(), length);
  folder.resize(folder.find_last_of(L'\\') + 1);
  return !folder.empty() && SetCurrentDirectoryW(folder.c_str());
}

namespace {

// 64-bit FNV-1a over 16-bit units: a mutex name holds no backslash and has a
// length limit, so a hash stands for what names the folder.
unsigned long long Hash(const std::wstring& text) {
  unsigned long long hash = 14695981039346656037ull;
  for (wchar_t c : text) {
    hash = (hash ^ (static_cast<unsigned>(c) & 0xFF)) * 1099511628211ull;
    hash = (hash ^ (static_cast<unsigned>(c) >> 8)) * 1099511628211ull;
  }
  return hash;
}

// The working folder itself: its volume's serial number and its file index,
// the same through a junction, a symbolic link, a subst drive or a mapped
// drive letter. False where the file system gives no index.
bool FolderIdentity(std::wstring* identity) {
  HANDLE folder = CreateFileW(L".", FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (folder == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  BOOL known = GetFileInformationByHandle(folder, &info);
  CloseHandle(folder);
  if (!known || (info.nFileIndexHigh == 0 && info.nFileIndexLow == 0)) return false;
  wchar_t text[48];
  wsprintfW(text, L"id:%08lx:%08lx%08lx", info.dwVolumeSerialNumber, info.nFileIndexHigh,
            info.nFileIndexLow);
  *identity = text;
  return true;
}

// The folder as spelt, where it has no identity: one folder, one name: its
// long form ("PROGRA~1" is "Program Files"), one separator, no trailing one,
// and one letter case, as NTFS compares.
std::wstring FolderSpelling() {
  std::vector<wchar_t> buffer(32768);
  DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
  if (length == 0 || length >= buffer.size()) return std::wstring();
  std::vector<wchar_t> full(32768);
  DWORD fullLength = GetLongPathNameW(buffer.data(), full.data(), static_cast<DWORD>(full.size()));
  std::wstring folder = fullLength > 0 && fullLength < full.size()
                            ? std::wstring(full.data(), fullLength)
                            : std::wstring(buffer.data(), length);
  for (wchar_t& c : folder)
    if (c == L'/') c = L'\\';
  while (folder.size() > 1 && folder.back() == L'\\') folder.pop_back();
  if (!folder.empty()) {
    LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, folder.data(), static_cast<int>(folder.size()),
                 &folder[0], static_cast<int>(folder.size()));
  }
  return folder;
}

}  // namespace

bool ClaimSingleInstance() {
  std::wstring folder;
  if (!FolderIdentity(&folder)) folder = FolderSpelling();
  if (folder.empty()) return true;  // cannot tell: let it run
  unsigned long long hash = Hash(folder);
  wchar_t name[64];
  wsprintfW(name, L"Local\\Brindlewick-%08lx%08lx", static_cast<unsigned long>(hash >> 32),
            static_cast<unsigned long>(hash & 0xFFFFFFFFu));
  // The handle stays open until the process ends: the claim lasts as long
  // as this copy. A copy started elevated holds one we may not open.
  HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
  if (!mutex) return GetLastError() != ERROR_ACCESS_DENIED;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return false;
  }
  return true;
}

void SleepMilliseconds(unsigned milliseconds) { Sleep(milliseconds); }

unsigned MonotonicMilliseconds() { return GetTickCount(); }

}  // namespace os
