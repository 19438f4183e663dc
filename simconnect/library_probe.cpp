#include "simconnect/library_probe.h"

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

Outcome TryVersion(const Calls& calls, int version, Library* library) {
  void* context = calls.createContext(version);
  if (!context) return Outcome::kNotInstalled;
  // The context decides which SimConnect.dll the load finds; once loaded,
  // the library stays what it is, so the context need not stay active.
  void* loaded = nullptr;
  uintptr_t cookie = 0;
  if (calls.activate(context, &cookie)) {
    loaded = calls.load();
    calls.deactivate(cookie);
  }
  if (!loaded) {
    calls.releaseContext(context);
    return Outcome::kNotLoaded;
  }
  Library found;
  found.version = version;
  found.context = context;
  found.library = loaded;
  for (int i = 0; i < kFunctionCount; ++i) {
    found.functions[i] = calls.find(loaded, kFunctions[i]);
    if (!found.functions[i]) {
      Release(calls, &found);
      return Outcome::kIncomplete;
    }
  }
  *library = found;
  return Outcome::kLoaded;
}

bool LoadFirst(const Calls& calls, Library* library) {
  for (int version = 0; version < kVersionCount; ++version) {
    if (TryVersion(calls, version, library) == Outcome::kLoaded) return true;
  }
  return false;
}

void Release(const Calls& calls, Library* library) {
  if (library->library) calls.freeLibrary(library->library);
  if (library->context) calls.releaseContext(library->context);
  *library = Library();
}

}  // namespace simconnect_probe
