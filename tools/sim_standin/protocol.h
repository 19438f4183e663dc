// The SimConnect messages the stand-in understands and sends (FSX SP2
// dialect): decoding of client packets, encoding of server messages, and the
// framing rules that decide when a client is talking nonsense.
#ifndef BRINDLEWICK_TOOLS_SIM_STANDIN_PROTOCOL_H_
#define BRINDLEWICK_TOOLS_SIM_STANDIN_PROTOCOL_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "tools/sim_standin/wire.h"

namespace standin {

// Function ids, as found in the client header once the high nibble is masked.
constexpr uint32_t kFunctionOpen = 0x01;
constexpr uint32_t kFunctionAddToDataDefinition = 0x0C;
constexpr uint32_t kFunctionRequestDataOnSimObjectType = 0x0F;
constexpr uint32_t kFunctionSubscribeToSystemEvent = 0x17;
constexpr uint32_t kFunctionAICreateSimulatedObject = 0x2A;
constexpr uint32_t kFunctionAIRemoveObject = 0x2C;

// Message ids of what the server sends.
constexpr uint32_t kRecvException = 1;
constexpr uint32_t kRecvOpen = 2;
constexpr uint32_t kRecvQuit = 3;
constexpr uint32_t kRecvEvent = 4;
constexpr uint32_t kRecvSimObjectDataByType = 9;
constexpr uint32_t kRecvAssignedObjectId = 12;

// Exception codes the stand-in reports.
constexpr uint32_t kExceptionError = 1;
constexpr uint32_t kExceptionUnrecognizedId = 3;
constexpr uint32_t kExceptionUnopened = 4;
constexpr uint32_t kExceptionVersionMismatch = 5;
constexpr uint32_t kExceptionNameUnrecognized = 7;
constexpr uint32_t kExceptionTooManyEventNames = 8;
constexpr uint32_t kExceptionTooManyObjects = 11;
constexpr uint32_t kExceptionCreateObjectFailed = 22;
constexpr uint32_t kExceptionIllegalOperation = 25;
constexpr uint32_t kExceptionInvalidEnum = 27;
constexpr uint32_t kExceptionDefinitionError = 28;
constexpr uint32_t kExceptionOutOfBounds = 31;

constexpr uint32_t kUnknownIndex = 0xFFFFFFFF;
constexpr uint32_t kUnknownGroup = 0xFFFFFFFF;

// Data types a datum can be asked for in.
constexpr uint32_t kDataTypeInt32 = 1;
constexpr uint32_t kDataTypeInt64 = 2;
constexpr uint32_t kDataTypeFloat32 = 3;
constexpr uint32_t kDataTypeFloat64 = 4;

/// Largest packet a client may send. Every packet we understand is far
/// smaller (544 bytes at most); the limit only bounds what an unknown
/// function may make us buffer.
constexpr size_t kMaxPacketSize = 8192;

/// The fixed total size of a packet of `function`, or 0 for a function the
/// stand-in does not know.
size_t FixedPacketSize(uint32_t function);

/// What the front of a receive buffer holds.
enum class FrameState { kIncomplete, kComplete, kMalformed };

/// Checks the packet at the front of `data`. kComplete puts its size into
/// `size`; kMalformed puts a short reason into `problem`.
FrameState CheckFrame(const uint8_t* data, size_t available, size_t* size, std::string* problem);

struct OpenPacket {
  std::string applicationName;
  uint32_t reserved = 0;
  uint8_t magic[4] = {0, 0, 0, 0};
  uint32_t versionMajor = 0, versionMinor = 0, buildMajor = 0, buildMinor = 0;
};

struct AddToDataDefinitionPacket {
  uint32_t defineId = 0;
  std::string datumName;
  std::string unitsName;
  uint32_t datumType = 0;
  float epsilon = 0.0f;
  uint32_t datumId = 0;
};

struct RequestDataOnSimObjectTypePacket {
  uint32_t requestId = 0;
  uint32_t defineId = 0;
  uint32_t radiusMeters = 0;
  uint32_t objectType = 0;
};

struct SubscribeToSystemEventPacket {
  uint32_t eventId = 0;
  std::string eventName;
};

struct InitPosition {
  double latitude = 0, longitude = 0, altitude = 0, pitch = 0, bank = 0, heading = 0;
  uint32_t onGround = 0;
  uint32_t airspeed = 0;
};

struct AICreateSimulatedObjectPacket {
  std::string containerTitle;
  InitPosition position;
  uint32_t requestId = 0;
};

struct AIRemoveObjectPacket {
  uint32_t objectId = 0;
  uint32_t requestId = 0;
};

/// A function the stand-in does not serve; only the header is kept.
struct UnknownPacket {};

using PacketBody = std::variant<OpenPacket, AddToDataDefinitionPacket,
                                RequestDataOnSimObjectTypePacket, SubscribeToSystemEventPacket,
                                AICreateSimulatedObjectPacket, AIRemoveObjectPacket, UnknownPacket>;

struct ClientPacket {
  ClientHeader header;
  PacketBody body;
};

/// Decodes a packet that CheckFrame found complete (`size` bytes).
ClientPacket DecodePacket(const uint8_t* data, size_t size);

struct RecvOpen {
  std::string applicationName;
  uint32_t applicationVersionMajor = 0, applicationVersionMinor = 0;
  uint32_t applicationBuildMajor = 0, applicationBuildMinor = 0;
  uint32_t simConnectVersionMajor = 0, simConnectVersionMinor = 0;
  uint32_t simConnectBuildMajor = 0, simConnectBuildMinor = 0;
};

struct RecvQuit {};

struct RecvEvent {
  uint32_t groupId = kUnknownGroup;
  uint32_t eventId = 0;
  uint32_t data = 0;
};

/// One datum of a data reply: what was asked for and its value.
struct DatumValue {
  std::string name;
  std::string units;
  uint32_t type = kDataTypeFloat64;
  double value = 0;
};

struct RecvSimObjectDataByType {
  uint32_t requestId = 0;
  uint32_t objectId = 0;
  uint32_t defineId = 0;
  uint32_t flags = 0;
  uint32_t entryNumber = 1;
  uint32_t outOf = 1;
  std::vector<DatumValue> data;
};

struct RecvAssignedObjectId {
  uint32_t requestId = 0;
  uint32_t objectId = 0;
};

struct RecvException {
  uint32_t exception = 0;
  uint32_t sendId = 0;
  uint32_t index = kUnknownIndex;
};

using ServerMessage = std::variant<RecvOpen, RecvQuit, RecvEvent, RecvSimObjectDataByType,
                                   RecvAssignedObjectId, RecvException>;

/// The bytes of `message` with `version` in its header.
std::vector<uint8_t> EncodeMessage(const ServerMessage& message, uint32_t version);

/// Wire size of one datum of `type`, or 0 for a type the stand-in cannot serve.
size_t DataTypeSize(uint32_t type);

/// Name of an exception code, e.g. "CREATE_OBJECT_FAILED".
const char* ExceptionName(uint32_t exception);

/// Name of a function id, e.g. "AICreateSimulatedObject"; "Unknown" otherwise.
const char* FunctionName(uint32_t function);

}  // namespace standin

#endif  // BRINDLEWICK_TOOLS_SIM_STANDIN_PROTOCOL_H_
