#include "tools/sim_standin/protocol.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tools/sim_standin/test_packets.h"

namespace standin {
namespace {

using test::Bytes;

uint32_t U32At(const Bytes& bytes, size_t offset) {
  Reader reader(bytes.data() + offset, bytes.size() - offset);
  return reader.U32();
}

Bytes Header(uint32_t size, uint32_t type) {
  Bytes bytes;
  for (uint32_t v : {size, 4u, type, 7u}) PutU32(&bytes, v);
  return bytes;
}

TEST(CheckFrame, SortsTheFrontOfTheBuffer) {
  struct Case {
    const char* name;
    Bytes bytes;
    FrameState state;
    size_t size;         // for kComplete
    const char* reason;  // for kMalformed
  } cases[] = {
      {"three bytes", {16, 0, 0}, FrameState::kIncomplete, 0, ""},
      {"size below header", {8, 0, 0, 0}, FrameState::kMalformed, 0, "below the 16-byte header"},
      {"size zero", {0, 0, 0, 0}, FrameState::kMalformed, 0, "below"},
      {"size above limit", {0x29, 0x23, 0, 0}, FrameState::kMalformed, 0, "above the limit"},
      {"header still arriving", {0x28, 0x01, 0, 0, 4, 0}, FrameState::kIncomplete, 0, ""},
      {"open arriving", Header(296, 0xF0000001), FrameState::kIncomplete, 0, ""},
      {"open of wrong size", Header(300, 0xF0000001), FrameState::kMalformed, 0,
       "Open packet of 300 bytes; it must be 296"},
      {"remove of wrong size", Header(28, 0xF000002C), FrameState::kMalformed, 0, "must be 24"},
      {"nibble ignored for size check", Header(16, 0x0000002C), FrameState::kMalformed, 0,
       "must be 24"},
      {"unknown function, header only", Header(16, 0xF0000003), FrameState::kComplete, 16, ""},
      {"whole remove", test::RemoveBytes(1, 1000, 2), FrameState::kComplete, 24, ""},
  };
  for (const Case& c : cases) {
    size_t size = 0;
    std::string problem;
    EXPECT_EQ(CheckFrame(c.bytes.data(), c.bytes.size(), &size, &problem), c.state) << c.name;
    if (c.state == FrameState::kComplete) {
      EXPECT_EQ(size, c.size) << c.name;
    }
    EXPECT_NE(problem.find(c.reason), std::string::npos) << c.name << ": " << problem;
  }
}

TEST(DecodePacket, ReadsAnOpenAsTheLibrarySendsIt) {
  Bytes bytes = {0x28, 0x01, 0, 0, 0x04, 0, 0, 0, 0x01, 0, 0, 0xF0, 0x01, 0, 0, 0};
  const char name[] = "System Event";
  bytes.insert(bytes.end(), name, name + sizeof name - 1);
  bytes.resize(272, 0);
  Bytes tail = {0, 0, 0, 0, 0x00, 0x58, 0x53, 0x46, 0x0A, 0, 0, 0,
                0, 0, 0, 0, 0x4B, 0xEF, 0,    0,    0,    0, 0, 0};
  bytes.insert(bytes.end(), tail.begin(), tail.end());
  ASSERT_EQ(bytes.size(), 296u);
  EXPECT_EQ(bytes, test::OpenPacketBytes(1));

  ClientPacket packet = test::Decode(bytes);
  const auto& open = std::get<OpenPacket>(packet.body);
  EXPECT_EQ(open.applicationName, "System Event");
  EXPECT_EQ(open.magic[1], 'X');
  EXPECT_EQ(open.magic[3], 'F');
  EXPECT_EQ(open.versionMajor, 10u);
  EXPECT_EQ(open.buildMajor, 61259u);
}

TEST(DecodePacket, ReadsEveryFieldAtItsOffset) {
  Bytes bytes = test::CreateBytes(9, "Oak Tree", 5, 47.5, -122.25, 300);
  ASSERT_EQ(bytes.size(), 332u);
  double latitude;
  std::memcpy(&latitude, bytes.data() + 272, 8);  // little-endian host
  EXPECT_EQ(latitude, 47.5);
  EXPECT_EQ(U32At(bytes, 328), 5u);

  ClientPacket packet = test::Decode(bytes);
  EXPECT_EQ(packet.header.sendId, 9u);
  const auto& create = std::get<AICreateSimulatedObjectPacket>(packet.body);
  EXPECT_EQ(create.containerTitle, "Oak Tree");
  EXPECT_EQ(create.position.latitude, 47.5);
  EXPECT_EQ(create.position.longitude, -122.25);
  EXPECT_EQ(create.position.altitude, 300);
  EXPECT_EQ(create.position.heading, 90);
  EXPECT_EQ(create.position.onGround, 1u);
  EXPECT_EQ(create.requestId, 5u);

  ClientPacket addPacket = test::Decode(test::AddDatumBytes(2, 1, "ZULU MONTH OF YEAR", "Number"));
  const auto& add = std::get<AddToDataDefinitionPacket>(addPacket.body);
  EXPECT_EQ(add.defineId, 1u);
  EXPECT_EQ(add.datumName, "ZULU MONTH OF YEAR");
  EXPECT_EQ(add.unitsName, "Number");
  EXPECT_EQ(add.datumType, kDataTypeFloat64);
  EXPECT_EQ(add.datumId, 0xFFFFFFFFu);

  ClientPacket requestPacket = test::Decode(test::RequestDataBytes(3, 1, 2, 5, 0));
  const auto& request = std::get<RequestDataOnSimObjectTypePacket>(requestPacket.body);
  EXPECT_EQ(request.requestId, 1u);
  EXPECT_EQ(request.defineId, 2u);
  EXPECT_EQ(request.radiusMeters, 5u);

  ClientPacket removePacket = test::Decode(test::RemoveBytes(4, 1000, 7));
  const auto& remove = std::get<AIRemoveObjectPacket>(removePacket.body);
  EXPECT_EQ(remove.objectId, 1000u);
  EXPECT_EQ(remove.requestId, 7u);
}

TEST(EncodeMessage, LaysOutEachMessage) {
  RecvOpen open;
  open.applicationName = "Microsoft Flight Simulator X";
  open.applicationVersionMajor = 10;
  open.applicationBuildMajor = 61472;
  open.simConnectVersionMajor = 10;
  open.simConnectBuildMajor = 61259;
  RecvSimObjectDataByType data;
  data.requestId = 1;
  data.objectId = 1;
  data.defineId = 1;
  data.data = {DatumValue{"ZULU MONTH OF YEAR", "Number", kDataTypeFloat64, 10.0}};

  struct Field {
    size_t offset;
    uint32_t value;
  };
  struct Case {
    const char* name;
    ServerMessage message;
    size_t size;
    uint32_t id;
    std::vector<Field> fields;
  } cases[] = {
      {"open",
       open,
       308,
       2,
       {{268, 10}, {272, 0}, {276, 61472}, {284, 10}, {292, 61259}, {300, 0}, {304, 0}}},
      {"quit", RecvQuit{}, 12, 3, {}},
      {"event", RecvEvent{kUnknownGroup, 5, 0}, 24, 4, {{12, 0xFFFFFFFF}, {16, 5}, {20, 0}}},
      {"data",
       data,
       48,
       9,
       {{12, 1},
        {16, 1},
        {20, 1},
        {24, 0},
        {28, 1},
        {32, 1},
        {36, 1},
        {40, 0},
        {44, 0x40240000}}},  // 10.0 as a double
      {"assigned", RecvAssignedObjectId{7, 1000}, 20, 12, {{12, 7}, {16, 1000}}},
      {"exception", RecvException{22, 9, 1}, 24, 1, {{12, 22}, {16, 9}, {20, 1}}},
  };
  for (const Case& c : cases) {
    Bytes bytes = EncodeMessage(c.message, 3);
    ASSERT_EQ(bytes.size(), c.size) << c.name;
    EXPECT_EQ(U32At(bytes, 0), c.size) << c.name;
    EXPECT_EQ(U32At(bytes, 4), 3u) << c.name << ": the client's protocol is echoed";
    EXPECT_EQ(U32At(bytes, 8), c.id) << c.name;
    for (const Field& f : c.fields)
      EXPECT_EQ(U32At(bytes, f.offset), f.value) << c.name << "@" << f.offset;
  }
  Bytes bytes = EncodeMessage(open, 4);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + 12)),
            "Microsoft Flight Simulator X");
}

TEST(EncodeMessage, SizesDataByType) {
  struct Case {
    uint32_t type;
    double value;
    size_t size;
    uint32_t first;
  } cases[] = {
      {kDataTypeInt32, 12, 44, 12},           {kDataTypeInt64, 12, 48, 12},
      {kDataTypeFloat32, 12, 44, 0x41400000}, {kDataTypeFloat64, 12, 48, 0},
      {kDataTypeInt32, 1e12, 44, 0x7FFFFFFF},  // clamped, not undefined
  };
  for (const Case& c : cases) {
    RecvSimObjectDataByType data;
    data.data = {DatumValue{"ZULU MONTH OF YEAR", "Number", c.type, c.value}};
    Bytes bytes = EncodeMessage(data, 4);
    EXPECT_EQ(bytes.size(), c.size) << c.type;
    EXPECT_EQ(U32At(bytes, 40), c.first) << c.type;
  }
}

}  // namespace
}  // namespace standin
