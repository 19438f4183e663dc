#include "setup/simconnect_status.h"

#include <vector>

#include "setup/setup_os.h"

const simconnect_probe::Calls* simConnectCalls = nullptr;

namespace {

using simconnect_probe::Outcome;

// Every version as the program's search finds it, in the order it tries them.
std::vector<Outcome> Probe() {
  std::vector<Outcome> outcomes;
  for (int version = 0; version < simconnect_probe::kVersionCount; ++version) {
    simconnect_probe::Library library;
    outcomes.push_back(simconnect_probe::TryVersion(*simConnectCalls, version, &library));
    simconnect_probe::Release(*simConnectCalls, &library);
  }
  return outcomes;
}

bool AnyLoaded(const std::vector<Outcome>& outcomes) {
  for (Outcome outcome : outcomes)
    if (outcome == Outcome::kLoaded) return true;
  return false;
}

// The Steam Edition keeps the installer of SP2's SimConnect in its SDK folder;
// boxed FSX installs it with SP2 or Acceleration.
void SayWhatToInstall(const std::vector<std::string>& simulatorFolders, std::ostream& out) {
  for (const std::string& folder : simulatorFolders) {
    std::string msi = folder;
    for (const char* part : {"SDK", "Core Utilities Kit", "SimConnect SDK", "LegacyInterfaces",
                             "FSX-XPACK", "SimConnect.msi"})
      msi += setup_os::kSeparator + std::string(part);
    if (!folder.empty() && setup_os::Exists(msi)) {
      out << "  Run " << msi << " to install it.\n";
      return;
    }
  }
  out << "  FSX Steam Edition: run <simulator folder>\\SDK\\Core Utilities Kit\\SimConnect SDK\\"
         "LegacyInterfaces\\FSX-XPACK\\SimConnect.msi\n"
         "  Boxed FSX: install Service Pack 2 or Acceleration; either installs it.\n";
}

}  // namespace

void ReportSimConnect(const std::vector<std::string>& simulatorFolders, std::ostream& out) {
  if (!simConnectCalls) return;
  std::vector<Outcome> outcomes = Probe();
  std::string installed, used;
  for (int version = 0; version < simconnect_probe::kVersionCount; ++version) {
    if (outcomes[version] == Outcome::kNotInstalled) continue;
    installed += installed.empty() ? " " : ", ";
    installed += simconnect_probe::kVersions[version];
    if (outcomes[version] == Outcome::kNotLoaded) installed += " (does not load)";
    if (outcomes[version] == Outcome::kIncomplete)
      installed += " (lacks a function Brindlewick calls)";
    if (outcomes[version] == Outcome::kLoaded && used.empty())
      used = simconnect_probe::kVersions[version];
  }
  out << "SimConnect installed:" << (installed.empty() ? " none" : installed) << "\n";
  if (!used.empty()) {
    out << "SimConnect Brindlewick will use: " << used << "\n";
    return;
  }
  out << "SimConnect Brindlewick will use: none; Brindlewick cannot reach the simulator.\n";
  SayWhatToInstall(simulatorFolders, out);
}

void WarnWithoutSimConnect(const std::vector<std::string>& simulatorFolders, std::ostream& out) {
  if (!simConnectCalls || AnyLoaded(Probe())) return;
  out << "Warning: SimConnect is not installed; Brindlewick cannot reach the simulator without "
         "it.\n";
  SayWhatToInstall(simulatorFolders, out);
}
