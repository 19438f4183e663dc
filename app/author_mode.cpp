#include "app/author_mode.h"

#include <stdint.h>
#include <stdio.h>

#include <deque>
#include <map>

#include "app/startup.h"
#include "os/console_keys.h"
#include "os/os.h"
#include "output/output.h"
#include "placement/discovery.h"
#include "placement/loader.h"
#include "placement/store.h"
#include "season/season_switch.h"
#include "sim/connection.h"

bool authorMode = false;
// The system's own calls, where tests have not put doubles.
static const AuthorCalls kSystemCalls = {
    os::StartFolderWatch, os::FolderChanged,  os::StopFolderWatch, os::IsDirectory,
    os::StartConsoleKeys, os::ReadConsoleKey, os::StopConsoleKeys, os::MonotonicMilliseconds};
AuthorCalls authorCalls = kSystemCalls;

namespace {

// A creation asked for and not yet answered. Request IDs are reused by
// variant index, so `reading` tells which reading of the files asked for it;
// what it names is kept with it, as the store may have changed by the answer.
struct Creation {
  DWORD sendId;
  unsigned reading;
  std::string title;
  std::string file;
  int line;
};

bool switched = false;  // the first season switch has run: the objects are placed
bool started = false;   // watching and keys were started (once)
bool keys = false;      // standard input gives keys
bool previewHolds = false;
bool changePending = false;
unsigned lastChange = 0;
unsigned lastLook = 0;
unsigned lastTry = 0;
const unsigned kRetryMs = 1000;
const size_t kMaxUnanswered = 64;
unsigned reading = 0;  // how often the files were read again
os::FolderWatch* watch = nullptr;
// Unanswered creations by request ID, oldest first: the simulator answers
// the creations of one request in the order asked.
std::map<SIMCONNECT_DATA_REQUEST_ID, std::deque<Creation>> unanswered;

const char* SeasonName(SeasonCode season) {
  static const char* const kNames[] = {"summer", "fall", "winter", "hard winter", "spring"};
  return kNames[season];
}

void FollowMonth() {
  previewHolds = false;
  SimConnect_RequestDataOnSimObjectType(simConnectHandle, REQUEST_MONTH_AT_LAUNCH,
                                        DEF_MONTH_AT_LAUNCH, 0, SIMCONNECT_SIMOBJECT_TYPE_USER);
}

void ShowSeason(SeasonCode season) {
  previewHolds = true;
  ConsolePrintf("\nShowing %s objects; press A to follow the simulator's month again",
                SeasonName(season));
  currentSeason = season;
  SwitchSeason();
  appliedSeason = season;
}

void OnKey(int key) {
  switch (key) {
    case 'S':
    case 's':
      ShowSeason(Summer);
      break;
    case 'F':
    case 'f':
      ShowSeason(Fall);
      break;
    case 'W':
    case 'w':
      ShowSeason(Winter);
      break;
    case 'H':
    case 'h':
      ShowSeason(HardWinter);
      break;
    case 'P':
    case 'p':
      ShowSeason(Spring);
      break;
    case 'A':
    case 'a':
      FollowMonth();
      break;
    default:
      break;
  }
}

// As at start: the same lines, the same store; the objects of the old set go
// first, and the current season's of the new set are asked for.
void ReadPlacementFilesAgain() {
  ReportPlacementFilesChanged();
  // A new watch before reading, so a save made meanwhile counts; the old one
  // may follow a folder that was moved away, or one removed.
  authorCalls.stopWatch(watch);
  watch = authorCalls.startWatch(os::NativePath(kPlacementFolder));
  ObjectIdTable& slots = *objectIds;
  for (size_t i = 0; i < slots.size(); ++i) {
    if (slots[i] == 0) continue;
    SimConnect_AIRemoveObject(simConnectHandle, slots[i],
                              static_cast<SIMCONNECT_DATA_REQUEST_ID>(kFirstVariantRequest + i));
  }
  ++reading;
  delete objectIds;
  DestroyPlacementStore(placementStore);
  placementStore = CreatePlacementStore();
  ClearWorkingSet();
  foundFiles.clear();
  ScanPlacementFiles();
  // A last file that cannot be read, or none at all, is a save half done:
  // only a last file read without Debug ends author mode.
  bool ends = !foundFiles.empty() && !LoadFoundPlacementFiles() && !lastLoadFailed;
  objectIds = CreateObjectIdTable(placementStore->variantTitles.size());
  ConsolePrintf("\nFSX SimObject Creation History:\n");
  SwitchSeason();
  if (ends) {
    ConsolePrintf(
        "\nThe last placement file has no Debug now: Brindlewick stops watching the files");
    authorMode = false;
    // The console stays as it is; a season shown by key gives way to the month.
    bool held = previewHolds;
    StopAuthorMode();
    if (held) FollowMonth();
  }
}

}  // namespace

