// Author mode: the run of a scenery author, whose last placement file loaded
// has Debug. While connected, the program reads the placement files again
// when they are saved, shows any season on a key press, and names the
// creations the simulator refuses. A pilot's run (no Debug) does none of it.
#ifndef BRINDLEWICK_APP_AUTHOR_MODE_H_
#define BRINDLEWICK_APP_AUTHOR_MODE_H_

#include <stddef.h>

#include <string>

#include "os/folder_watch.h"
#include "season/season_codes.h"
#include "simconnect/simconnect.h"

/// True while the run is in author mode; set by the start-up sequence.
extern bool authorMode;

/// How long the placement folder must be quiet before it is read again, so a
/// save still being written is not read half-way.
const unsigned kQuietMs = 300;

/// How often the keys and the folder are looked at: often enough to feel
/// immediate, rarely enough that watching costs nothing next to the 1 ms poll.
const unsigned kLookMs = 20;

/// The operating-system calls of author mode (folder_watch.h, console_keys.h,
/// os.h's IsDirectory and clock); tests put doubles in their place.
struct AuthorCalls {
  os::FolderWatch* (*startWatch)(const std::string& nativeFolder);
  bool (*folderChanged)(os::FolderWatch* watch);
  void (*stopWatch)(os::FolderWatch* watch);
  bool (*folderExists)(const std::string& nativeFolder);
  bool (*startKeys)();
  int (*readKey)();
  void (*stopKeys)();
  unsigned (*clock)();
};
extern AuthorCalls authorCalls;

/// Once per pass of the dispatch loop: reads waiting keys and, once the
/// folder has been quiet for kQuietMs after a change, the placement files.
/// Does nothing outside author mode or before the first season switch.
void AuthorModePass();

/// Ends watching and reading keys; the connection calls it when it ends.
void StopAuthorMode();

/// True while a season chosen by key holds: flight starts do not switch.
bool SeasonPreviewHolds();

/// The season switch calls these: before it starts, and after each creation
/// it asks for (with the variant's index).
void NoteSeasonSwitch();
void NoteCreationSent(size_t variant);

/// For an assigned ID: true when it answers a creation asked before the
/// placement files were last read again; the object is then removed, and
/// must not be recorded against the variant that now has its request ID.
bool TakeStaleObjectId(SIMCONNECT_DATA_REQUEST_ID request, SIMCONNECT_OBJECT_ID object);

/// For an exception from the simulator: a refused creation is named in
/// author mode; any other exception is passed over, as in a pilot's run.
void OnSimException(const SIMCONNECT_RECV_EXCEPTION* exception);

/// The two events of author mode, each said in one place so a log can
/// record them too.
void ReportRefusedCreation(const std::string& title, const std::string& file, int line);
void ReportPlacementFilesChanged();

/// Puts author mode's state back to its start values; for tests.
void ResetAuthorModeForTesting();

#endif  // BRINDLEWICK_APP_AUTHOR_MODE_H_
