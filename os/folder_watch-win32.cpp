// The folder watch with ReadDirectoryChangesW (Windows XP on), asked without
// waiting through an overlapped read. It names the files, so an editor's
// backup and swap files do not count; FindFirstChangeNotificationW does not.
#include <windows.h>

#include "os/folder_watch.h"
#include "os/os.h"

namespace os {

struct FolderWatch {
  HANDLE folder = INVALID_HANDLE_VALUE;
  OVERLAPPED overlapped = {};
  DWORD buffer[16384];  // DWORD-aligned, as the call requires
  bool pending = false;
};

namespace {

const DWORD kFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE |
                      FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_CREATION;

bool Arm(FolderWatch* watch) {
  ResetEvent(watch->overlapped.hEvent);
  watch->pending = ReadDirectoryChangesW(watch->folder, watch->buffer, sizeof watch->buffer, FALSE,
                                         kFilter, nullptr, &watch->overlapped, nullptr) != 0;
  return watch->pending;
}

bool NamesPlacementFile(const FILE_NOTIFY_INFORMATION* info) {
  std::wstring wide(info->FileName, info->FileNameLength / sizeof(WCHAR));
  size_t n = wide.size();
  if (n < 4) return false;
  std::string tail;
  for (size_t i = n - 4; i < n; ++i)
    tail.push_back(wide[i] < 128 ? static_cast<char>(wide[i]) : '?');
  return IsPlacementName(tail);
}

}  // namespace

FolderWatch* StartFolderWatch(const std::string& nativeFolder) {
  std::wstring path = NarrowToWide(nativeFolder);
  HANDLE folder = CreateFileW(
      path.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
  if (folder == INVALID_HANDLE_VALUE) return nullptr;
  FolderWatch* watch = new FolderWatch;
  watch->folder = folder;
  watch->overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!watch->overlapped.hEvent || !Arm(watch)) {
    StopFolderWatch(watch);
    return nullptr;
  }
  return watch;
}

bool FolderChanged(FolderWatch* watch) {
  if (!watch || !watch->pending) return false;
  if (WaitForSingleObject(watch->overlapped.hEvent, 0) != WAIT_OBJECT_0) return false;
  DWORD bytes = 0;
  bool changed = false;
  if (!GetOverlappedResult(watch->folder, &watch->overlapped, &bytes, FALSE) || bytes == 0) {
    changed = true;  // the buffer overflowed: what changed is unknown
  } else {
    const char* at = reinterpret_cast<const char*>(watch->buffer);
    for (;;) {
      const FILE_NOTIFY_INFORMATION* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(at);
      if (NamesPlacementFile(info)) changed = true;
      if (info->NextEntryOffset == 0) break;
      at += info->NextEntryOffset;
    }
  }
  // A folder that can no longer be watched (removed) counts as one change.
  if (!Arm(watch)) changed = true;
  return changed;
}

void StopFolderWatch(FolderWatch* watch) {
  if (!watch) return;
  if (watch->folder != INVALID_HANDLE_VALUE) {
    if (watch->pending) {
      CancelIo(watch->folder);
      DWORD bytes = 0;
      GetOverlappedResult(watch->folder, &watch->overlapped, &bytes, TRUE);
    }
    CloseHandle(watch->folder);
  }
  if (watch->overlapped.hEvent) CloseHandle(watch->overlapped.hEvent);
  delete watch;
}

}  // namespace os
