// The program's log file, for support: Brindlewick.log in a folder of the
// user's own (the simulator's folder is often not writable), the previous
// run's kept as Brindlewick.previous.log.
//
// Two copies running at once (in two simulators' folders) never share a
// file: each run holds a lock named after its log until it ends, and a copy
// that finds Brindlewick's lock taken writes Brindlewick-2.log, and so on.
#ifndef BRINDLEWICK_OUTPUT_LOG_FILE_H_
#define BRINDLEWICK_OUTPUT_LOG_FILE_H_

#include <stdio.h>

#include <string>

/// The log's file name, as status shows it.
extern const char kLogName[];

/// Opens a log in `folder` (created when missing) and sends the console's
/// copies there (output.h), with the first lines of our own: start time,
/// version, working folder. Returns the log's path; empty when no log could
/// be opened, and the run goes on without one.
std::string StartProgramLog(const std::string& folder);

/// Writes the end line with `exitCode` and the time, and closes the log.
void EndProgramLog(int exitCode);

/// The last `count` lines of the file at `path` (each ending in "\n"); false
/// when it cannot be read.
bool ReadLastLines(const std::string& path, int count, std::string* lines);

// What each platform supplies (log_os-posix.cpp, log_os-win32.cpp). Paths
// are UTF-8.
namespace log_os {

/// <local application data>\Brindlewick on Windows; $XDG_STATE_HOME/brindlewick,
/// else ~/.local/state/brindlewick. Empty when there is none.
std::string Folder();
extern const char kSeparator;
/// Creates `folder` and the folders above it; true when it exists.
bool MakeFolders(const std::string& folder);
/// Takes the lock file `path` until the process ends; false when another
/// process holds it.
bool HoldLock(const std::string& path);
/// Renames `from` to `to`, replacing it; false when it cannot.
bool Replace(const std::string& from, const std::string& to);
FILE* Open(const std::string& path, const char* mode);
/// The working folder, in the encoding the console's lines are in.
std::string WorkingFolder();
/// Text in the console's encoding (the log's) as UTF-8.
std::string ConsoleTextToUtf8(const std::string& text);

}  // namespace log_os

#endif  // BRINDLEWICK_OUTPUT_LOG_FILE_H_
