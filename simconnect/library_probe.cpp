#include "simconnect/library_probe.h"

#include <string>

namespace simconnect_probe {

const char* const kVersions[kVersionCount] = {
    "10.0.61259.0", "10.0.62615.0", "10.0.62614.0", "10.0.62613.0", "10.0.62612.0", "10.0.62611.0",
    "10.0.62610.0", "10.0.62609.0", "10.0.62608.0", "10.0.62607.0", "10.0.61242.0", "10.0.60905.0",
};

const char* const kFunctions[kFunctionCount] = {
    "SimConnect_Open",
    "SimConnect_Close",
    "SimConnect_CallDispatch",
    "SimConnect_AddToDataDefinition",
    "SimConnect_SubscribeToSystemEvent",
    "SimConnect_RequestDataOnSimObjectType",
    "SimConnect_AICreateSimulatedObject",
    "SimConnect_AIRemoveObject",
    "SimConnect_GetLastSentPacketID",
};

Outcome TryVersion(const Calls& calls, int version, Library* library, Attempt* attempt) {
  Attempt local;
  if (!attempt) attempt = &local;
  *attempt = Attempt();
  attempt->version = version;
  void* context = calls.createContext(version);
  if (!context) return attempt->outcome = Outcome::kNotInstalled;
  if (attempt != &local) attempt->bound = calls.boundVersion(context);
  // The context decides which SimConnect.dll the load finds; once loaded,
  // the library stays what it is, so the context need not stay active.
  void* loaded = nullptr;
  uintptr_t cookie = 0;
  if (calls.activate(context, &cookie)) {
    loaded = calls.load(&attempt->loadError);
    calls.deactivate(cookie);
  }
  if (!loaded) {
    calls.releaseContext(context);
    return attempt->outcome = Outcome::kNotLoaded;
  }
  if (attempt != &local) calls.identify(loaded, &attempt->file, &attempt->fileVersion);
  Library found;
  found.version = version;
  found.context = context;
  found.library = loaded;
  for (int i = 0; i < kFunctionCount; ++i) {
    found.functions[i] = calls.find(loaded, kFunctions[i]);
    if (!found.functions[i]) {
      Release(calls, &found);
      attempt->lacking = kFunctions[i];
      return attempt->outcome = Outcome::kIncomplete;
    }
  }
  *library = found;
  return attempt->outcome = Outcome::kLoaded;
}

bool LoadFirst(const Calls& calls, Library* library, Attempt* unusable) {
  Attempt first, attempt;
  for (int version = 0; version < kVersionCount; ++version) {
    if (TryVersion(calls, version, library, &attempt) == Outcome::kLoaded) return true;
    if (first.version < 0 && attempt.outcome != Outcome::kNotInstalled) first = attempt;
  }
  if (unusable) *unusable = first;
  return false;
}

std::string InstalledVersion(const Attempt& attempt) {
  if (!attempt.bound.empty()) return attempt.bound;
  return attempt.version < 0 ? std::string() : kVersions[attempt.version];
}

std::string WhyUnusable(const Attempt& attempt) {
  if (attempt.outcome == Outcome::kIncomplete)
    return std::string("its SimConnect.dll lacks ") + attempt.lacking;
  switch (attempt.loadError) {
    case 2:    // ERROR_FILE_NOT_FOUND
    case 126:  // ERROR_MOD_NOT_FOUND
      return "its SimConnect.dll, or a DLL it needs, is missing";
    case 193:  // ERROR_BAD_EXE_FORMAT
      return "its SimConnect.dll is not a DLL for this system";
    case 14001:  // ERROR_SXS_CANT_GEN_ACTCTX: what the DLL's own manifest names
      return "an assembly its SimConnect.dll needs (such as the Visual C++ 2005 runtime) is "
             "missing";
  }
  return "its SimConnect.dll does not load (error " + std::to_string(attempt.loadError) + ")";
}

void Release(const Calls& calls, Library* library) {
  if (library->library) calls.freeLibrary(library->library);
  if (library->context) calls.releaseContext(library->context);
  *library = Library();
}

}  // namespace simconnect_probe
