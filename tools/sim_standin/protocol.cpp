#include "tools/sim_standin/protocol.h"

#include <cmath>
#include <type_traits>

namespace standin {

size_t FixedPacketSize(uint32_t function) {
  switch (function) {
    case kFunctionOpen:
      return 296;
    case kFunctionAddToDataDefinition:
      return 544;
    case kFunctionRequestDataOnSimObjectType:
      return 32;
    case kFunctionSubscribeToSystemEvent:
      return 276;
    case kFunctionAICreateSimulatedObject:
      return 332;
    case kFunctionAIRemoveObject:
      return 24;
    default:
      return 0;
  }
}

FrameState CheckFrame(const uint8_t* data, size_t available, size_t* size, std::string* problem) {
  if (available < 4) return FrameState::kIncomplete;
  Reader reader(data, available);
  uint32_t declared = reader.U32();
  if (declared < kClientHeaderSize) {
    *problem = "packet size " + std::to_string(declared) + " is below the 16-byte header";
    return FrameState::kMalformed;
  }
  if (declared > kMaxPacketSize) {
    *problem = "packet size " + std::to_string(declared) + " is above the limit of " +
               std::to_string(kMaxPacketSize);
    return FrameState::kMalformed;
  }
  // The type sits in the header, so a wrong size for a known function can be
  // caught before the whole packet has arrived.
  if (available < kClientHeaderSize) return FrameState::kIncomplete;
  ClientHeader header = GetClientHeader(data);
  size_t fixed = FixedPacketSize(header.function);
  if (fixed != 0 && declared != fixed) {
    *problem = std::string(FunctionName(header.function)) + " packet of " +
               std::to_string(declared) + " bytes; it must be " + std::to_string(fixed);
    return FrameState::kMalformed;
  }
  if (available < declared) return FrameState::kIncomplete;
  *size = declared;
  return FrameState::kComplete;
}

ClientPacket DecodePacket(const uint8_t* data, size_t size) {
  ClientPacket packet;
  packet.header = GetClientHeader(data);
  Reader reader(data, size);
  reader.Skip(kClientHeaderSize);
  switch (packet.header.function) {
    case kFunctionOpen: {
      OpenPacket open;
      open.applicationName = reader.FixedString(256);
      open.reserved = reader.U32();
      uint32_t magic = reader.U32();
      for (int i = 0; i < 4; ++i) open.magic[i] = static_cast<uint8_t>(magic >> (8 * i));
      open.versionMajor = reader.U32();
      open.versionMinor = reader.U32();
      open.buildMajor = reader.U32();
      open.buildMinor = reader.U32();
      packet.body = open;
      break;
    }
    case kFunctionAddToDataDefinition: {
      AddToDataDefinitionPacket add;
      add.defineId = reader.U32();
      add.datumName = reader.FixedString(256);
      add.unitsName = reader.FixedString(256);
      add.datumType = reader.U32();
      add.epsilon = reader.F32();
      add.datumId = reader.U32();
      packet.body = add;
      break;
    }
    case kFunctionRequestDataOnSimObjectType: {
      RequestDataOnSimObjectTypePacket request;
      request.requestId = reader.U32();
      request.defineId = reader.U32();
      request.radiusMeters = reader.U32();
      request.objectType = reader.U32();
      packet.body = request;
      break;
    }
    case kFunctionSubscribeToSystemEvent: {
      SubscribeToSystemEventPacket subscribe;
      subscribe.eventId = reader.U32();
      subscribe.eventName = reader.FixedString(256);
      packet.body = subscribe;
      break;
    }
    case kFunctionAICreateSimulatedObject: {
      AICreateSimulatedObjectPacket create;
      create.containerTitle = reader.FixedString(256);
      InitPosition& p = create.position;
      p.latitude = reader.F64();
      p.longitude = reader.F64();
      p.altitude = reader.F64();
      p.pitch = reader.F64();
      p.bank = reader.F64();
      p.heading = reader.F64();
      p.onGround = reader.U32();
      p.airspeed = reader.U32();
      create.requestId = reader.U32();
      packet.body = create;
      break;
    }
    case kFunctionAIRemoveObject: {
      AIRemoveObjectPacket remove;
      remove.objectId = reader.U32();
      remove.requestId = reader.U32();
      packet.body = remove;
      break;
    }
    default:
      packet.body = UnknownPacket{};
      break;
  }
  return packet;
}

size_t DataTypeSize(uint32_t type) {
  switch (type) {
    case kDataTypeInt32:
      return 4;
    case kDataTypeInt64:
      return 8;
    case kDataTypeFloat32:
      return 4;
    case kDataTypeFloat64:
      return 8;
    default:
      return 0;
  }
}

namespace {

void PutDatum(std::vector<uint8_t>* body, const DatumValue& datum) {
  // Values outside an integer type's range are clamped, never undefined.
  double v = std::isfinite(datum.value) ? datum.value : 0.0;
  switch (datum.type) {
    case kDataTypeInt32:
      PutI32(body, static_cast<int32_t>(std::fmax(-2147483648.0, std::fmin(2147483647.0, v))));
      break;
    case kDataTypeInt64:
      PutI64(body, static_cast<int64_t>(std::fmax(-9.2e18, std::fmin(9.2e18, v))));
      break;
    case kDataTypeFloat32:
      PutF32(body, static_cast<float>(datum.value));
      break;
    default:
      PutF64(body, datum.value);
      break;
  }
}

struct Encoder {
  std::vector<uint8_t>* body;

