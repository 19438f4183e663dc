#include "tools/sim_standin/session.h"

#include <gtest/gtest.h>

#include "tools/sim_standin/test_packets.h"

namespace standin {
namespace {

using test::Bytes;

// One line per message, enough to tell any two replies apart.
struct Brief {
  std::string operator()(const RecvOpen& m) const {
    return "open " + m.applicationName + " " + std::to_string(m.applicationBuildMajor) + " " +
           std::to_string(m.simConnectBuildMajor);
  }
  std::string operator()(const RecvQuit&) const { return "quit"; }
  std::string operator()(const RecvEvent& m) const {
    return "event group " + std::to_string(m.groupId) + " id " + std::to_string(m.eventId) +
           " data " + std::to_string(m.data);
  }
  std::string operator()(const RecvSimObjectDataByType& m) const {
    std::string text = "data request " + std::to_string(m.requestId) + " define " +
                       std::to_string(m.defineId) + " object " + std::to_string(m.objectId) + " " +
                       std::to_string(m.entryNumber) + "/" + std::to_string(m.outOf);
    for (const DatumValue& d : m.data) text += " " + std::to_string(static_cast<int>(d.value));
    return text;
  }
  std::string operator()(const RecvAssignedObjectId& m) const {
    return "assigned request " + std::to_string(m.requestId) + " object " +
           std::to_string(m.objectId);
  }
  std::string operator()(const RecvException& m) const {
    return std::string("exception ") + ExceptionName(m.exception) + " send " +
           std::to_string(m.sendId) + " index " +
           (m.index == kUnknownIndex ? std::string("unknown") : std::to_string(m.index));
  }
};

class SessionTest : public ::testing::Test {
 protected:
  SessionTest() {
    world.month = 10;
    world.refusedTitles = {"Refused Tree"};
  }

  // Feeds `packet` and returns the replies, one brief line each.
  std::vector<std::string> Send(const Bytes& packet, Verdict expected = Verdict::kKeep) {
    std::vector<ServerMessage> out;
    EXPECT_EQ(HandlePacket(test::Decode(packet), &world, &session, &out), expected);
    std::vector<std::string> lines;
    for (const ServerMessage& m : out) lines.push_back(std::visit(Brief{}, m));
    return lines;
  }

  void Open() { ASSERT_EQ(Send(test::OpenPacketBytes(0)).size(), 1u); }

