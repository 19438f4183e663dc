#include "app/startup.h"

#include <stdio.h>

#include <string>

#include "app/author_mode.h"
#include "os/os.h"
#include "output/output.h"
#include "placement/discovery.h"
#include "placement/loader.h"
#include "placement/store.h"
#include "season/season_switch.h"
#include "sim/connection.h"
#include "simconnect/library.h"

ConsoleCalls consoleCalls = {os::ConsoleProcessCount, os::PrepareOwnConsole,
                             os::HideConsoleWindow,   os::StandardInputIsConsole,
                             os::KeepConsoleOpen,     os::ConsoleHasWindow};
bool (*claimFolder)() = os::ClaimSingleInstance;

namespace {

const char kNotInstalled[] =
    "SimConnect is not installed; Brindlewick needs it to reach the simulator.\n"
    "  FSX Steam Edition: run <simulator folder>\\SDK\\Core Utilities Kit\\SimConnect SDK\\"
    "LegacyInterfaces\\FSX-XPACK\\SimConnect.msi\n"
    "  Boxed FSX: install Service Pack 2 or Acceleration; either installs it.\n";

// Installed but broken: installing it again is not what the pilot needs.
std::string UnusableMessage(const std::string& version, const std::string& why) {
  return "SimConnect " + version + " is installed, but Brindlewick cannot use it: " + why +
         ".\n"
         "  Run brindlewick-setup status to see every SimConnect installed, then repair this one:\n"
         "  FSX Steam Edition: run its SimConnect.msi again and choose Repair.\n"
         "  Boxed FSX: repair Service Pack 2 or Acceleration, or install it again.\n";
}

// Ends a run that never got connected. The program's own console is hidden
// by now and closes with the process, so there it stays up for the pilot
// to read why, as long as a key press can end the wait and a window shows
// it (a launcher may start the program with a console and no window).
int EndUnconnected(const std::string& message, bool ownConsole) {
  ConsoleFlush();
  ConsoleErrorPuts(message.c_str());
  if (ownConsole && consoleCalls.inputIsConsole() && consoleCalls.hasWindow()) {
    ConsoleErrorPuts("Press a key to close this window (it closes by itself after 60 seconds).\n");
    consoleCalls.keepOpen(60000);
  }
  return 1;
}

}  // namespace

bool LoadFoundPlacementFiles() {
  bool debug = false;
  for (const std::string& name : foundFiles) debug = LoadPlacementFile(kPlacementFolder, name);
  return debug;
}

int RunBrindlewick() {
  // A console shared with a command prompt is the prompt's: its window, its
  // settings. Only a console of the program's own is set up and hidden.
  const bool ownConsole = consoleCalls.processCount() == 1;
  // The simulator starts one copy through exe.xml; one more, double-clicked,
  // would place every object a second time.
  if (!claimFolder()) {
    return EndUnconnected("Brindlewick is already running in this folder; this copy ends.\n",
                          ownConsole);
  }
  if (ownConsole) consoleCalls.prepareOwn();
  ConsolePrintf("\n-------------------------");
  ConsolePrintf("\n   BRINDLEWICK  ");
  ConsolePrintf("\n  Seasonal scenery for FSX, by Quillmar");
  ConsolePrintf("\n-------------------------\n");

  placementStore = CreatePlacementStore();
  ScanPlacementFiles();
  if (!foundFiles.empty()) {
    // Only the last file decides whether the log stays on screen.
    authorMode = LoadFoundPlacementFiles();
    if (!authorMode && ownConsole) consoleCalls.hide();
  }
  objectIds = CreateObjectIdTable(placementStore->variantTitles.size());

  switch (RunSimConnection()) {
    case ConnectionEnd::kQuit:
      return 0;
    case ConnectionEnd::kNotInstalled: {
      std::string version, why;
      if (UnusableSimConnect(&version, &why))
        return EndUnconnected(UnusableMessage(version, why), ownConsole);
      return EndUnconnected(kNotInstalled, ownConsole);
    }
    case ConnectionEnd::kNotOpened:
      return EndUnconnected("Could not connect to the simulator.\n", ownConsole);
    case ConnectionEnd::kLost:
      ConsoleFlush();
      ConsoleErrorf("Lost the connection to the simulator.\n");
      return 1;
  }
  return 1;
}
