// What no well-behaved client shows: malformed and hostile packets, refusals,
// mistakes on the command line and in the scenario. The stand-in's ordinary
// service is checked from outside, by tests/interop and the e2e stories.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <tuple>

#include "tools/sim_standin/options.h"
#include "tools/sim_standin/transcript.h"

namespace standin {
namespace {

TEST(StandIn, FramesWhatArrivesOrSaysWhyItDropsTheClient) {
  // Size and type in the header; a whole packet's size, the problem, or "" to wait for more.
  std::tuple<uint32_t, uint32_t, std::string> cases[] = {
      {15, 0, "packet size 15 is below the 16-byte header"},
      {8193, 0, "packet size 8193 is above the limit of 8192"},
      {8192, 0xF0000003, ""},
      {16, 0xF0000003, "16"},
      {300, 0xF0000001, "Open packet of 300 bytes; it must be 296"},
      {32, 0x0000002C, "AIRemoveObject packet of 32 bytes; it must be 24"},
  };
  for (const auto& [declared, type, expected] : cases) {
    std::vector<uint8_t> bytes;
    for (uint32_t v : {declared, 4u, type, 7u}) PutU32(&bytes, v);
    size_t size = 0;
    std::string problem;
    FrameState state = CheckFrame(bytes.data(), bytes.size(), &size, &problem);
    EXPECT_EQ(state == FrameState::kComplete ? std::to_string(size) : problem, expected);
  }
}

ClientPacket Packet(uint32_t sendId, PacketBody body, uint32_t version = 4) {
  uint32_t function = std::holds_alternative<OpenPacket>(body) ? kFunctionOpen : 0x99;
  return ClientPacket{ClientHeader{0, version, function, function, sendId}, std::move(body)};
}

std::string Brief(const ServerMessage& m) {
  if (auto* e = std::get_if<RecvException>(&m))
    return ExceptionName(e->exception) + (" " + std::to_string(e->sendId)) + " " +
           std::to_string(static_cast<int32_t>(e->index));
  if (auto* a = std::get_if<RecvAssignedObjectId>(&m))
    return "object " + std::to_string(a->objectId) + " for " + std::to_string(a->requestId);
  if (auto* d = std::get_if<RecvSimObjectDataByType>(&m))
    return "object " + std::to_string(d->objectId) + " month " + std::to_string(d->data[0].value);
  return std::holds_alternative<RecvOpen>(m) ? "open" : "other";
}

TEST(StandIn, RefusesWhatAClientMayNotDo) {
  using Add = AddToDataDefinitionPacket;
  using Request = RequestDataOnSimObjectTypePacket;
  using Create = AICreateSimulatedObjectPacket;
  const OpenPacket open{"Client", 0, {0, 'X', 'S', 'F'}}, other{"Other", 0, {0, 'X', 'S', 'G'}};
  const std::string month = "ZULU MONTH OF YEAR";
  World world{10, 1000, 1, {}};  // month 10, first id 1000, one object standing at most
  world.onlyInstalledTitles = true;  // as with --sim: "Oak" is installed, in any letter case
  world.installedTitles = {"oak"};
  Session sessions[2];
  struct Case {
    int client;
    ClientPacket packet;
    std::string reply;  // "" for none
    Verdict verdict = Verdict::kKeep;
  } cases[] = {
      {0, Packet(1, Add{0, month, "Number", kDataTypeFloat64}), "UNOPENED 1 -1"},
      {0, Packet(2, open, 5), "VERSION_MISMATCH 2 -1", Verdict::kClose},
      {0, Packet(3, other), "VERSION_MISMATCH 3 -1", Verdict::kClose},
      {0, Packet(4, open, 2), "open"},
      {0, Packet(5, open), "ILLEGAL_OPERATION 5 -1"},
      {0, Packet(6, Add{1, month, "Feet", kDataTypeFloat64}), "NAME_UNRECOGNIZED 6 3"},
      {0, Packet(7, Add{1, month, "Number", 5}), "NAME_UNRECOGNIZED 7 4"},
      {0, Packet(8, Add{1, "zulu month of year", "NUMBER", kDataTypeInt32}), ""},
      {0, Packet(9, Request{1, 2, 0, 0}), "UNRECOGNIZED_ID 9 2"},
      {0, Packet(10, Request{1, 1, 200001, 0}), "OUT_OF_BOUNDS 10 3"},
      {0, Packet(11, Request{1, 1, 200000, 6}), "INVALID_ENUM 11 4"},
      {0, Packet(12, Request{1, 1, 200000, 5}), "object 1 month 10.000000"},
      {0, Packet(13, SubscribeToSystemEventPacket{1, "SimBegin"}), "NAME_UNRECOGNIZED 13 2"},
      {0, Packet(14, Create{"", {}, 1}), "CREATE_OBJECT_FAILED 14 1"},
      {0, Packet(15, Create{"Oak", {}, 3}), "object 1000 for 3"},
      {0, Packet(16, Create{"Oak", {}, 4}), "TOO_MANY_OBJECTS 16 1"},
      {1, Packet(17, open), "open"},
      {1, Packet(18, AIRemoveObjectPacket{1000, 5}), "UNRECOGNIZED_ID 18 1"},  // another client's
      {0, Packet(19, AIRemoveObjectPacket{1000, 6}), ""},
      {0, Packet(20, UnknownPacket{}), "UNRECOGNIZED_ID 20 -1"},
      {0, Packet(21, Create{"Oak", {}, 8}), "object 1001 for 8"},
      {0, Packet(22, Create{"Birch", {}, 9}), "CREATE_OBJECT_FAILED 22 1"},  // not installed
  };
  for (Case& c : cases) {
    std::vector<ServerMessage> out;
    EXPECT_EQ(HandlePacket(c.packet, &world, &sessions[c.client], &out), c.verdict) << c.reply;
    EXPECT_EQ(out.empty() ? "" : Brief(out[0]) + (out.size() > 1 ? " and more" : ""), c.reply);
  }
  EXPECT_EQ(EncodeMessage(RecvQuit{}, sessions[0].version)[4], 2);  // the client's protocol
}

TEST(StandIn, ListsAnObjectOnOneLineHoweverLongItsNumbers) {
  std::string text = FormatObjects({{1000, SimObject{1000, "Oak", {-1e300, 1e300, 1e300}}}});
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
  EXPECT_EQ(text.substr(text.size() - 7), ".00 ft\n") << text;
}

TEST(StandIn, ReadsTheCommandLineOrSaysWhatToFix) {
  std::string folder = testing::TempDir(), file = folder + "standin-steps.txt";
  std::ofstream(file) << "launch 4\nquit\n";
  const std::string s = "--scenario";
  // The arguments; the scenario read, or part of the error.
  std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--port", "65535", "--timeout", "86400", "--max-objects", "1000000"}, ""},
      {{"--port", "65536"}, "--port needs a number from 0 to 65535, not \"65536\""},
      {{"--max-objects", "0"}, "--max-objects needs a count from 1 to 1000000, not \"0\""},
      {{"--colour"}, "unknown option \"--colour\""},
      {{"--scenario-file", file, "--refuse", "Oak"}, "launch 4;quit;"},
      {{"--scenario-file", folder + "none"}, "--scenario-file: cannot read \"" + folder + "none\""},
      {{"--scenario-file", folder}, "--scenario-file: \"" + folder + "\" is not a file"},
      {{s, "quit", s, "launch 4"}, "--scenario: a scenario was given already"},
      {{"--scenario-file", file, s, ""}, "--scenario: a scenario was given already"},
      {{s, "launch 3\nsettle\nsettle 10000;objects 1000000; delay-ids 60000; answered;  vanish"},
       "launch 3;settle 300;settle 10000;objects 1000000;delay-ids 60000;answered;vanish;"},
      {{s, "flight -2.5; wait 3600000; quit"}, "flight -2.5;wait 3600000;quit;"},
      {{s, "launch 10; flite 12"}, "scenario step 2 \"flite 12\": unknown step; use launch,"},
      {{s, "launch"}, "scenario step 1 \"launch\": launch needs a month number, e.g."},
      {{s, "flight nan"}, "flight needs a month number"},
      {{s, "wait 3600001"}, "wait needs milliseconds from 0 to 3600000"},
      {{s, "settle 0"}, "settle takes quiet milliseconds from 1 to 10000"},
      {{s, "objects 1000001"}, "objects needs a count from 0 to 1000000"},
      {{s, "delay-ids 60001"}, "delay-ids needs milliseconds from 0 to 60000"},
      {{s, "wait 5 ms"}, "scenario step 1 \"wait 5 ms\": too many words; write \"wait 5\""},
      {{s, "quit; flight 3"}, "step 2 \"flight 3\": nothing can follow quit, which ends the run"},
  };
  for (const auto& [arguments, expected] : cases) {
    Options options;
    std::string error, written;
    bool ok = ParseOptions(arguments, &options, &error);
    for (const Step& step : options.scenario) written += DescribeStep(step) + ";";
    EXPECT_NE((ok ? written : error).find(expected), std::string::npos) << arguments.back();
    EXPECT_EQ(ok, written == expected) << arguments.back() << ": " << error;
  }
  std::remove(file.c_str());
}

TEST(StandIn, TranscriptKeepsEveryByteOfATitle) {
  EXPECT_EQ(JsonString("a\"b\\c\nd\te\x01\x7f\xE9"),
            "\"a\\\"b\\\\c\\nd\\te\\u0001\\u007f\\u00e9\"");
}

}  // namespace
}  // namespace standin
