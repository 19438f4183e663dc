#include "setup/simconnect_status.h"

#include <algorithm>
#include <vector>

#include "setup/setup_os.h"

const simconnect_probe::Calls* simConnectCalls = nullptr;

namespace {

using simconnect_probe::Outcome;

// Every version as the program's search finds it, in the order it tries them.
std::vector<simconnect_probe::Attempt> Probe() {
  std::vector<simconnect_probe::Attempt> attempts(simconnect_probe::kVersionCount);
  for (int version = 0; version < simconnect_probe::kVersionCount; ++version) {
    simconnect_probe::Library library;
    simconnect_probe::TryVersion(*simConnectCalls, version, &library, &attempts[version]);
    simconnect_probe::Release(*simConnectCalls, &library);
  }
  return attempts;
}

bool AnyLoaded(const std::vector<simconnect_probe::Attempt>& attempts) {
  for (const simconnect_probe::Attempt& attempt : attempts)
    if (attempt.outcome == Outcome::kLoaded) return true;
  return false;
}

// A DLL by its own file version: Wine, Proton and the Steam Deck bind every
// request to the newest build, whatever version it asked for.
std::string Named(const simconnect_probe::Attempt& attempt) {
  std::string version = attempt.fileVersion.empty()
                            ? simconnect_probe::InstalledVersion(attempt) + " (no file version)"
                            : attempt.fileVersion;
  return version + " at " + attempt.file;
}

// The Steam Edition keeps the installer of SP2's SimConnect in its SDK folder;
// boxed FSX installs it with SP2 or Acceleration. Installed but broken, the
// same installers repair it.
void SayWhatToInstall(const std::vector<std::string>& simulatorFolders, bool repair,
                      std::ostream& out) {
  for (const std::string& folder : simulatorFolders) {
    std::string msi = folder;
    for (const char* part : {"SDK", "Core Utilities Kit", "SimConnect SDK", "LegacyInterfaces",
                             "FSX-XPACK", "SimConnect.msi"})
      msi += setup_os::kSeparator + std::string(part);
    if (!folder.empty() && setup_os::Exists(msi)) {
      out << "  Run " << msi << (repair ? " and choose Repair.\n" : " to install it.\n");
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
  std::vector<simconnect_probe::Attempt> attempts = Probe();
  // Each DLL once, however many requests bound to it; one that did not load
  // by the version that answered.
  std::vector<std::string> seen;
  std::string installed, used;
  for (const simconnect_probe::Attempt& attempt : attempts) {
    if (attempt.outcome == Outcome::kNotInstalled) continue;
    const std::string key = attempt.outcome == Outcome::kNotLoaded
                                ? "?" + simconnect_probe::InstalledVersion(attempt)
                                : attempt.file;
    if (std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
    seen.push_back(key);
    std::string item;
    if (attempt.outcome == Outcome::kNotLoaded) {
      item = simconnect_probe::InstalledVersion(attempt) +
             " (unusable: " + simconnect_probe::WhyUnusable(attempt) + ")";
    } else {
      item = Named(attempt);
      if (attempt.outcome == Outcome::kIncomplete)
        item += " (unusable: " + simconnect_probe::WhyUnusable(attempt) + ")";
      else if (used.empty())
        used = item;
    }
    installed += (installed.empty() ? " " : ", ") + item;
  }
  out << "SimConnect installed:" << (installed.empty() ? " none" : installed) << "\n";
  if (!used.empty()) {
    out << "SimConnect Brindlewick will use: " << used << "\n";
    return;
  }
  out << "SimConnect Brindlewick will use: none; Brindlewick cannot reach the simulator.\n";
  SayWhatToInstall(simulatorFolders, !installed.empty(), out);
}

void WarnWithoutSimConnect(const std::vector<std::string>& simulatorFolders, std::ostream& out) {
  if (!simConnectCalls) return;
  std::vector<simconnect_probe::Attempt> attempts = Probe();
  if (AnyLoaded(attempts)) return;
  for (const simconnect_probe::Attempt& attempt : attempts) {
    if (attempt.outcome == Outcome::kNotInstalled) continue;
    out << "Warning: SimConnect " << simconnect_probe::InstalledVersion(attempt)
        << " is installed, but Brindlewick cannot use it: "
        << simconnect_probe::WhyUnusable(attempt) << ".\n";
    SayWhatToInstall(simulatorFolders, true, out);
    return;
  }
  out << "Warning: SimConnect is not installed; Brindlewick cannot reach the simulator without "
         "it.\n";
  SayWhatToInstall(simulatorFolders, false, out);
}
