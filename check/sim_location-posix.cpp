// Only Windows records where the simulator is installed.
#include "check/sim_location.h"

bool ReadSimulatorAppPath(bool, std::string*) { return false; }

std::string RoamingAppDataFolder() { return std::string(); }