  using Lines = std::vector<std::string>;
  World world;
  Session session;
};

TEST_F(SessionTest, OpenIsAnsweredAsFsxSp2AndEchoesTheProtocol) {
  EXPECT_EQ(Send(test::OpenPacketBytes(1, "System Event", 3)),
            Lines{"open Microsoft Flight Simulator X 61472 61259"});
  EXPECT_TRUE(session.opened);
  EXPECT_EQ(session.version, 3u);
  EXPECT_EQ(session.applicationName, "System Event");
  EXPECT_EQ(Send(test::OpenPacketBytes(2)),
            Lines{"exception ILLEGAL_OPERATION send 2 index unknown"});
}

TEST_F(SessionTest, OpenOfAnotherDialectIsRefusedAndHungUp) {
  Bytes wrongMagic = test::OpenPacketBytes(0);
  wrongMagic[277] = 'H';
  for (const Bytes& packet :
       {test::OpenPacketBytes(0, "x", 5), test::OpenPacketBytes(0, "x", 1), wrongMagic}) {
    Session fresh;
    session = fresh;
    EXPECT_EQ(Send(packet, Verdict::kClose),
              Lines{"exception VERSION_MISMATCH send 0 index unknown"});
    EXPECT_FALSE(session.opened);
  }
}

TEST_F(SessionTest, EverythingBeforeOpenIsUnopened) {
  for (const Bytes& packet : {test::AddDatumBytes(5, 0), test::RemoveBytes(6, 1000, 2),
                              MakeClientPacket(0x03, 4, 7, Bytes(8))}) {
    uint32_t sendId = GetClientHeader(packet.data()).sendId;
    EXPECT_EQ(Send(packet),
              Lines{"exception UNOPENED send " + std::to_string(sendId) + " index unknown"});
  }
  EXPECT_TRUE(session.definitions.empty());
}

TEST_F(SessionTest, DataDefinitionsAreCheckedArgumentByArgument) {
  Open();
  struct Case {
    Bytes packet;
    Lines replies;
  } cases[] = {
      {test::AddDatumBytes(1, 0), {}},
      {test::AddDatumBytes(2, 0, "zulu month of year", "number", kDataTypeInt32), {}},
      {test::AddDatumBytes(3, 1, "ZULU DAY OF MONTH"),
       {"exception NAME_UNRECOGNIZED send 3 index 2"}},
      {test::AddDatumBytes(4, 1, "ZULU MONTH OF YEAR", "Feet"),
       {"exception NAME_UNRECOGNIZED send 4 index 3"}},
      {test::AddDatumBytes(5, 1, "ZULU MONTH OF YEAR", "Number", 9),
       {"exception NAME_UNRECOGNIZED send 5 index 4"}},
      {test::AddDatumBytes(6, 1, "ZULU MONTH OF YEAR", "", kDataTypeFloat64),
       {"exception NAME_UNRECOGNIZED send 6 index 3"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Send(c.packet), c.replies) << GetClientHeader(c.packet.data()).sendId;
  ASSERT_EQ(session.definitions.size(), 1u);
  EXPECT_EQ(session.definitions[0].size(), 2u);
}

TEST_F(SessionTest, MonthRequestsAnswerForTheUserAircraft) {
  Open();
  Send(test::AddDatumBytes(1, 1));
  struct Case {
    Bytes packet;
    Lines replies;
  } cases[] = {
      {test::RequestDataBytes(2, 1, 1), {"data request 1 define 1 object 1 1/1 10"}},
      {test::RequestDataBytes(3, 0, 1, 1000, 1), {"data request 0 define 1 object 1 1/1 10"}},
      {test::RequestDataBytes(4, 1, 2), {"exception UNRECOGNIZED_ID send 4 index 2"}},
      {test::RequestDataBytes(5, 1, 1, 200001), {"exception OUT_OF_BOUNDS send 5 index 3"}},
      {test::RequestDataBytes(6, 1, 1, 0, 6), {"exception INVALID_ENUM send 6 index 4"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Send(c.packet), c.replies);
}

TEST_F(SessionTest, FlightStartsReachSimStartSubscribersOnly) {
  Open();
  EXPECT_EQ(Send(test::SubscribeBytes(1, 0, "SimStart")), Lines{});
  EXPECT_EQ(Send(test::SubscribeBytes(2, 4, "Pause")), Lines{});
  EXPECT_EQ(Send(test::SubscribeBytes(3, 9, "simstart")), Lines{});
  EXPECT_EQ(Send(test::SubscribeBytes(4, 5, "SimBegin")),
            Lines{"exception NAME_UNRECOGNIZED send 4 index 2"});
  std::vector<ServerMessage> out;
  StartFlight(12, &world, session, &out);
  EXPECT_EQ(world.month, 12);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(std::visit(Brief{}, out[0]), "event group 4294967295 id 0 data 0");
  EXPECT_EQ(std::visit(Brief{}, out[1]), "event group 4294967295 id 9 data 0");

  Send(test::AddDatumBytes(5, 0));
  EXPECT_EQ(Send(test::RequestDataBytes(6, 0, 0)),
            Lines{"data request 0 define 0 object 1 1/1 12"});
}

TEST_F(SessionTest, ObjectsAreCreatedRefusedAndRemoved) {
  Open();
  struct Case {
    Bytes packet;
    Lines replies;
  } cases[] = {
      {test::CreateBytes(1, "Oak Tree", 2), {"assigned request 2 object 1000"}},
      {test::CreateBytes(2, "Refused Tree", 3), {"exception CREATE_OBJECT_FAILED send 2 index 1"}},
      {test::CreateBytes(3, "", 4), {"exception CREATE_OBJECT_FAILED send 3 index 1"}},
      {test::CreateBytes(4, "Birch Tree", 5), {"assigned request 5 object 1001"}},
      {test::RemoveBytes(5, 0, 2), {"exception UNRECOGNIZED_ID send 5 index 1"}},
      {test::RemoveBytes(6, 1000, 2), {}},
      {test::RemoveBytes(7, 1000, 2), {"exception UNRECOGNIZED_ID send 7 index 1"}},
      {test::CreateBytes(8, "Oak Tree", 2), {"assigned request 2 object 1002"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Send(c.packet), c.replies);
  ASSERT_EQ(session.objects.size(), 2u);
  EXPECT_EQ(session.objects.at(1001).title, "Birch Tree");
  EXPECT_EQ(session.objects.at(1002).position.latitude, 47.5);
  EXPECT_EQ(FormatObjects(session.objects),
            "    1001 \"Birch Tree\" lat 47.500000 lon -122.250000 alt 300.00 ft\n"
            "    1002 \"Oak Tree\" lat 47.500000 lon -122.250000 alt 300.00 ft\n");
}

TEST_F(SessionTest, AClientCannotRemoveAnotherClientsObject) {
  Open();
  Send(test::CreateBytes(1, "Oak Tree", 2));
  Session other;
  std::swap(session, other);
  Open();
  EXPECT_EQ(Send(test::RemoveBytes(1, 1000, 2)), Lines{"exception UNRECOGNIZED_ID send 1 index 1"});
  EXPECT_EQ(Send(test::CreateBytes(2, "Oak Tree", 2)), Lines{"assigned request 2 object 1001"});
}

TEST_F(SessionTest, UnknownFunctionsAreUnrecognized) {
  Open();
  EXPECT_EQ(Send(MakeClientPacket(0x04, 4, 3, Bytes(260))),
            Lines{"exception UNRECOGNIZED_ID send 3 index unknown"});
}

TEST_F(SessionTest, LimitsKeepAClientFromGrowingUsWithoutBound) {
  Open();
  for (size_t i = 0; i < kMaxObjects; ++i) Send(test::CreateBytes(1, "Oak Tree", 2));
  EXPECT_EQ(Send(test::CreateBytes(9, "Oak Tree", 2)),
            Lines{"exception TOO_MANY_OBJECTS send 9 index 1"});
  for (uint32_t i = 0; i < kMaxDefinitions; ++i) Send(test::AddDatumBytes(1, i));
  EXPECT_EQ(Send(test::AddDatumBytes(9, 99999)),
            Lines{"exception DEFINITION_ERROR send 9 index 1"});
  for (size_t i = 1; i < kMaxDatumsPerDefinition; ++i) Send(test::AddDatumBytes(1, 0));
  EXPECT_EQ(Send(test::AddDatumBytes(9, 0)), Lines{"exception DEFINITION_ERROR send 9 index 1"});
  for (uint32_t i = 0; i < kMaxSubscriptions; ++i) Send(test::SubscribeBytes(1, i, "SimStart"));
  EXPECT_EQ(Send(test::SubscribeBytes(1, 0, "Pause")), Lines{});
  EXPECT_EQ(Send(test::SubscribeBytes(9, 99999, "Pause")),
            Lines{"exception TOO_MANY_EVENT_NAMES send 9 index 1"});
}

}  // namespace
}  // namespace standin
