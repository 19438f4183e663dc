// --watch: the check again on every save, until Ctrl+C.
#ifndef BRINDLEWICK_CHECK_WATCH_H_
#define BRINDLEWICK_CHECK_WATCH_H_

#include <functional>
#include <ostream>
#include <string>

#include "check/options.h"

/// Sorts the FOLDER or FILEs named with --watch into `options`: one path
/// that is not a placement file is the folder; otherwise each is a file to
/// check. False, saying why in `problem`, when folders and files are mixed.
bool SortOutWatched(CheckOptions* options, std::string* problem);

/// What the watched files look like now (their names and FileStamps, and
/// those of the title lists), to be compared with a later look.
std::string WatchedState(const CheckOptions& options);

/// Runs `check` under a time stamp, then again after each change to the
/// watched files once they have been left alone for 300 ms (a change made
/// during a check counts), until Ctrl+C. Returns the last check's result.
int WatchAndCheck(const CheckOptions& options, const std::function<int()>& check,
                  std::ostream& out);

#endif  // BRINDLEWICK_CHECK_WATCH_H_
