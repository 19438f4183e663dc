// The running phase against the recording SimConnect double: the calls the
// program makes, in order, and what it prints.
#include "sim/connection.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include "app/startup.h"
#include "placement/loader.h"
#include "placement/store.h"
#include "season/season_switch.h"
#include "tests/recording_simconnect.h"
#include "tests/test_support.h"

namespace {

using namespace recording;  // NOLINT: the double's whole vocabulary
typedef std::vector<std::string> Calls;

const Calls kOpening = {"Open name=System Event hwnd=null msg=0 event=null config=0",
                        "Define ok 0 ZULU MONTH OF YEAR/Number/4/0/4294967295",
                        "Define ok 1 ZULU MONTH OF YEAR/Number/4/0/4294967295",
                        "Subscribe ok 0 SimStart", "Request ok 1/1/0/0"};
const char kOnStart[] = "Request ok 0/0/0/0";
const char kLaunch[] = "\nFSX Init Request...\n\nFSX SimObject Creation History:\n";
const char kChanged[] = "\n\nSeason changed!";

// Variants 0..3 at entry 1: SU, FA, SU, WI; entry 2 has none; variants 4, 5 at
// entry 3: HW, su (Spring).
const char kScenery[] =
    "<SimObjectEntry><H Dir='e1'/><Season Type='SU' SimTitle='sun1'/>"
    "<Season Type='FA' SimTitle='fall1'/><Season Type='SU' SimTitle='sun2'/>"
    "<Season Type='WI' SimTitle='win1'/><PlacementData Lat='47.5' Lon='-11.25' Alt='1200'/>"
    "</SimObjectEntry>"
    "<SimObjectEntry><H Dir='e2'/><PlacementData Lat='1' Lon='2' Alt='3'/></SimObjectEntry>"
    "<SimObjectEntry><H Dir='e3'/><Season Type='HW' SimTitle='hw1'/>"
    "<Season Type='su' SimTitle='spring1'/><PlacementData Lat='-33.9' Lon='151.2' Alt='5'/>"
    "</SimObjectEntry>";

std::string Create(const char* title, int request) {
  return std::string("Create ok ") + title +
         (request < 6 ? " 47.5,-11.25,1200" : " -33.9,151.2,5") + " 0,0,0 1/0 " +
         std::to_string(request);
}
std::string Remove(unsigned object, int request) {
  return "Remove ok " + std::to_string(object) + " " + std::to_string(request);
}

// The opening calls, `running`, and one Close.
Calls Story(Calls running) {
  running.insert(running.begin(), kOpening.begin(), kOpening.end());
  running.push_back("Close ok");
  return running;
}

std::string output;

// A fresh program with `xml` as the only placement file, the table sized as
// start-up does, and the fake clock.
void Load(const std::string& xml) {
  testing_support::ResetProgram();
  connectionClock = Now;
  TiXmlDocument document;
  document.Parse(xml.c_str());
  testing_support::Capture([&] { ReadPlacementDocument(document); });
  objectIds = CreateObjectIdTable(placementStore->variantTitles.size());
}

Calls RunToQuit() {
  output = testing_support::Capture([&] { EXPECT_EQ(RunSimConnection(), ConnectionEnd::kQuit); });
  return script.calls;
}

TEST(ConnectionTest, WholeStoryFromLaunchToQuit) {
  Load(kScenery);
  Deliver({Other(SIMCONNECT_RECV_ID_OPEN, 308), Month(1, 7)});  // July: Summer
  Deliver({AssignedId(2, 901), AssignedId(4, 902)});
  // The same month, the same season, then hard winter.
  Deliver({Event(0), Month(0, 7), Event(0), Month(0, 8), Event(0), Month(0, 12)});
  Deliver({AssignedId(6, 903), Other(SIMCONNECT_RECV_ID_EXCEPTION, 24)});
  Deliver({Event(0), Month(0, 4)});  // Spring
  Deliver({AssignedId(7, 904), AssignedId(1, 999), AssignedId(0, 998), AssignedId(8, 997)});
  // (Messages shorter than their kind: the hostile simulator's scripts.)
  // Another event and another request are ignored; so is all after the quit.
  Deliver({Event(5), Month(7, 11), Quit(), Event(0), Month(0, 10), AssignedId(2, 905)});
  EXPECT_EQ(RunToQuit(), Story({Create("sun1", 2), Create("sun2", 4), kOnStart, kOnStart, kOnStart,
                                Remove(901, 2), Remove(902, 4), Create("hw1", 6), kOnStart,
                                Remove(903, 6), Create("spring1", 7)}));
  EXPECT_EQ(output, std::string(kLaunch) + "\n  Created sun1\n  Created sun2" + kChanged +
                        "\n  Created hw1" + kChanged + "\n  Created spring1");
}

// A flight start before the launch reply: the launch switch removes what
// stands. An object whose ID comes after its season has gone, or after its
// slot was filled by another creation, is removed at once, not recorded.
TEST(ConnectionTest, LateIdsAreRemovedAtOnce) {
  Load(kScenery);
  Deliver({Month(0, 1), Event(0), Month(0, 11)});  // the month in hand: ignored
  Deliver({AssignedId(5, 801), Month(1, 7), Event(0), Month(0, 12)});
  Deliver({AssignedId(2, 901), AssignedId(6, 903), AssignedId(6, 904), AssignedId(4, 0)});
  Deliver({Event(0), Month(0, 6), AssignedId(4, 902), AssignedId(4, 912), Quit()});
  EXPECT_EQ(RunToQuit(), Story({kOnStart, Create("win1", 5), Remove(801, 5), Create("sun1", 2),
                                Create("sun2", 4), kOnStart, Create("hw1", 6), Remove(901, 2),
                                Remove(904, 6), kOnStart, Remove(903, 6), Create("sun1", 2),
                                Create("sun2", 4), Remove(912, 4)}));
  EXPECT_EQ(output, std::string(kChanged) + "\n  Created win1" + kLaunch + kChanged +
                        "\n  Created hw1" + kChanged + "\n  Created sun2");
}

// Dispatch calls that fail for a second or more, and no longer, end the
// program; the fake clock is about to wrap.
TEST(ConnectionTest, LastingDispatchFailureEndsTheProgram) {
  // Steps: a failure this many ms after the step before; -1 a success. Then the exit code.
  const std::pair<std::vector<int>, int> cases[] = {
      {{0, 999, 1}, 1}, {{0, 999, -1, 1, 999}, 0}, {{5000}, 0}};
  for (const auto& c : cases) {
    testing_support::ResetProgram();
    connectionClock = Now;
    delete placementStore;
    placementStore = nullptr;
    script.now = 0xFFFFFE00u;
    for (int step : c.first) step < 0 ? Deliver({}) : Fail(step);
    Deliver({Quit()});
    int code = -1;
    testing::internal::CaptureStderr();
    testing_support::Capture([&] { code = RunBrindlewick(); });
    EXPECT_EQ(testing::internal::GetCapturedStderr() + std::to_string(code),
              c.second ? "Lost the connection to the simulator.\n1" : "0");
    EXPECT_EQ(script.calls, Story({}));
    EXPECT_EQ(script.steps.size(), c.second ? 1u : 0u);              // ended at once
    EXPECT_TRUE(objectIds == nullptr && placementStore == nullptr);  // released
  }
}

}  // namespace