void AuthorModePass() {
  if (!authorMode || !switched || quitRequested) return;
  unsigned now = authorCalls.clock();
  if (!started) {
    started = true;
    watch = authorCalls.startWatch(os::NativePath(kPlacementFolder));
    keys = authorCalls.startKeys();
    lastLook = lastTry = now;
  }
  if (now - lastLook < kLookMs) return;
  lastLook = now;
  // Once a second: a folder moved away counts as a change (on Windows its
  // handle never reports its own rename), and a folder removed is watched
  // again once it is back, and read then. Not at each look, as a folder that
  // cannot be watched at all would cost each try.
  if (now - lastTry >= kRetryMs) {
    lastTry = now;
    if (watch && !authorCalls.folderExists(os::NativePath(kPlacementFolder))) {
      changePending = true;
      lastChange = now;
    } else if (!watch) {
      watch = authorCalls.startWatch(os::NativePath(kPlacementFolder));
      if (watch) {
        changePending = true;
        lastChange = now;
      }
    }
  }
  for (int key; keys && !quitRequested && (key = authorCalls.readKey()) != 0;) OnKey(key);
  if (authorCalls.folderChanged(watch)) {
    changePending = true;
    lastChange = now;
  }
  if (changePending && now - lastChange >= kQuietMs) {
    changePending = false;
    ReadPlacementFilesAgain();
  }
  // Lines start with their break, so a buffered log would hold back the
  // last one; the author reads it as it happens.
  ConsoleFlush();
}

void StopAuthorMode() {
  if (watch) authorCalls.stopWatch(watch);
  watch = nullptr;
  if (keys) authorCalls.stopKeys();
  keys = false;
  changePending = false;
}

bool SeasonPreviewHolds() { return previewHolds; }

void NoteSeasonSwitch() { switched = true; }

void NoteCreationSent(size_t variant) {
  // Tracked in every mode: the log names a refused creation for support
  // even when the console stays silent.
  DWORD sendId = 0;
  if (SimConnect_GetLastSentPacketID(simConnectHandle, &sendId) < 0) return;
  Creation creation{sendId, reading, placementStore->variantTitles[variant], "", 0};
  FindVariantSource(variant, &creation.file, &creation.line);
  std::deque<Creation>& asked =
      unanswered[static_cast<SIMCONNECT_DATA_REQUEST_ID>(kFirstVariantRequest + variant)];
  // A simulator that never answers some creations must not make this grow
  // for the whole flight: the oldest unanswered ones are given up.
  if (asked.size() >= kMaxUnanswered) asked.pop_front();
  asked.push_back(creation);
}

bool TakeStaleObjectId(SIMCONNECT_DATA_REQUEST_ID request, SIMCONNECT_OBJECT_ID object) {
  if (unanswered.empty()) return false;
  auto found = unanswered.find(request);
  if (found == unanswered.end()) return false;
  unsigned askedIn = found->second.front().reading;
  found->second.pop_front();
  if (found->second.empty()) unanswered.erase(found);
  if (askedIn == reading) return false;  // the usual rules decide
  if (object != 0) SimConnect_AIRemoveObject(simConnectHandle, object, request);
  return true;
}

void OnSimException(const SIMCONNECT_RECV_EXCEPTION* exception) {
  for (auto at = unanswered.begin(); at != unanswered.end(); ++at) {
    std::deque<Creation>& creations = at->second;
    for (auto creation = creations.begin(); creation != creations.end(); ++creation) {
      if (creation->sendId != exception->dwSendID) continue;
      // What an earlier reading asked for may since have been mended.
      if (exception->dwException == SIMCONNECT_EXCEPTION_CREATE_OBJECT_FAILED &&
          creation->reading == reading) {
        ReportRefusedCreation(creation->title, creation->file, creation->line);
      }
      creations.erase(creation);
      if (creations.empty()) unanswered.erase(at);
      return;
    }
  }
}

void ReportRefusedCreation(const std::string& title, const std::string& file, int line) {
  if (!authorMode) {  // a pilot's console stays as it was; the log keeps it
    LogNote("Could not create \"%s\" (%s, line %d): the simulator refused it", title.c_str(),
            file.c_str(), line);
    return;
  }
  ConsolePrintf("\nCould not create \"%s\" (%s, line %d): the simulator refused it", title.c_str(),
                file.c_str(), line);
  ConsolePrintf("\ncheck the title with brindlewick-check --sim");
}

void ReportPlacementFilesChanged() {
  ConsolePrintf("\n\nPlacement files changed: reading them again\n");
}

void ResetAuthorModeForTesting() {
  StopAuthorMode();
  authorMode = false;
  switched = false;
  started = false;
  previewHolds = false;
  lastChange = 0;
  lastLook = 0;
  lastTry = 0;
  reading = 0;
  unanswered.clear();
  authorCalls = kSystemCalls;
}
