// SimConnect on Windows: the simulator's SimConnect.dll, loaded at run time
// (library_probe.h) so that the program starts whichever edition's library
// is installed, or none, and can say what to install. The core calls the
// functions by name; each one here forwards to the DLL's.
#include <windows.h>

#include "os/wide_text-win32.h"
#include "output/output.h"
#include "simconnect/library.h"
#include "simconnect/library_probe.h"
#include "simconnect/simconnect.h"

namespace {

simconnect_probe::Library loaded;
simconnect_probe::Attempt unusable;  // when none loaded: the first installed
bool tried = false;

}  // namespace

bool LoadSimConnect() {
  if (!tried) {
    tried = true;
    simconnect_probe::LoadFirst(simconnect_probe::kWin32Calls, &loaded, &unusable);
    // Which one answers, for support: editions differ.
    if (loaded.library) {
      wchar_t path[MAX_PATH * 4];
      DWORD length = GetModuleFileNameW(static_cast<HMODULE>(loaded.library), path, MAX_PATH * 4);
      LogNote("SimConnect %s loaded from %s", simconnect_probe::kVersions[loaded.version],
              os::Narrow(std::wstring(path, length), CP_ACP).c_str());
    } else {
      LogNote("SimConnect: no version installed");
    }
  }
  return loaded.library != nullptr;
}

bool UnusableSimConnect(std::string* version, std::string* why) {
  if (loaded.library || unusable.version < 0) return false;
  *version = simconnect_probe::InstalledVersion(unusable);
  *why = simconnect_probe::WhyUnusable(unusable);
  return true;
}

// The DLL's function at `index` of kFunctions, typed as `name`; without a
// library the call fails as an unreachable simulator would.
#define FORWARD(index, name, ...)                                                           \
  (loaded.library ? reinterpret_cast<decltype(&name)>(loaded.functions[index])(__VA_ARGS__) \
                  : E_FAIL)

extern "C" {

HRESULT SIMCONNECT_CALL SimConnect_Open(HANDLE* phSimConnect, LPCSTR szName, HWND hWnd,
                                        DWORD UserEventWin32, HANDLE hEventHandle,
                                        DWORD ConfigIndex) {
  return FORWARD(0, SimConnect_Open, phSimConnect, szName, hWnd, UserEventWin32, hEventHandle,
                 ConfigIndex);
}

HRESULT SIMCONNECT_CALL SimConnect_Close(HANDLE hSimConnect) {
  return FORWARD(1, SimConnect_Close, hSimConnect);
}

HRESULT SIMCONNECT_CALL SimConnect_CallDispatch(HANDLE hSimConnect, DispatchProc pfcnDispatch,
                                                void* pContext) {
  return FORWARD(2, SimConnect_CallDispatch, hSimConnect, pfcnDispatch, pContext);
}

HRESULT SIMCONNECT_CALL SimConnect_AddToDataDefinition(HANDLE hSimConnect,
                                                       SIMCONNECT_DATA_DEFINITION_ID DefineID,
                                                       const char* DatumName, const char* UnitsName,
                                                       SIMCONNECT_DATATYPE DatumType,
                                                       float fEpsilon, DWORD DatumID) {
  return FORWARD(3, SimConnect_AddToDataDefinition, hSimConnect, DefineID, DatumName, UnitsName,
                 DatumType, fEpsilon, DatumID);
}

HRESULT SIMCONNECT_CALL SimConnect_SubscribeToSystemEvent(HANDLE hSimConnect,
                                                          SIMCONNECT_CLIENT_EVENT_ID EventID,
                                                          const char* SystemEventName) {
  return FORWARD(4, SimConnect_SubscribeToSystemEvent, hSimConnect, EventID, SystemEventName);
}

HRESULT SIMCONNECT_CALL SimConnect_RequestDataOnSimObjectType(
    HANDLE hSimConnect, SIMCONNECT_DATA_REQUEST_ID RequestID,
    SIMCONNECT_DATA_DEFINITION_ID DefineID, DWORD dwRadiusMeters, SIMCONNECT_SIMOBJECT_TYPE type) {
  return FORWARD(5, SimConnect_RequestDataOnSimObjectType, hSimConnect, RequestID, DefineID,
                 dwRadiusMeters, type);
}

HRESULT SIMCONNECT_CALL SimConnect_AICreateSimulatedObject(HANDLE hSimConnect,
                                                           const char* szContainerTitle,
                                                           SIMCONNECT_DATA_INITPOSITION InitPos,
                                                           SIMCONNECT_DATA_REQUEST_ID RequestID) {
  return FORWARD(6, SimConnect_AICreateSimulatedObject, hSimConnect, szContainerTitle, InitPos,
                 RequestID);
}

HRESULT SIMCONNECT_CALL SimConnect_AIRemoveObject(HANDLE hSimConnect, SIMCONNECT_OBJECT_ID ObjectID,
                                                  SIMCONNECT_DATA_REQUEST_ID RequestID) {
  return FORWARD(7, SimConnect_AIRemoveObject, hSimConnect, ObjectID, RequestID);
}

HRESULT SIMCONNECT_CALL SimConnect_GetLastSentPacketID(HANDLE hSimConnect, DWORD* pdwSendID) {
  return FORWARD(8, SimConnect_GetLastSentPacketID, hSimConnect, pdwSendID);
}

}  // extern "C"
