// A SimConnect that can reach no simulator: every Open fails.
#include "simconnect/simconnect.h"

extern "C" {

HRESULT SimConnect_Open(HANDLE* phSimConnect, LPCSTR, HWND, DWORD, HANDLE, DWORD) {
  *phSimConnect = nullptr;
  return E_FAIL;
}
HRESULT SimConnect_Close(HANDLE) { return S_OK; }
HRESULT SimConnect_CallDispatch(HANDLE, DispatchProc, void*) { return E_FAIL; }
HRESULT SimConnect_AddToDataDefinition(HANDLE, SIMCONNECT_DATA_DEFINITION_ID, const char*,
                                       const char*, SIMCONNECT_DATATYPE, float, DWORD) {
  return E_FAIL;
}
HRESULT SimConnect_SubscribeToSystemEvent(HANDLE, SIMCONNECT_CLIENT_EVENT_ID, const char*) {
  return E_FAIL;
}
HRESULT SimConnect_RequestDataOnSimObjectType(HANDLE, SIMCONNECT_DATA_REQUEST_ID,
                                              SIMCONNECT_DATA_DEFINITION_ID, DWORD,
                                              SIMCONNECT_SIMOBJECT_TYPE) {
  return E_FAIL;
}
HRESULT SimConnect_AICreateSimulatedObject(HANDLE, const char*, SIMCONNECT_DATA_INITPOSITION,
                                           SIMCONNECT_DATA_REQUEST_ID) {
  return E_FAIL;
}
HRESULT SimConnect_AIRemoveObject(HANDLE, SIMCONNECT_OBJECT_ID, SIMCONNECT_DATA_REQUEST_ID) {
  return E_FAIL;
}
}
