// Where each FSX on this machine is installed and where it keeps exe.xml and
// its configuration, for the checker and the setup tool alike. The Windows
// calls are behind fsx_system.h (fsx_system-win32.cpp / -posix.cpp).
#ifndef BRINDLEWICK_FSX_FSX_LOCATION_H_
#define BRINDLEWICK_FSX_FSX_LOCATION_H_

#include <string>
#include <vector>

namespace fsx {

/// How the paths found are spelt: UTF-8 (the setup tool) or the ANSI code
/// page, in which the checker takes its paths from the command line.
enum class Spelling { kUtf8, kAnsi };

struct Installation {
  /// The Steam Edition: its own registry key, or the boxed key pointing at a
  /// folder that holds steam_api.dll (the Steam Edition installed alone).
  bool steam = false;
  std::string folder;    // the simulator's folder, without a closing separator
  std::string settings;  // %APPDATA%\Microsoft\FSX or \FSX-SE; empty without %APPDATA%
  std::string config;    // fsx.cfg there, or fsx_se.cfg in FSX-SE
  std::string exe_xml;   // exe.xml there
};

struct Simulators {
  std::string app_data;  // %APPDATA%; empty where there is none (not Windows)
  /// The boxed key's installation first, then the Steam Edition's own key's.
  std::vector<Installation> found;
  /// The registry values looked at, for a message when none names a folder.
  std::string keys_tried;
};

Simulators FindSimulators(Spelling spelling);

/// "boxed FSX" or "FSX Steam Edition", for messages.
const char* EditionName(const Installation& installation);

/// The installation whose folder is `folder` (any letter case, with or
/// without a closing separator); null when none is.
const Installation* InstallationIn(const Simulators& simulators, const std::string& folder);

}  // namespace fsx

#endif  // BRINDLEWICK_FSX_FSX_LOCATION_H_
