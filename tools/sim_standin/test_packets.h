// Client packets for the stand-in's tests, laid out as an FSX SP2 client
// (protocol 4) sends them.
#ifndef BRINDLEWICK_TOOLS_SIM_STANDIN_TEST_PACKETS_H_
#define BRINDLEWICK_TOOLS_SIM_STANDIN_TEST_PACKETS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "tools/sim_standin/protocol.h"
#include "tools/sim_standin/wire.h"

namespace standin::test {

using Bytes = std::vector<uint8_t>;

inline Bytes OpenPacketBytes(uint32_t sendId, const std::string& name = "System Event",
                             uint32_t protocol = 4) {
  Bytes payload;
  PutFixedString(&payload, name, 256);
  PutU32(&payload, 0);
  PutU32(&payload, 0x46535800);  // 00 'X' 'S' 'F'
  for (uint32_t v : {10u, 0u, 61259u, 0u}) PutU32(&payload, v);
  return MakeClientPacket(kFunctionOpen, protocol, sendId, payload);
}

inline Bytes AddDatumBytes(uint32_t sendId, uint32_t defineId,
                           const std::string& name = "ZULU MONTH OF YEAR",
                           const std::string& units = "Number", uint32_t type = kDataTypeFloat64) {
  Bytes payload;
  PutU32(&payload, defineId);
  PutFixedString(&payload, name, 256);
  PutFixedString(&payload, units, 256);
  PutU32(&payload, type);
  PutF32(&payload, 0.0f);
  PutU32(&payload, 0xFFFFFFFF);
  return MakeClientPacket(kFunctionAddToDataDefinition, 4, sendId, payload);
}

inline Bytes RequestDataBytes(uint32_t sendId, uint32_t requestId, uint32_t defineId,
                              uint32_t radius = 0, uint32_t type = 0) {
  Bytes payload;
  for (uint32_t v : {requestId, defineId, radius, type}) PutU32(&payload, v);
  return MakeClientPacket(kFunctionRequestDataOnSimObjectType, 4, sendId, payload);
}

inline Bytes SubscribeBytes(uint32_t sendId, uint32_t eventId, const std::string& name) {
  Bytes payload;
  PutU32(&payload, eventId);
  PutFixedString(&payload, name, 256);
  return MakeClientPacket(kFunctionSubscribeToSystemEvent, 4, sendId, payload);
}

inline Bytes CreateBytes(uint32_t sendId, const std::string& title, uint32_t requestId,
                         double latitude = 47.5, double longitude = -122.25,
                         double altitude = 300) {
  Bytes payload;
  PutFixedString(&payload, title, 256);
  for (double v : {latitude, longitude, altitude, 0.0, 0.0, 90.0}) PutF64(&payload, v);
  PutU32(&payload, 1);  // on ground
  PutU32(&payload, 0);  // airspeed
  PutU32(&payload, requestId);
  return MakeClientPacket(kFunctionAICreateSimulatedObject, 4, sendId, payload);
}

inline Bytes RemoveBytes(uint32_t sendId, uint32_t objectId, uint32_t requestId) {
  Bytes payload;
  PutU32(&payload, objectId);
  PutU32(&payload, requestId);
  return MakeClientPacket(kFunctionAIRemoveObject, 4, sendId, payload);
}

inline ClientPacket Decode(const Bytes& bytes) { return DecodePacket(bytes.data(), bytes.size()); }

}  // namespace standin::test

#endif  // BRINDLEWICK_TOOLS_SIM_STANDIN_TEST_PACKETS_H_
