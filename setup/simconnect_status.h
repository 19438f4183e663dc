// What brindlewick-setup says about SimConnect: the versions installed, the
// one Brindlewick will take, and when there is none, what to install.
#ifndef BRINDLEWICK_SETUP_SIMCONNECT_STATUS_H_
#define BRINDLEWICK_SETUP_SIMCONNECT_STATUS_H_

#include <ostream>
#include <string>
#include <vector>

#include "simconnect/library_probe.h"

/// The calls that look for SimConnect, the program's own search; null where
/// the program needs no SimConnect library (the native build has its network
/// client built in), and then nothing is said about it.
extern const simconnect_probe::Calls* simConnectCalls;

/// For status: each SimConnect DLL that answered a request, once, by its file
/// version and path (a version that does not load: by the version that
/// answered, and why), and the one used; when none, the installer, by its
/// full path where it lies in one of `simulatorFolders`.
void ReportSimConnect(const std::vector<std::string>& simulatorFolders, std::ostream& out);

/// For install: a warning when no SimConnect is installed, or none usable;
/// otherwise nothing.
void WarnWithoutSimConnect(const std::vector<std::string>& simulatorFolders, std::ostream& out);

#endif  // BRINDLEWICK_SETUP_SIMCONNECT_STATUS_H_
