// Finding the simulator's SimConnect.dll: it is a side-by-side assembly, and
// each edition of the simulator installs its own version of it. The search
// runs on calls handed in as a table, so every platform's tests can play the
// Windows loader (library_probe-win32.cpp wires the real one).
#ifndef BRINDLEWICK_SIMCONNECT_LIBRARY_PROBE_H_
#define BRINDLEWICK_SIMCONNECT_LIBRARY_PROBE_H_

#include <stdint.h>

namespace simconnect_probe {

/// The versions tried, in order: SP2 / Acceleration (what the program is
/// written for), the Steam Edition's builds from the latest down, SP1, RTM.
const int kVersionCount = 12;
extern const char* const kVersions[kVersionCount];

/// Every function the program calls, as the DLL exports them.
const int kFunctionCount = 9;
extern const char* const kFunctions[kFunctionCount];

/// The loader's calls, in the shape of the Win32 ones.
struct Calls {
  /// An activation context naming exactly kVersions[version]; null when that
  /// version is not installed.
  void* (*createContext)(int version);
  /// Activates `context`; false when it cannot. `cookie` undoes it.
  bool (*activate)(void* context, uintptr_t* cookie);
  void (*deactivate)(uintptr_t cookie);
  /// Loads SimConnect.dll as the active context binds it; null on failure.
  void* (*load)();
  void* (*find)(void* library, const char* function);
  void (*freeLibrary)(void* library);
  void (*releaseContext)(void* context);
};

/// Windows' own calls (library_probe-win32.cpp). They make each context from
/// a manifest our exe carries as a resource of type RT_MANIFEST, numbered
/// kFirstManifestId + the version's index (cmake/simconnect_manifests.cmake):
/// nothing is written to disk, and IDs past 16 stay clear of those Windows
/// reserves for itself.
extern const Calls kWin32Calls;
const int kFirstManifestId = 101;

/// A version loaded: kept until Release.
struct Library {
  int version = -1;  // index into kVersions
  void* context = nullptr;
  void* library = nullptr;
  void* functions[kFunctionCount] = {};  // in kFunctions' order
};

enum class Outcome {
  kNotInstalled,  // no activation context: the assembly is not installed
  kNotLoaded,     // installed, but SimConnect.dll would not load
  kIncomplete,    // loaded, but lacks one of our functions
  kLoaded,
};

/// Tries kVersions[version]. kLoaded fills `library`; any other outcome
/// holds nothing and leaves `library` as it was.
Outcome TryVersion(const Calls& calls, int version, Library* library);

/// The first version in kVersions' order that yields every function; false
/// when none does. Whatever it tried and did not keep is released.
bool LoadFirst(const Calls& calls, Library* library);

/// Frees the library and its activation context.
void Release(const Calls& calls, Library* library);

}  // namespace simconnect_probe

#endif  // BRINDLEWICK_SIMCONNECT_LIBRARY_PROBE_H_
