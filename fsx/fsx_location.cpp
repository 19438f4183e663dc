#include "fsx/fsx_location.h"

#include "fsx/fsx_system.h"

namespace fsx {

namespace {

// "C:\FSX\" and "C:\FSX" are one folder; a drive's root keeps its separator.
std::string WithoutClosingSeparator(std::string folder) {
  while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  return folder;
}

// Windows compares file names without regard to case; "C:" is "C:\" here.
std::string Comparable(const std::string& folder) {
  std::string out = folder;
  while (!out.empty() && (out.back() == '\\' || out.back() == '/')) out.pop_back();
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// The folder a key's AppPath names; empty when there is none or it is no text.
std::string AppPath(const System& system, Key key) {
  RegistryText value;
  if (!system.app_path(key, &value)) return "";
  if (value.type == kRegExpandSz) {
    value.text = system.expand(value.text);
  } else if (value.type != kRegSz) {
    return "";
  }
  return WithoutClosingSeparator(value.text);
}

}  // namespace

KeyPlace PlaceOf(Key key) {
  switch (key) {
    case Key::kSteam:
      return {false, "Software\\Microsoft\\Microsoft Games\\Flight Simulator - Steam Edition\\10.0",
              "AppPath"};
    case Key::kBoxedSetup:
      return {true, "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0", "SetupPath"};
    default:
      return {false, "Software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0", "AppPath"};
  }
}

Simulators FindSimulators(const System& system, Spelling spelling) {
  const std::string sep(1, system.separator);
  const std::string app_data = system.app_data();
  // The account's value is written when the simulator first runs; until
  // then only the installer's is there.
  std::string boxed = AppPath(system, Key::kBoxed);
  if (boxed.empty()) boxed = AppPath(system, Key::kBoxedSetup);
  const std::string steam = AppPath(system, Key::kSteam);
  Simulators simulators;
  simulators.app_data = system.spell(app_data, spelling);
  for (Key key : {Key::kBoxed, Key::kBoxedSetup, Key::kSteam}) {
    KeyPlace place = PlaceOf(key);
    if (!simulators.keys_tried.empty()) simulators.keys_tried += ", ";
    simulators.keys_tried +=
        std::string(place.machine ? "HKLM\\" : "HKCU\\") + place.key + " " + place.value;
  }
  // The Steam Edition installed alone writes the boxed key and keeps the boxed
  // edition's settings folder; beside the boxed edition it has its own key and
  // FSX-SE. Both keys naming one folder: the settings it keeps tell, and
  // without fsx.cfg alone the Steam Edition's own key does.
  auto add = [&](const std::string& folder, bool is_steam, bool beside) {
    Installation found;
    found.steam = is_steam;
    found.folder = system.spell(folder, spelling);
    if (!app_data.empty()) {
      std::string settings = app_data + sep + "Microsoft" + sep + (beside ? "FSX-SE" : "FSX");
      found.settings = system.spell(settings, spelling);
      found.config = system.spell(settings + sep + (beside ? "fsx_se.cfg" : "fsx.cfg"), spelling);
      found.exe_xml = system.spell(settings + sep + "exe.xml", spelling);
    }
    simulators.found.push_back(found);
  };
  const std::string settings = app_data + sep + "Microsoft" + sep;
  const bool one_folder = !boxed.empty() && Comparable(boxed) == Comparable(steam);
  const bool boxed_settings = one_folder && !app_data.empty() &&
                              system.exists(settings + "FSX" + sep + "fsx.cfg") &&
                              !system.exists(settings + "FSX-SE" + sep + "fsx_se.cfg");
  if (!boxed.empty() && (!one_folder || boxed_settings))
    add(boxed, system.exists(boxed + sep + "steam_api.dll"), false);
  if (!steam.empty() && !boxed_settings) add(steam, true, true);
  return simulators;
}

Simulators FindSimulators(Spelling spelling) { return FindSimulators(ThisSystem(), spelling); }

const char* EditionName(const Installation& installation) {
  return installation.steam ? "FSX Steam Edition" : "boxed FSX";
}

const Installation* InstallationIn(const Simulators& simulators, const std::string& folder) {
  for (const Installation& installation : simulators.found)
    if (Comparable(installation.folder) == Comparable(folder)) return &installation;
  return nullptr;
}

}  // namespace fsx
