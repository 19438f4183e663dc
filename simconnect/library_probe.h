// Finding the simulator's SimConnect.dll: it is a side-by-side assembly, and
// each edition of the simulator installs its own version of it. The search
// runs on calls handed in as a table, so every platform's tests can play the
// Windows loader (library_probe-win32.cpp wires the real one).
#ifndef BRINDLEWICK_SIMCONNECT_LIBRARY_PROBE_H_
#define BRINDLEWICK_SIMCONNECT_LIBRARY_PROBE_H_

#include <stdint.h>

#include <string>

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
  /// Loads SimConnect.dll as the active context binds it; null on failure,
  /// with the loader's error code in `error`.
  void* (*load)(unsigned long* error);
  void* (*find)(void* library, const char* function);
  void (*freeLibrary)(void* library);
  void (*releaseContext)(void* context);
  /// The file `library` was loaded from, and its file version ("" without one).
  void (*identify)(void* library, std::string* file, std::string* fileVersion);
  /// The version of the assembly `context` bound ("" when it cannot say):
  /// Wine binds a request to the newest build installed.
  std::string (*boundVersion)(void* context);
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

/// What a try found, for messages.
struct Attempt {
  int version = -1;
  Outcome outcome = Outcome::kNotInstalled;
  std::string bound;            // the version installed that answered; "" unknown
  unsigned long loadError = 0;  // kNotLoaded: the loader's error code
  const char* lacking = "";     // kIncomplete: the first function missing
  std::string file;             // kIncomplete, kLoaded: the DLL that loaded
  std::string fileVersion;      // and its file version; "" when it has none
};

/// Tries kVersions[version]. kLoaded fills `library`; any other outcome
/// holds nothing and leaves `library` as it was. `attempt`, when given, gets
/// what was found, the DLL's file and version included.
Outcome TryVersion(const Calls& calls, int version, Library* library, Attempt* attempt = nullptr);

/// The first version in kVersions' order that yields every function; false
/// when none does, and then `unusable`, when given, gets the first version
/// installed but unusable (its version stays -1 when none is installed).
/// Whatever it tried and did not keep is released.
bool LoadFirst(const Calls& calls, Library* library, Attempt* unusable = nullptr);

/// The version installed that answered the try: the bound one where known.
std::string InstalledVersion(const Attempt& attempt);

/// Why an installed version cannot be used, for a pilot: "its SimConnect.dll
/// is missing", "... lacks SimConnect_Open".
std::string WhyUnusable(const Attempt& attempt);

/// Frees the library and its activation context.
void Release(const Calls& calls, Library* library);

}  // namespace simconnect_probe

#endif  // BRINDLEWICK_SIMCONNECT_LIBRARY_PROBE_H_
