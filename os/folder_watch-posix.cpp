// The folder watch with inotify: one non-blocking descriptor, read only when
// the program asks, so watching costs nothing between saves.
#include <errno.h>
#include <sys/inotify.h>
#include <unistd.h>

#include "os/folder_watch.h"

namespace os {

struct FolderWatch {
  int descriptor = -1;
};

FolderWatch* StartFolderWatch(const std::string& nativeFolder) {
  int descriptor = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (descriptor < 0) return nullptr;
  // A save through a temporary file and a rename ends in IN_MOVED_TO; a save
  // in place in IN_CLOSE_WRITE, after IN_MODIFY for each write.
  const uint32_t events = IN_CREATE | IN_DELETE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_FROM |
                          IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;
  if (inotify_add_watch(descriptor, nativeFolder.c_str(), events) < 0) {
    close(descriptor);
    return nullptr;
  }
  FolderWatch* watch = new FolderWatch;
  watch->descriptor = descriptor;
  return watch;
}

bool FolderChanged(FolderWatch* watch) {
  if (!watch) return false;
  bool changed = false;
  alignas(struct inotify_event) char buffer[4096];
  for (;;) {
    ssize_t count = read(watch->descriptor, buffer, sizeof buffer);
    if (count <= 0) break;  // EAGAIN: nothing more waiting
    for (ssize_t at = 0; at < count;) {
      const struct inotify_event* event =
          reinterpret_cast<const struct inotify_event*>(buffer + at);
      // The folder itself gone or moved, or events lost: read everything again.
      if (event->mask & (IN_Q_OVERFLOW | IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) {
        changed = true;
      } else if (event->len > 0 && IsPlacementName(event->name)) {
        changed = true;
      }
      at += static_cast<ssize_t>(sizeof(struct inotify_event) + event->len);
    }
  }
  return changed;
}

void StopFolderWatch(FolderWatch* watch) {
  if (!watch) return;
  close(watch->descriptor);
  delete watch;
}

}  // namespace os
