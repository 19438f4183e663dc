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
/// A match is a name whose long form ends in ".ext", in any letter case. A
/// name the narrow encoding cannot hold comes as another name of the same
/// file (its 8.3 short name) or, without one, with the encoding's default
/// character in place of what it cannot hold.
FindState* FindFirst(const wchar_t* pattern, std::string* name, int* error);

/// Puts the next match into `name`; false when there is none (or on error).
bool FindNext(FindState* search, std::string* name);

/// Ends the search and releases it.
void FindEnd(FindState* search);

/// A narrow text (as a command line gives it) in the wide form FindFirst
/// takes: from the ANSI code page on Windows, from UTF-8 elsewhere.
std::wstring NarrowToWide(const std::string& text);

#if defined(_WIN32)
/// `text` in code page `codePage` (FindFirst gives names in the ANSI code
/// page, GetACP), with no best-fit look-alikes; `lossy` is set when a
/// character has no form in it (and became the default character, or, in
/// UTF-8, made the whole text empty).
std::string WideToNarrow(const wchar_t* text, unsigned codePage, bool* lossy);

/// A path in the ANSI code page, as the C library opens it: no best-fit
/// look-alike (another file, maybe); where the code page cannot hold it, its
/// short form as far as the path exists; failing that, with the default
/// characters, which open nothing.
std::string AnsiPath(const std::wstring& path);
#endif

/// Turns a program path ("a\\b.xml") into one the C library can open.
std::string NativePath(const std::string& path);

/// True when `path` (native form) names a directory.
bool IsDirectory(const std::string& path);

// The console. The program owns it when it is the console's only process
// (started by the simulator or from Explorer); one shared with a command
// prompt belongs to the prompt and is left as it is.

/// How many processes share the program's console; 0 without a console.
unsigned ConsoleProcessCount();

/// For an owned console: no QuickEdit (a click would block every write) and
/// the ANSI output code page (the log's names are in it).
void PrepareOwnConsole();

/// Hides the console window the program writes to, where there is one.
void HideConsoleWindow();

/// True when the console has a window; a launcher may give the program a
/// console without one (CREATE_NO_WINDOW), where nobody can read or press.
bool ConsoleHasWindow();

/// True when standard input is a console, where a key press can be read.
bool StandardInputIsConsole();

/// Said before KeepConsoleOpen's wait, by the program and the tools alike.
inline constexpr char kKeepOpenPrompt[] =
    "Press a key to close this window (it closes by itself after 60 seconds).\n";
const unsigned kKeepOpenMilliseconds = 60000;

/// Shows the console window again and waits until a key is pressed on
/// standard input or `milliseconds` pass.
void KeepConsoleOpen(unsigned milliseconds);

/// Makes the folder holding the running exe the working folder; false when
/// it cannot. A double-clicked tool works on the files beside it, wherever a
/// shortcut started it.
bool EnterProgramFolder();

/// Claims the working folder for this copy of the program, for as long as
/// it runs; false when another copy in the same Windows session holds it.
/// Elsewhere always true: without exe.xml nothing starts a second copy.
bool ClaimSingleInstance();

void SleepMilliseconds(unsigned milliseconds);

/// Milliseconds since some fixed moment, never going back; wraps after about
/// 49 days, so compare readings by unsigned difference (later - earlier).
unsigned MonotonicMilliseconds();

}  // namespace os

#endif  // BRINDLEWICK_OS_OS_H_
