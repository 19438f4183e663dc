// Where the simulator is installed on this machine, as Windows records it.
// The lookups are behind sim_location-win32.cpp / sim_location-posix.cpp;
// elsewhere there is no simulator to find.
#ifndef BRINDLEWICK_CHECK_SIM_LOCATION_H_
#define BRINDLEWICK_CHECK_SIM_LOCATION_H_

#include <string>

/// The AppPath value of HKCU\Software\Microsoft\Microsoft Games\Flight
/// Simulator\10.0 (the boxed edition) or of "Flight Simulator - Steam
/// Edition\10.0" beside it; false when the key or value is not there.
bool ReadSimulatorAppPath(bool steam, std::string* folder);

/// The user's roaming application data folder (%APPDATA%), from the
/// known-folder call; empty when there is none.
std::string RoamingAppDataFolder();

struct SimulatorLocation {
  std::string folder;  // the install folder; empty: none found
  bool steam = false;
};

/// The simulator this machine has: the boxed edition first, then Steam's.
SimulatorLocation FindSimulator();

/// The fsx.cfg the simulator in `simFolder` reads, when it exists: the Steam
/// edition's fsx_se.cfg when the folder is that edition's, else fsx.cfg.
std::string UsualFsxCfg(const std::string& simFolder);

#endif  // BRINDLEWICK_CHECK_SIM_LOCATION_H_
