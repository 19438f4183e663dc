// Single key presses on the program's console, read without waiting and
// without the Enter key. One implementation per platform
// (console_keys-posix.cpp, console_keys-win32.cpp).
#ifndef BRINDLEWICK_OS_CONSOLE_KEYS_H_
#define BRINDLEWICK_OS_CONSOLE_KEYS_H_

namespace os {

/// Prepares standard input for single keys; false, changing nothing, when it
/// is not a console (a file, a pipe, a background job's terminal).
bool StartConsoleKeys();

/// The next key pressed as a character, or 0 when none is waiting; never waits.
int ReadConsoleKey();

/// Puts standard input back as it was; also done when the process ends.
void StopConsoleKeys();

}  // namespace os

#endif  // BRINDLEWICK_OS_CONSOLE_KEYS_H_
