#include "tests/recording_simconnect.h"

#include <stdio.h>
#include <string.h>

#include <sstream>

namespace recording {

Script script;

void Reset() { script = Script(); }
void Deliver(std::vector<Message> batch) { script.steps.push_back({S_OK, 0, std::move(batch)}); }
void Fail(unsigned advanceMs) { script.steps.push_back({E_FAIL, advanceMs, {}}); }
unsigned Now() { return script.now; }

// Laid out by hand, as the simulator sends it: header, then DWORD fields.
Message Other(DWORD id, DWORD size) {
  Message bytes(size, 0);
  DWORD header[3] = {size, 4, id};
  memcpy(bytes.data(), header, sizeof header);
  return bytes;
}

namespace {

Message WithFields(DWORD id, DWORD size, std::vector<DWORD> fields) {
  Message bytes = Other(id, size);
  memcpy(&bytes[12], fields.data(), fields.size() * sizeof(DWORD));
  return bytes;
}

}  // namespace

Message Quit() { return Other(SIMCONNECT_RECV_ID_QUIT, 12); }
Message Event(DWORD eventId) {
  return WithFields(SIMCONNECT_RECV_ID_EVENT, 24, {SIMCONNECT_RECV_EVENT::UNKNOWN_GROUP, eventId});
}
Message AssignedId(DWORD requestId, DWORD objectId) {
  return WithFields(SIMCONNECT_RECV_ID_ASSIGNED_OBJECT_ID, 20, {requestId, objectId});
}
Message Month(DWORD requestId, double month) {
  Message bytes =
      WithFields(SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE, 48, {requestId, 0, 0, 0, 1, 1, 1});
  memcpy(&bytes[40], &month, sizeof month);
  return bytes;
}

}  // namespace recording

namespace {

template <typename... Parts>
void Record(const Parts&... parts) {
  std::ostringstream line;
  (line << ... << parts);
  recording::script.calls.push_back(line.str());
}

std::string Fixed(double value, int digits) {
  char text[64];
  snprintf(text, sizeof text, "%.*f", digits, value);
  return text;
}

HANDLE const kHandle = reinterpret_cast<HANDLE>(0x5C);
const char* Handle(HANDLE h) { return h == kHandle ? "ok" : "bad"; }

}  // namespace

extern "C" {

HRESULT SIMCONNECT_CALL SimConnect_Open(HANDLE* handle, LPCSTR name, HWND window, DWORD message,
                                        HANDLE event, DWORD config) {
  Record("Open name=", name, " hwnd=", window ? "set" : "null", " msg=", message,
         " event=", event ? "set" : "null", " config=", config);
  *handle = recording::script.openResult < 0 ? nullptr : kHandle;
  return recording::script.openResult;
}

HRESULT SIMCONNECT_CALL SimConnect_Close(HANDLE h) {
  Record("Close handle=", Handle(h));
  return S_OK;
}

HRESULT SIMCONNECT_CALL SimConnect_CallDispatch(HANDLE h, DispatchProc proc, void* context) {
  if (h != kHandle) Record("CallDispatch on a bad handle");
  if (recording::script.steps.empty()) return S_OK;
  recording::Step step = std::move(recording::script.steps.front());
  recording::script.steps.pop_front();
  recording::script.now += step.advanceMs;
  for (recording::Message& m : step.messages) {
    proc(reinterpret_cast<SIMCONNECT_RECV*>(m.data()), static_cast<DWORD>(m.size()), context);
  }
  return step.result;
}

HRESULT SIMCONNECT_CALL SimConnect_AddToDataDefinition(HANDLE h, DWORD def, const char* datum,
                                                       const char* units, SIMCONNECT_DATATYPE type,
                                                       float epsilon, DWORD id) {
  Record("AddToDataDefinition handle=", Handle(h), " def=", def, " datum=", datum, " units=", units,
         " type=", +type, " epsilon=", epsilon, " id=", id);
  return S_OK;
}

HRESULT SIMCONNECT_CALL SimConnect_SubscribeToSystemEvent(HANDLE h, DWORD id, const char* name) {
  Record("SubscribeToSystemEvent handle=", Handle(h), " event=", id, " name=", name);
  return S_OK;
}

HRESULT SIMCONNECT_CALL SimConnect_RequestDataOnSimObjectType(HANDLE h, DWORD request, DWORD def,
                                                              DWORD radius,
                                                              SIMCONNECT_SIMOBJECT_TYPE type) {
  Record("RequestDataOnSimObjectType handle=", Handle(h), " req=", request, " def=", def,
         " radius=", radius, " type=", +type);
  return S_OK;
}

HRESULT SIMCONNECT_CALL SimConnect_AICreateSimulatedObject(HANDLE h, const char* title,
                                                           SIMCONNECT_DATA_INITPOSITION p,
                                                           DWORD request) {
  Record("Create ", Handle(h), " title=", title, " at=", Fixed(p.Latitude, 6), ",",
         Fixed(p.Longitude, 6), ",", Fixed(p.Altitude, 2), " pbh=", p.Pitch, ",", p.Bank, ",",
         p.Heading, " ground=", p.OnGround, " speed=", p.Airspeed, " req=", request);
  return S_OK;
}

HRESULT SIMCONNECT_CALL SimConnect_AIRemoveObject(HANDLE h, DWORD object, DWORD request) {
  Record("Remove ", Handle(h), " object=", object, " req=", request);
  return S_OK;
}
}
