// Keys on a Windows console: its input records, read only while some wait,
// so the call never blocks. Works alike on a console of the program's own
// and on one shared with a command prompt, which waits for the program.
#include <windows.h>

#include "os/console_keys.h"

namespace os {

namespace {

HANDLE input = nullptr;

}  // namespace

bool StartConsoleKeys() {
  HANDLE handle = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) {
    return false;
  }
  input = handle;
  return true;
}

int ReadConsoleKey() {
  if (!input) return 0;
  DWORD waiting = 0;
  while (GetNumberOfConsoleInputEvents(input, &waiting) && waiting > 0) {
    INPUT_RECORD record;
    DWORD read = 0;
    if (!ReadConsoleInputW(input, &record, 1, &read) || read == 0) return 0;
    if (record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown) continue;
    WCHAR c = record.Event.KeyEvent.uChar.UnicodeChar;
    if (c != 0) return c;
  }
  return 0;
}

void StopConsoleKeys() { input = nullptr; }

}  // namespace os
