// SimConnect for systems without the simulator's own client library: the
// calls speak the FSX SP2 protocol over TCP to the address that
// SimConnect.cfg gives. No window messages or events are signalled; the
// caller polls SimConnect_CallDispatch.
#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "simconnect/config.h"
#include "simconnect/library.h"
#include "simconnect/simconnect.h"
#include "simconnect/socket.h"
#include "simconnect/wire.h"

namespace {

// Long enough for a loaded simulator to accept, short enough that a missing
// one is reported promptly.
constexpr int kConnectTimeoutMs = 3000;
// A simulator that takes no data for this long is treated as gone.
constexpr int kSendTimeoutMs = 5000;

struct Connection {
  net::Socket socket = net::kNoSocket;
  DWORD lastSendId = 0;
  wire::Inbox inbox;
  wire::Packet packet;  // reused for every send
  bool broken = false;  // a send failed; noticed at the next dispatch
  bool dispatching = false;
  bool closeLater = false;  // SimConnect_Close came from inside the dispatch
};

// Live connections, so a stale or foreign handle is refused, not followed.
std::vector<Connection*> connections;

Connection* Find(HANDLE handle) {
  auto found = std::find(connections.begin(), connections.end(), static_cast<Connection*>(handle));
  return found == connections.end() ? nullptr : *found;
}

void Destroy(Connection* connection) {
  net::CloseSocket(connection->socket);
  connections.erase(std::find(connections.begin(), connections.end(), connection));
  delete connection;
}

// Sends the packet built in connection->packet under the next send ID.
HRESULT Send(Connection* connection) {
  if (connection->socket == net::kNoSocket || connection->broken) return E_FAIL;
  if (!net::SendAll(connection->socket, connection->packet.bytes, connection->packet.size,
                    kSendTimeoutMs)) {
    connection->broken = true;
    return E_FAIL;
  }
  return S_OK;
}

// As the simulator's own library does: whatever arrived before a loss is
// handed on, then this call and every later one fails and delivers nothing.
// The program notices a lasting failure; no QUIT is made up.
HRESULT Dispatch(Connection* connection, DispatchProc dispatch, void* context) {
  bool lost = connection->broken;
  if (!lost) {
    // One read per call keeps an idle pass to a single system call.
    size_t room;
    uint8_t* space = wire::InboxSpace(&connection->inbox, &room);
    long count = room > 0 ? net::ReceiveSome(connection->socket, space, room) : net::kWouldBlock;
    if (count > 0) wire::InboxReceived(&connection->inbox, static_cast<size_t>(count));
    lost = count == net::kClosed;
  }
  SIMCONNECT_RECV* message;
  DWORD size;
  for (;;) {
    wire::Next next = wire::NextMessage(&connection->inbox, &message, &size);
    if (next == wire::Next::kNeedMore) break;
    if (next == wire::Next::kMalformed) {
      lost = true;
      break;
    }
    dispatch(message, size, context);
    if (connection->closeLater) return S_OK;
  }
  if (!lost && !connection->broken) return S_OK;
  net::CloseSocket(connection->socket);
  connection->socket = net::kNoSocket;
  return E_FAIL;
}

}  // namespace

// Built in: nothing to find or load.
bool LoadSimConnect() { return true; }

bool UnusableSimConnect(std::string*, std::string*) { return false; }