  uint32_t operator()(const RecvOpen& m) const {
    PutFixedString(body, m.applicationName, 256);
    for (uint32_t v :
         {m.applicationVersionMajor, m.applicationVersionMinor, m.applicationBuildMajor,
          m.applicationBuildMinor, m.simConnectVersionMajor, m.simConnectVersionMinor,
          m.simConnectBuildMajor, m.simConnectBuildMinor, 0u, 0u}) {
      PutU32(body, v);
    }
    return kRecvOpen;
  }
  uint32_t operator()(const RecvQuit&) const { return kRecvQuit; }
  uint32_t operator()(const RecvEvent& m) const {
    PutU32(body, m.groupId);
    PutU32(body, m.eventId);
    PutU32(body, m.data);
    return kRecvEvent;
  }
  uint32_t operator()(const RecvSimObjectDataByType& m) const {
    for (uint32_t v : {m.requestId, m.objectId, m.defineId, m.flags, m.entryNumber, m.outOf,
                       static_cast<uint32_t>(m.data.size())}) {
      PutU32(body, v);
    }
    for (const DatumValue& datum : m.data) PutDatum(body, datum);
    return kRecvSimObjectDataByType;
  }
  uint32_t operator()(const RecvAssignedObjectId& m) const {
    PutU32(body, m.requestId);
    PutU32(body, m.objectId);
    return kRecvAssignedObjectId;
  }
  uint32_t operator()(const RecvException& m) const {
    PutU32(body, m.exception);
    PutU32(body, m.sendId);
    PutU32(body, m.index);
    return kRecvException;
  }
};

}  // namespace

std::vector<uint8_t> EncodeMessage(const ServerMessage& message, uint32_t version) {
  std::vector<uint8_t> body;
  uint32_t id = std::visit(Encoder{&body}, message);
  return MakeServerMessage(id, version, body);
}

const char* ExceptionName(uint32_t exception) {
  static const char* const kNames[] = {"NONE",
                                       "ERROR",
                                       "SIZE_MISMATCH",
                                       "UNRECOGNIZED_ID",
                                       "UNOPENED",
                                       "VERSION_MISMATCH",
                                       "TOO_MANY_GROUPS",
                                       "NAME_UNRECOGNIZED",
                                       "TOO_MANY_EVENT_NAMES",
                                       "EVENT_ID_DUPLICATE",
                                       "TOO_MANY_MAPS",
                                       "TOO_MANY_OBJECTS",
                                       "TOO_MANY_REQUESTS",
                                       "WEATHER_INVALID_PORT",
                                       "WEATHER_INVALID_METAR",
                                       "WEATHER_UNABLE_TO_GET_OBSERVATION",
                                       "WEATHER_UNABLE_TO_CREATE_STATION",
                                       "WEATHER_UNABLE_TO_REMOVE_STATION",
                                       "INVALID_DATA_TYPE",
                                       "INVALID_DATA_SIZE",
                                       "DATA_ERROR",
                                       "INVALID_ARRAY",
                                       "CREATE_OBJECT_FAILED",
                                       "LOAD_FLIGHTPLAN_FAILED",
                                       "OPERATION_INVALID_FOR_OBJECT_TYPE",
                                       "ILLEGAL_OPERATION",
                                       "ALREADY_SUBSCRIBED",
                                       "INVALID_ENUM",
                                       "DEFINITION_ERROR",
                                       "DUPLICATE_ID",
                                       "DATUM_ID",
                                       "OUT_OF_BOUNDS",
                                       "ALREADY_CREATED",
                                       "OBJECT_OUTSIDE_REALITY_BUBBLE",
                                       "OBJECT_CONTAINER",
                                       "OBJECT_AI",
                                       "OBJECT_ATC",
                                       "OBJECT_SCHEDULE"};
  return exception < std::size(kNames) ? kNames[exception] : "UNKNOWN";
}

const char* FunctionName(uint32_t function) {
  switch (function) {
    case kFunctionOpen:
      return "Open";
    case kFunctionAddToDataDefinition:
      return "AddToDataDefinition";
    case kFunctionRequestDataOnSimObjectType:
      return "RequestDataOnSimObjectType";
    case kFunctionSubscribeToSystemEvent:
      return "SubscribeToSystemEvent";
    case kFunctionAICreateSimulatedObject:
      return "AICreateSimulatedObject";
    case kFunctionAIRemoveObject:
      return "AIRemoveObject";
    default:
      return "Unknown";
  }
}

}  // namespace standin
