#include "tests/recording_simconnect.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

namespace recording {

Script script;

void Reset() { script = Script(); }

void Deliver(std::vector<Message> batch) { script.batches.push_back(std::move(batch)); }

namespace {

template <typename T>
Message Bytes(T& record, DWORD id) {
  record.dwSize = sizeof record;
  record.dwVersion = 4;
  record.dwID = id;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(&record);
  return Message(p, p + sizeof record);
}

void Record(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Record(const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  vsnprintf(line, sizeof line, format, args);
  va_end(args);
  script.calls.push_back(line);
}

HANDLE const kHandle = reinterpret_cast<HANDLE>(0x5C);

}  // namespace

Message Quit() {
  SIMCONNECT_RECV_QUIT quit{};
  return Bytes(quit, SIMCONNECT_RECV_ID_QUIT);
}

Message Event(DWORD eventId) {
  SIMCONNECT_RECV_EVENT event{};
  event.uGroupID = SIMCONNECT_RECV_EVENT::UNKNOWN_GROUP;
  event.uEventID = eventId;
  return Bytes(event, SIMCONNECT_RECV_ID_EVENT);
}

Message Month(DWORD requestId, double month) {
  SIMCONNECT_RECV_SIMOBJECT_DATA_BYTYPE data{};
  data.dwRequestID = requestId;
  data.dwentrynumber = 1;
  data.dwoutof = 1;
  data.dwDefineCount = 1;
  Message bytes = Bytes(data, SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE);
  bytes.resize(40 + sizeof month);
  memcpy(&bytes[40], &month, sizeof month);
  DWORD size = static_cast<DWORD>(bytes.size());
  memcpy(&bytes[0], &size, sizeof size);
  return bytes;
}

Message AssignedId(DWORD requestId, DWORD objectId) {
  SIMCONNECT_RECV_ASSIGNED_OBJECT_ID assigned{};
  assigned.dwRequestID = requestId;
  assigned.dwObjectID = objectId;
  return Bytes(assigned, SIMCONNECT_RECV_ID_ASSIGNED_OBJECT_ID);
}

Message Exception(DWORD exception) {
  SIMCONNECT_RECV_EXCEPTION record{};
  record.dwException = exception;
  record.dwIndex = 0xFFFFFFFFu;
  return Bytes(record, SIMCONNECT_RECV_ID_EXCEPTION);
}

Message Open() {
  SIMCONNECT_RECV_OPEN open{};
  strcpy(open.szApplicationName, "Stand-in");
  return Bytes(open, SIMCONNECT_RECV_ID_OPEN);
}

}  // namespace recording

using recording::kHandle;
using recording::Record;
using recording::script;

extern "C" {

HRESULT SIMCONNECT_CALL SimConnect_Open(HANDLE* phSimConnect, LPCSTR szName, HWND hWnd,
                                        DWORD UserEventWin32, HANDLE hEventHandle,
                                        DWORD ConfigIndex) {
  Record("Open name=%s hwnd=%s msg=%u event=%s config=%u", szName, hWnd ? "set" : "null",
         static_cast<unsigned>(UserEventWin32), hEventHandle ? "set" : "null",
         static_cast<unsigned>(ConfigIndex));
  *phSimConnect = script.openResult < 0 ? nullptr : kHandle;
  return script.openResult;
}

HRESULT SIMCONNECT_CALL SimConnect_Close(HANDLE h) {
  Record("Close handle=%s", h == kHandle ? "ok" : "bad");
  return S_OK;
}

HRESULT SIMCONNECT_CALL SimConnect_CallDispatch(HANDLE h, DispatchProc proc, void* context) {
  ++script.dispatchCalls;
  if (h != kHandle) Record("CallDispatch on a bad handle");
  if (script.batches.empty()) return S_OK;
  std::vector<recording::Message> batch = std::move(script.batches.front());
  script.batches.pop_front();
  for (recording::Message& message : batch) {
    proc(reinterpret_cast<SIMCONNECT_RECV*>(message.data()), static_cast<DWORD>(message.size()),
         context);
  }
  return S_OK;
}

HRESULT SIMCONNECT_CALL SimConnect_AddToDataDefinition(HANDLE h,
                                                       SIMCONNECT_DATA_DEFINITION_ID DefineID,
                                                       const char* DatumName, const char* UnitsName,
                                                       SIMCONNECT_DATATYPE DatumType,
                                                       float fEpsilon, DWORD DatumID) {
  Record("AddToDataDefinition handle=%s def=%u datum=%s units=%s type=%d epsilon=%g id=%u",
         h == kHandle ? "ok" : "bad", static_cast<unsigned>(DefineID), DatumName, UnitsName,
         static_cast<int>(DatumType), static_cast<double>(fEpsilon),
         static_cast<unsigned>(DatumID));
  return S_OK;
}

HRESULT SIMCONNECT_CALL SimConnect_SubscribeToSystemEvent(HANDLE h,
                                                          SIMCONNECT_CLIENT_EVENT_ID EventID,
                                                          const char* SystemEventName) {
  Record("SubscribeToSystemEvent handle=%s event=%u name=%s", h == kHandle ? "ok" : "bad",
         static_cast<unsigned>(EventID), SystemEventName);
  return S_OK;
}

HRESULT SIMCONNECT_CALL SimConnect_RequestDataOnSimObjectType(
    HANDLE h, SIMCONNECT_DATA_REQUEST_ID RequestID, SIMCONNECT_DATA_DEFINITION_ID DefineID,
    DWORD dwRadiusMeters, SIMCONNECT_SIMOBJECT_TYPE type) {
  Record("RequestDataOnSimObjectType handle=%s req=%u def=%u radius=%u type=%d",
         h == kHandle ? "ok" : "bad", static_cast<unsigned>(RequestID),
         static_cast<unsigned>(DefineID), static_cast<unsigned>(dwRadiusMeters),
         static_cast<int>(type));
  return S_OK;
}

HRESULT SIMCONNECT_CALL SimConnect_AICreateSimulatedObject(HANDLE h, const char* szContainerTitle,
                                                           SIMCONNECT_DATA_INITPOSITION p,
                                                           SIMCONNECT_DATA_REQUEST_ID RequestID) {
  Record("Create %s title=%s at=%.6f,%.6f,%.2f pbh=%g,%g,%g ground=%u speed=%u req=%u",
         h == kHandle ? "ok" : "bad", szContainerTitle, p.Latitude, p.Longitude, p.Altitude,
         p.Pitch, p.Bank, p.Heading, static_cast<unsigned>(p.OnGround),
         static_cast<unsigned>(p.Airspeed), static_cast<unsigned>(RequestID));
  return S_OK;
}

HRESULT SIMCONNECT_CALL SimConnect_AIRemoveObject(HANDLE h, SIMCONNECT_OBJECT_ID ObjectID,
                                                  SIMCONNECT_DATA_REQUEST_ID RequestID) {
  Record("Remove %s object=%u req=%u", h == kHandle ? "ok" : "bad", static_cast<unsigned>(ObjectID),
         static_cast<unsigned>(RequestID));
  return S_OK;
}
}