extern "C" {

HRESULT SIMCONNECT_CALL SimConnect_Open(HANDLE* phSimConnect, LPCSTR szName, HWND, DWORD, HANDLE,
                                        DWORD ConfigIndex) {
  if (phSimConnect == nullptr) return E_FAIL;
  *phSimConnect = nullptr;

  config::ClientConfig settings;
  std::string error;
  if (ConfigIndex != config::kConfigIndexLocal &&
      !config::LoadClientConfig(config::kFileName, ConfigIndex, &settings, &error)) {
    fprintf(stderr, "%s\n", error.c_str());
    return E_FAIL;
  }

  net::Family family =
      settings.protocol == config::Protocol::kIpv6 ? net::Family::kIpv6 : net::Family::kIpv4;
  net::Socket socket;
  switch (net::Connect(family, settings.address, settings.port, kConnectTimeoutMs, &socket)) {
    case net::ConnectResult::kConnected:
      break;
    case net::ConnectResult::kBadAddress:
      fprintf(stderr, "%s: Address \"%s\" is not an %s address; give one such as %s.\n",
              config::kFileName, settings.address.c_str(),
              family == net::Family::kIpv6 ? "IPv6" : "IPv4",
              family == net::Family::kIpv6 ? "::1" : "127.0.0.1");
      return E_FAIL;
    case net::ConnectResult::kUnreachable:
      return E_FAIL;
  }
  if (settings.disableNagle) net::DisableNagle(socket);

  Connection* connection = new Connection;
  connection->socket = socket;
  wire::ResetInbox(&connection->inbox, settings.maxReceiveSize);
  connections.push_back(connection);

  // The simulator answers with RECV_OPEN, handed on by a later dispatch.
  wire::EncodeOpen(&connection->packet, ++connection->lastSendId, szName);
  if (Send(connection) != S_OK) {
    Destroy(connection);
    return E_FAIL;
  }
  *phSimConnect = connection;
  return S_OK;
}

HRESULT SIMCONNECT_CALL SimConnect_Close(HANDLE hSimConnect) {
  Connection* connection = Find(hSimConnect);
  if (connection == nullptr) return E_FAIL;
  if (connection->dispatching) {
    connection->closeLater = true;
    return S_OK;
  }
  Destroy(connection);
  return S_OK;
}

HRESULT SIMCONNECT_CALL SimConnect_CallDispatch(HANDLE hSimConnect, DispatchProc pfcnDispatch,
                                                void* pContext) {
  Connection* connection = Find(hSimConnect);
  if (connection == nullptr || pfcnDispatch == nullptr) return E_FAIL;
  // Lost, or called again from inside the dispatch procedure.
  if (connection->socket == net::kNoSocket || connection->dispatching) return E_FAIL;
  connection->dispatching = true;
  HRESULT result = Dispatch(connection, pfcnDispatch, pContext);
  connection->dispatching = false;
  if (connection->closeLater) Destroy(connection);
  return result;
}

HRESULT SIMCONNECT_CALL SimConnect_AddToDataDefinition(HANDLE hSimConnect,
                                                       SIMCONNECT_DATA_DEFINITION_ID DefineID,
                                                       const char* DatumName, const char* UnitsName,
                                                       SIMCONNECT_DATATYPE DatumType,
                                                       float fEpsilon, DWORD DatumID) {
  Connection* connection = Find(hSimConnect);
  if (connection == nullptr) return E_FAIL;
  wire::EncodeAddToDataDefinition(&connection->packet, ++connection->lastSendId, DefineID,
                                  DatumName, UnitsName, DatumType, fEpsilon, DatumID);
  return Send(connection);
}

HRESULT SIMCONNECT_CALL SimConnect_SubscribeToSystemEvent(HANDLE hSimConnect,
                                                          SIMCONNECT_CLIENT_EVENT_ID EventID,
                                                          const char* SystemEventName) {
  Connection* connection = Find(hSimConnect);
  if (connection == nullptr) return E_FAIL;
  wire::EncodeSubscribeToSystemEvent(&connection->packet, ++connection->lastSendId, EventID,
                                     SystemEventName);
  return Send(connection);
}

HRESULT SIMCONNECT_CALL SimConnect_RequestDataOnSimObjectType(
    HANDLE hSimConnect, SIMCONNECT_DATA_REQUEST_ID RequestID,
    SIMCONNECT_DATA_DEFINITION_ID DefineID, DWORD dwRadiusMeters, SIMCONNECT_SIMOBJECT_TYPE type) {
  Connection* connection = Find(hSimConnect);
  if (connection == nullptr) return E_FAIL;
  wire::EncodeRequestDataOnSimObjectType(&connection->packet, ++connection->lastSendId, RequestID,
                                         DefineID, dwRadiusMeters, type);
  return Send(connection);
}

HRESULT SIMCONNECT_CALL SimConnect_AICreateSimulatedObject(HANDLE hSimConnect,
                                                           const char* szContainerTitle,
                                                           SIMCONNECT_DATA_INITPOSITION InitPos,
                                                           SIMCONNECT_DATA_REQUEST_ID RequestID) {
  Connection* connection = Find(hSimConnect);
  if (connection == nullptr) return E_FAIL;
  wire::EncodeAICreateSimulatedObject(&connection->packet, ++connection->lastSendId,
                                      szContainerTitle, InitPos, RequestID);
  return Send(connection);
}

HRESULT SIMCONNECT_CALL SimConnect_AIRemoveObject(HANDLE hSimConnect, SIMCONNECT_OBJECT_ID ObjectID,
                                                  SIMCONNECT_DATA_REQUEST_ID RequestID) {
  Connection* connection = Find(hSimConnect);
  if (connection == nullptr) return E_FAIL;
  wire::EncodeAIRemoveObject(&connection->packet, ++connection->lastSendId, ObjectID, RequestID);
  return Send(connection);
}

// No packet of its own: the library remembers the number it gave last.
HRESULT SIMCONNECT_CALL SimConnect_GetLastSentPacketID(HANDLE hSimConnect, DWORD* pdwSendID) {
  Connection* connection = Find(hSimConnect);
  if (connection == nullptr || pdwSendID == nullptr) return E_FAIL;
  *pdwSendID = connection->lastSendId;
  return S_OK;
}

}  // extern "C"
