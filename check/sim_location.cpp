#include "check/sim_location.h"

#include <stdio.h>

#include "ini/ini.h"
#include "os/os.h"
#include "os/regular_file.h"

namespace {

// Folders compare without regard to case or a closing separator.
std::string Comparable(std::string folder) {
  while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  return ini::Lower(folder);
}

bool Exists(const std::string& path) {
  FILE* file = os::OpenRegularFile(os::NativePath(path));
  if (file) fclose(file);
  return file != nullptr;
}

}  // namespace

SimulatorLocation FindSimulator() {
  SimulatorLocation location;
  if (ReadSimulatorAppPath(false, &location.folder) && !location.folder.empty()) return location;
  location.steam = ReadSimulatorAppPath(true, &location.folder) && !location.folder.empty();
  if (!location.steam) location.folder.clear();
  return location;
}

std::string UsualFsxCfg(const std::string& simFolder) {
  std::string appData = RoamingAppDataFolder();
  if (appData.empty()) return std::string();
  std::string steamFolder;
  bool steam =
      ReadSimulatorAppPath(true, &steamFolder) && Comparable(steamFolder) == Comparable(simFolder);
  std::string path =
      appData + (steam ? "\\Microsoft\\FSX-SE\\fsx_se.cfg" : "\\Microsoft\\FSX\\fsx.cfg");
  return Exists(path) ? path : std::string();
}
