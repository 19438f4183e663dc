#include <windows.h>

#include "check/watch_os.h"
#include "os/os.h"
#include "os/wide_text-win32.h"

namespace watch_os {

namespace {

volatile LONG interrupted = 0;

BOOL WINAPI OnControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  InterlockedExchange(&interrupted, 1);
  return TRUE;  // handled: the main thread ends between two checks
}

}  // namespace

void CatchInterrupt() { SetConsoleCtrlHandler(OnControl, TRUE); }

bool Interrupted() { return InterlockedCompareExchange(&interrupted, 0, 0) != 0; }

std::string FileStamp(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(os::NarrowToWide(path).c_str(), GetFileExInfoStandard, &data))
    return "";
  // Last write time in 100 ns steps: a save a second after another differs.
  return std::to_string(data.dwFileAttributes) + " " + std::to_string(data.nFileSizeHigh) + ":" +
         std::to_string(data.nFileSizeLow) + " " +
         std::to_string(data.ftLastWriteTime.dwHighDateTime) + ":" +
         std::to_string(data.ftLastWriteTime.dwLowDateTime) + " " +
         std::to_string(data.ftCreationTime.dwHighDateTime) + ":" +
         std::to_string(data.ftCreationTime.dwLowDateTime);
}

std::string Utf8Path(const std::string& path) { return os::Narrow(os::NarrowToWide(path)); }

}  // namespace watch_os
