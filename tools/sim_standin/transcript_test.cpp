#include "tools/sim_standin/transcript.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tools/sim_standin/test_packets.h"

namespace standin {
namespace {

TEST(JsonString, EscapesWhatJsonNeedsAndKeepsEveryByte) {
  struct Case {
    std::string text;
    const char* json;
  } cases[] = {
      {"Oak Tree", "\"Oak Tree\""},
      {"a\"b\\c", "\"a\\\"b\\\\c\""},
      {"line\nnext\t\x01", "\"line\\nnext\\t\\u0001\""},
      {"caf\xE9", "\"caf\\u00e9\""},  // Latin-1 on the wire
  };
  for (const Case& c : cases) EXPECT_EQ(JsonString(c.text), c.json);
}

TEST(Transcript, DescribesPacketsWithEveryField) {
  JsonLine line;
  DescribePacket(test::Decode(test::CreateBytes(7, "Oak Tree", 3, 47.5, -122.25, 300)), &line);
  EXPECT_EQ(line.str(),
            "{\"kind\":\"AICreateSimulatedObject\",\"function\":42,\"type\":4026531882,"
            "\"size\":332,\"version\":4,\"send_id\":7,\"title\":\"Oak Tree\",\"latitude\":47.5,"
            "\"longitude\":-122.25,\"altitude\":300,\"pitch\":0,\"bank\":0,\"heading\":90,"
            "\"on_ground\":1,\"airspeed\":0,\"request_id\":3}");
}

TEST(Transcript, DescribesMessagesWithTheirSize) {
  JsonLine line;
  DescribeMessage(RecvException{22, 7, 1}, 4, &line);
  EXPECT_EQ(line.str(),
            "{\"kind\":\"EXCEPTION\",\"id\":1,\"exception\":22,"
            "\"exception_name\":\"CREATE_OBJECT_FAILED\",\"send_id\":7,\"index\":1,"
            "\"size\":24,\"version\":4}");
}

TEST(Transcript, NumbersThatJsonCannotHoldBecomeNull) {
  EXPECT_EQ(JsonLine().Number("a", NAN).Number("b", INFINITY).Number("c", 0.1).str(),
            "{\"a\":null,\"b\":null,\"c\":0.10000000000000001}");
}

}  // namespace
}  // namespace standin
