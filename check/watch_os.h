// What the checker's --watch and --kml ask of the operating system. One
// implementation per platform (watch_os-posix.cpp, watch_os-win32.cpp),
// chosen by the build. Paths are as the command line gives them.
#ifndef BRINDLEWICK_CHECK_WATCH_OS_H_
#define BRINDLEWICK_CHECK_WATCH_OS_H_

#include <string>

namespace watch_os {

/// From now on Ctrl+C (SIGINT, or the console's Ctrl+C and Ctrl+Break on
/// Windows) and a polite termination only set Interrupted(), so that the
/// checker ends cleanly between two checks.
void CatchInterrupt();
bool Interrupted();

/// What a save changes about the file at `path`: its kind, size, time of
/// last change and identity where the system has one; empty when there is
/// no such file.
std::string FileStamp(const std::string& path);

/// `path` in UTF-8, as the setup tool's file calls take it (the command line
/// is in the ANSI code page on Windows).
std::string Utf8Path(const std::string& path);

}  // namespace watch_os

#endif  // BRINDLEWICK_CHECK_WATCH_OS_H_
