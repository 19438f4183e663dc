#include "simconnect/wire.h"

#include <string.h>

namespace wire {

namespace {

// Every integer on the wire is little-endian whatever the host is.
void PutDword(uint8_t* at, DWORD value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
  at[2] = static_cast<uint8_t>(value >> 16);
  at[3] = static_cast<uint8_t>(value >> 24);
}

void PutFloat(uint8_t* at, float value) {
  uint32_t bits;
  memcpy(&bits, &value, sizeof bits);
  PutDword(at, bits);
}

void PutDouble(uint8_t* at, double value) {
  uint64_t bits;
  memcpy(&bits, &value, sizeof bits);
  PutDword(at, static_cast<DWORD>(bits));
  PutDword(at + 4, static_cast<DWORD>(bits >> 32));
}

DWORD GetDword(const uint8_t* at) {
  return static_cast<DWORD>(at[0]) | static_cast<DWORD>(at[1]) << 8 |
         static_cast<DWORD>(at[2]) << 16 | static_cast<DWORD>(at[3]) << 24;
}

// A fixed string field: cut to leave room for the terminating zero, padded
// with zeros. A null string is sent as all zeros.
void PutString(uint8_t* at, size_t width, const char* text) {
  memset(at, 0, width);
  if (text == nullptr) return;
  size_t length = strnlen(text, width - 1);
  memcpy(at, text, length);
}

// Starts a packet of `size` bytes: header, and a zeroed payload.
uint8_t* Begin(Packet* packet, DWORD size, DWORD functionId, DWORD sendId) {
  packet->size = size;
  memset(packet->bytes, 0, size);
  PutDword(packet->bytes, size);
  PutDword(packet->bytes + 4, kProtocol);
  // Every client sets the high nibble; servers mask it off.
  PutDword(packet->bytes + 8, 0xF0000000u | functionId);
  PutDword(packet->bytes + 12, sendId);
  return packet->bytes;
}

}  // namespace

void EncodeOpen(Packet* packet, DWORD sendId, const char* applicationName) {
  uint8_t* p = Begin(packet, kOpenSize, 0x01, sendId);
  PutString(p + 16, 256, applicationName);
  // 272: a reserved zero DWORD, then the "\0XSF" magic and the version of the
  // client library the SP2 server expects: 10.0.61259.0.
  p[277] = 'X';
  p[278] = 'S';
  p[279] = 'F';
  PutDword(p + 280, 10);
  PutDword(p + 284, 0);
  PutDword(p + 288, 61259);
  PutDword(p + 292, 0);
}

void EncodeAddToDataDefinition(Packet* packet, DWORD sendId, DWORD defineId, const char* datumName,
                               const char* unitsName, DWORD datumType, float epsilon,
                               DWORD datumId) {
  uint8_t* p = Begin(packet, kAddToDataDefinitionSize, 0x0C, sendId);
  PutDword(p + 16, defineId);
  PutString(p + 20, 256, datumName);
  PutString(p + 276, 256, unitsName);
  PutDword(p + 532, datumType);
  PutFloat(p + 536, epsilon);
  PutDword(p + 540, datumId);
}

void EncodeSubscribeToSystemEvent(Packet* packet, DWORD sendId, DWORD eventId,
                                  const char* eventName) {
  uint8_t* p = Begin(packet, kSubscribeToSystemEventSize, 0x17, sendId);
  PutDword(p + 16, eventId);
  PutString(p + 20, 256, eventName);
}

void EncodeRequestDataOnSimObjectType(Packet* packet, DWORD sendId, DWORD requestId, DWORD defineId,
                                      DWORD radiusMeters, DWORD objectType) {
  uint8_t* p = Begin(packet, kRequestDataOnSimObjectTypeSize, 0x0F, sendId);
  PutDword(p + 16, requestId);
  PutDword(p + 20, defineId);
  PutDword(p + 24, radiusMeters);
  PutDword(p + 28, objectType);
}

void EncodeAICreateSimulatedObject(Packet* packet, DWORD sendId, const char* containerTitle,
                                   const SIMCONNECT_DATA_INITPOSITION& position, DWORD requestId) {
  uint8_t* p = Begin(packet, kAICreateSimulatedObjectSize, 0x2A, sendId);
  PutString(p + 16, 256, containerTitle);
  PutDouble(p + 272, position.Latitude);
  PutDouble(p + 280, position.Longitude);
  PutDouble(p + 288, position.Altitude);
  PutDouble(p + 296, position.Pitch);
  PutDouble(p + 304, position.Bank);
  PutDouble(p + 312, position.Heading);
  PutDword(p + 320, position.OnGround);
  PutDword(p + 324, position.Airspeed);
  PutDword(p + 328, requestId);
}

void EncodeAIRemoveObject(Packet* packet, DWORD sendId, DWORD objectId, DWORD requestId) {
  uint8_t* p = Begin(packet, kAIRemoveObjectSize, 0x2C, sendId);
  PutDword(p + 16, objectId);
  PutDword(p + 20, requestId);
}

DWORD MinimumMessageSize(DWORD id) {
  switch (id) {
    case SIMCONNECT_RECV_ID_EXCEPTION:
      return sizeof(SIMCONNECT_RECV_EXCEPTION);
    case SIMCONNECT_RECV_ID_OPEN:
      return sizeof(SIMCONNECT_RECV_OPEN);
    case SIMCONNECT_RECV_ID_EVENT:
      return sizeof(SIMCONNECT_RECV_EVENT);
    case SIMCONNECT_RECV_ID_SIMOBJECT_DATA:
    case SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE:
      return sizeof(SIMCONNECT_RECV_SIMOBJECT_DATA) - sizeof(DWORD) + sizeof(double);
    case SIMCONNECT_RECV_ID_ASSIGNED_OBJECT_ID:
      return sizeof(SIMCONNECT_RECV_ASSIGNED_OBJECT_ID);
    default:
      return kServerHeaderSize;
  }
}

void ResetInbox(Inbox* inbox, DWORD maxMessageSize) {
  inbox->bytes.assign(maxMessageSize, 0);
  inbox->begin = 0;
  inbox->end = 0;
}

uint8_t* InboxSpace(Inbox* inbox, size_t* room) {
  if (inbox->begin == inbox->end) {
    inbox->begin = inbox->end = 0;
  } else if (inbox->begin > 0) {
    memmove(inbox->bytes.data(), inbox->bytes.data() + inbox->begin, inbox->end - inbox->begin);
    inbox->end -= inbox->begin;
    inbox->begin = 0;
  }
  *room = inbox->bytes.size() - inbox->end;
  return inbox->bytes.data() + inbox->end;
}

void InboxReceived(Inbox* inbox, size_t count) { inbox->end += count; }

Next NextMessage(Inbox* inbox, SIMCONNECT_RECV** message, DWORD* size) {
  for (;;) {
    size_t waiting = inbox->end - inbox->begin;
    if (waiting < 4) return Next::kNeedMore;
    uint8_t* at = inbox->bytes.data() + inbox->begin;
    // The size is judged as soon as it is in, so garbage is caught without
    // waiting for bytes that may never come.
    DWORD messageSize = GetDword(at);
    if (messageSize < kServerHeaderSize || messageSize > inbox->bytes.size()) {
      return Next::kMalformed;
    }
    if (waiting < messageSize) return Next::kNeedMore;
    inbox->begin += messageSize;
    if (messageSize < MinimumMessageSize(GetDword(at + 8))) continue;
    *message = reinterpret_cast<SIMCONNECT_RECV*>(at);
    *size = messageSize;
    return Next::kMessage;
  }
}

}  // namespace wire
