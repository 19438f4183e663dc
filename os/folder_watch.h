// Noticing that placement files were added, changed, removed or renamed in
// one folder, without blocking: the program asks between two dispatch calls.
// One implementation per platform (folder_watch-posix.cpp with inotify,
// folder_watch-win32.cpp with ReadDirectoryChangesW).
#ifndef BRINDLEWICK_OS_FOLDER_WATCH_H_
#define BRINDLEWICK_OS_FOLDER_WATCH_H_

#include <string>

namespace os {

struct FolderWatch;  // an open watch

/// Starts watching `nativeFolder` (native form); null when it cannot.
FolderWatch* StartFolderWatch(const std::string& nativeFolder);

/// True when a name ending in ".xml" (any case) in the folder was created,
/// written, removed or renamed since the last call; never waits.
bool FolderChanged(FolderWatch* watch);

/// Ends the watch and releases it; null is allowed.
void StopFolderWatch(FolderWatch* watch);

/// True when `name` ends in ".xml" in any letter case: the names discovery lists.
bool IsPlacementName(const std::string& name);

}  // namespace os

#endif  // BRINDLEWICK_OS_FOLDER_WATCH_H_
