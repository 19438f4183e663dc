#include "tests/recording_simconnect.h"

#include <string.h>

#include <sstream>

#include "simconnect/library.h"

namespace recording {

Script script;

// Laid out by hand, as the simulator sends it: header, then DWORD fields.
Message Other(DWORD id, DWORD size, std::vector<DWORD> fields) {
  fields.insert(fields.begin(), {size, 4, id});
  Message bytes(size, 0);
  memcpy(bytes.data(), fields.data(), fields.size() * sizeof(DWORD));
  return bytes;
}

}  // namespace recording

namespace {

HANDLE const kHandle = reinterpret_cast<HANDLE>(0x5C);
const char* Handle(HANDLE h) { return h == kHandle ? "ok" : "bad"; }

template <typename... Parts>
HRESULT Record(const Parts&... parts) {
  std::ostringstream line;
  (line << ... << parts);
  recording::script.calls.push_back(line.str());
  return S_OK;
}

}  // namespace

bool LoadSimConnect() { return recording::script.installed; }

bool UnusableSimConnect(std::string* version, std::string* why) {
  *version = "10.0.61259.0";
  *why = recording::script.unusable;
  return !recording::script.unusable.empty();
}

extern "C" {

HRESULT SIMCONNECT_CALL SimConnect_Open(HANDLE* handle, LPCSTR name, HWND window, DWORD message,
                                        HANDLE event, DWORD config) {
  Record("Open name=", name, " hwnd=", window ? "set" : "null", " msg=", message,
         " event=", event ? "set" : "null", " config=", config);
  *handle = recording::script.openResult < 0 ? nullptr : kHandle;
  return recording::script.openResult;
}

HRESULT SIMCONNECT_CALL SimConnect_Close(HANDLE h) { return Record("Close ", Handle(h)); }

HRESULT SIMCONNECT_CALL SimConnect_CallDispatch(HANDLE h, DispatchProc proc, void* context) {
  if (h != kHandle) Record("CallDispatch on a bad handle");
  if (recording::script.steps.empty()) return S_OK;
  recording::Step step = std::move(recording::script.steps.front());
  recording::script.steps.pop_front();
  recording::script.now += step.advanceMs;
  for (auto& m : step.messages) {
    DWORD size;  // as the header says, which a test may make short of the bytes there
    memcpy(&size, m.data(), sizeof size);
    proc(reinterpret_cast<SIMCONNECT_RECV*>(m.data()), size, context);
  }
  return step.result;
}

HRESULT SIMCONNECT_CALL SimConnect_AddToDataDefinition(HANDLE h, DWORD def, const char* datum,
                                                       const char* units, SIMCONNECT_DATATYPE type,
                                                       float epsilon, DWORD id) {
  return Record("Define ", Handle(h), " ", def, " ", datum, "/", units, "/", +type, "/", epsilon,
                "/", id);
}

HRESULT SIMCONNECT_CALL SimConnect_SubscribeToSystemEvent(HANDLE h, DWORD id, const char* name) {
  return Record("Subscribe ", Handle(h), " ", id, " ", name);
}

HRESULT SIMCONNECT_CALL SimConnect_RequestDataOnSimObjectType(HANDLE h, DWORD request, DWORD def,
                                                              DWORD radius,
                                                              SIMCONNECT_SIMOBJECT_TYPE type) {
  return Record("Request ", Handle(h), " ", request, "/", def, "/", radius, "/", +type);
}

HRESULT SIMCONNECT_CALL SimConnect_AICreateSimulatedObject(HANDLE h, const char* title,
                                                           SIMCONNECT_DATA_INITPOSITION p,
                                                           DWORD request) {
  return Record("Create ", Handle(h), " ", title, " ", p.Latitude, ",", p.Longitude, ",",
                p.Altitude, " ", p.Pitch, ",", p.Bank, ",", p.Heading, " ", p.OnGround, "/",
                p.Airspeed, " ", request);
}

HRESULT SIMCONNECT_CALL SimConnect_AIRemoveObject(HANDLE h, DWORD object, DWORD request) {
  return Record("Remove ", Handle(h), " ", object, " ", request);
}

// Not recorded, as it sends nothing: each recorded call counts as one packet.
HRESULT SIMCONNECT_CALL SimConnect_GetLastSentPacketID(HANDLE, DWORD* id) {
  *id = static_cast<DWORD>(recording::script.calls.size());
  return S_OK;
}
}
