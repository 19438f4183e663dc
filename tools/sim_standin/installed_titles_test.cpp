#include <gtest/gtest.h>

#include "tools/sim_standin/session.h"
#include "tools/sim_standin/test_packets.h"

namespace standin {
namespace {

// With --sim or --titles only the installed titles are created, in any
// letter case; the others fail as in the simulator.
TEST(InstalledTitlesTest, OnlyInstalledTitlesAreCreated) {
  World world;
  world.onlyInstalledTitles = true;
  world.installedTitles = {"oak tree"};
  Session session;
  std::vector<ServerMessage> out;
  HandlePacket(test::Decode(test::OpenPacketBytes(0)), &world, &session, &out);
  out.clear();
  HandlePacket(test::Decode(test::CreateBytes(1, "Oak TREE", 2)), &world, &session, &out);
  HandlePacket(test::Decode(test::CreateBytes(2, "Birch Tree", 3)), &world, &session, &out);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_TRUE(std::holds_alternative<RecvAssignedObjectId>(out[0]));
  ASSERT_TRUE(std::holds_alternative<RecvException>(out[1]));
  EXPECT_EQ(std::get<RecvException>(out[1]).exception, kExceptionCreateObjectFailed);
}

}  // namespace
}  // namespace standin
