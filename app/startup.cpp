#include "app/startup.h"

#include <stdio.h>

#include <string>

#include "os/os.h"
#include "placement/discovery.h"
#include "placement/loader.h"
#include "placement/store.h"
#include "season/season_switch.h"
#include "sim/connection.h"

ConsoleCalls consoleCalls = {os::ConsoleProcessCount, os::PrepareOwnConsole, os::HideConsoleWindow};

bool LoadFoundPlacementFiles() {
  bool debug = false;
  for (const std::string& name : foundFiles) debug = LoadPlacementFile(kPlacementFolder, name);
  return debug;
}

int RunBrindlewick() {
  // A console shared with a command prompt is the prompt's: its window, its
  // settings. Only a console of the program's own is set up and hidden.
  const bool ownConsole = consoleCalls.processCount() == 1;
  if (ownConsole) consoleCalls.prepareOwn();
  printf("\n-------------------------");
  printf("\n   BRINDLEWICK  ");
  printf("\n  Seasonal scenery for FSX, by Quillmar");
  printf("\n-------------------------\n");

  placementStore = CreatePlacementStore();
  ScanPlacementFiles();
  if (!foundFiles.empty()) {
    // Only the last file decides whether the log stays on screen.
    if (!LoadFoundPlacementFiles() && ownConsole) consoleCalls.hide();
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
