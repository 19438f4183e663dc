// The SimConnect wire format of FSX SP2 (protocol 4): the packets this client
// sends and the framing of the messages it receives. Pure byte work, no I/O.
#ifndef BRINDLEWICK_SIMCONNECT_WIRE_H_
#define BRINDLEWICK_SIMCONNECT_WIRE_H_

#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "simconnect/simconnect.h"

namespace wire {

constexpr DWORD kProtocol = 4;
constexpr size_t kClientHeaderSize = 16;
constexpr size_t kLargestPacket = 544;  // AddToDataDefinition

constexpr DWORD kOpenSize = 296;
constexpr DWORD kAddToDataDefinitionSize = 544;
constexpr DWORD kRequestDataOnSimObjectTypeSize = 32;
constexpr DWORD kSubscribeToSystemEventSize = 276;
constexpr DWORD kAICreateSimulatedObjectSize = 332;
constexpr DWORD kAIRemoveObjectSize = 24;

/// One client packet, built in place so sending needs no allocation.
struct Packet {
  uint8_t bytes[kLargestPacket];
  DWORD size;
};

void EncodeOpen(Packet* packet, DWORD sendId, const char* applicationName);
void EncodeAddToDataDefinition(Packet* packet, DWORD sendId, DWORD defineId, const char* datumName,
                               const char* unitsName, DWORD datumType, float epsilon,
                               DWORD datumId);
void EncodeSubscribeToSystemEvent(Packet* packet, DWORD sendId, DWORD eventId,
                                  const char* eventName);
void EncodeRequestDataOnSimObjectType(Packet* packet, DWORD sendId, DWORD requestId, DWORD defineId,
                                      DWORD radiusMeters, DWORD objectType);
void EncodeAICreateSimulatedObject(Packet* packet, DWORD sendId, const char* containerTitle,
                                   const SIMCONNECT_DATA_INITPOSITION& position, DWORD requestId);
void EncodeAIRemoveObject(Packet* packet, DWORD sendId, DWORD objectId, DWORD requestId);

constexpr DWORD kServerHeaderSize = 12;
constexpr DWORD kDefaultMaxReceiveSize = 65536;

/// The smallest message of kind `id` that is handed on: the published
/// structure's size, so every field a reader may look at is really there.
/// Data messages need 48 bytes (40 of header and one 8-byte datum): their
/// structure names only the first four data bytes, yet the widest scalar
/// datum, FLOAT64 - the only kind our program defines - is read there whole.
DWORD MinimumMessageSize(DWORD id);

/// Received bytes waiting to be cut into messages. The buffer holds exactly
/// one largest message, is allocated once, and is never grown.
struct Inbox {
  std::vector<uint8_t> bytes;
  size_t begin = 0;  // first byte not handed out yet
  size_t end = 0;    // one past the last byte received
};

/// Empties `inbox` and sizes it for messages of up to `maxMessageSize` bytes.
void ResetInbox(Inbox* inbox, DWORD maxMessageSize);

/// Where the next read goes and how much it may bring (never 0 once every
/// whole message has been taken). Moves an unfinished message to the front.
uint8_t* InboxSpace(Inbox* inbox, size_t* room);

/// Records that a read put `count` bytes at InboxSpace.
void InboxReceived(Inbox* inbox, size_t count);

enum class Next {
  kMessage,    // *message is a whole message, *size its dwSize
  kNeedMore,   // nothing complete is waiting
  kMalformed,  // a size below 12 or above the limit: the stream is lost
};

/// Hands out the next whole message, skipping those too short for their
/// kind. The message stays valid until the next InboxSpace call.
Next NextMessage(Inbox* inbox, SIMCONNECT_RECV** message, DWORD* size);

}  // namespace wire

#endif  // BRINDLEWICK_SIMCONNECT_WIRE_H_
