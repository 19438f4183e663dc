// Operating-system services the program needs: the directory search, the
// console window and sleeping. One implementation per platform
// (os-posix.cpp, os-win32.cpp), chosen by the build.
#ifndef BRINDLEWICK_OS_OS_H_
#define BRINDLEWICK_OS_OS_H_

#include <string>

namespace os {

struct FindState;  // an open directory search

/// Starts a search for `pattern` (a folder and "*.ext", Windows style, e.g.
/// L".\\dir\\*.xml"). On success returns the search and puts the first
/// match's bare name, in the narrow encoding, into `name`. When the search
/// cannot start returns null and puts the Windows error code into `error`:
/// 3 for a missing folder, 2 when nothing matches, 5 when access is denied.
FindState* FindFirst(const wchar_t* pattern, std::string* name, int* error);

/// Puts the next match into `name`; false when there is none (or on error).
bool FindNext(FindState* search, std::string* name);

/// Ends the search and releases it.
void FindEnd(FindState* search);

/// A narrow text (as a command line gives it) in the wide form FindFirst
/// takes: from the ANSI code page on Windows, from UTF-8 elsewhere.
std::wstring NarrowToWide(const std::string& text);

/// Turns a program path ("a\\b.xml") into one the C library can open.
std::string NativePath(const std::string& path);

/// True when `path` (native form) names a directory.
bool IsDirectory(const std::string& path);

/// Hides the console window the program writes to, where there is one.
void HideConsoleWindow();

void SleepMilliseconds(unsigned milliseconds);

/// Milliseconds since some fixed moment, never going back; wraps after about
/// 49 days, so compare readings by unsigned difference (later - earlier).
unsigned MonotonicMilliseconds();

}  // namespace os

#endif  // BRINDLEWICK_OS_OS_H_
