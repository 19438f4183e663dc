#include "app/startup.h"

#include <stdio.h>

#include <string>

#include "os/os.h"
#include "placement/discovery.h"
#include "placement/loader.h"
#include "placement/store.h"
#include "season/season_switch.h"
#include "sim/connection.h"

bool LoadFoundPlacementFiles() {
  std::string path;
  bool debug = false;
  for (const std::string& name : foundFiles) {
    path = kPlacementFolder;
    path += name;
    debug = LoadPlacementFile(path.c_str());
  }
  return debug;
}

int RunBrindlewick() {
  printf("\n-------------------------");
  printf("\n   BRINDLEWICK  ");
  printf("\n  Seasonal scenery for FSX, by Quillmar");
  printf("\n-------------------------\n");

  placementStore = CreatePlacementStore();
  ScanPlacementFiles();
  if (!foundFiles.empty()) {
    // Only the last file decides whether the log stays on screen.
    if (!LoadFoundPlacementFiles()) os::HideConsoleWindow();
  }
  objectIds = CreateObjectIdTable(placementStore->variantTitles.size());

  switch (RunSimConnection()) {
    case ConnectionEnd::kQuit:
      return 0;
    case ConnectionEnd::kNotOpened:
      fflush(stdout);
      fprintf(stderr, "Could not connect to the simulator.\n");
      return 1;
    case ConnectionEnd::kLost:
      fflush(stdout);
      fprintf(stderr, "Lost the connection to the simulator.\n");
      return 1;
  }
  return 1;
}
