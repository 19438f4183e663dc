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

using recording::AssignedId;
using recording::Deliver;
using recording::Event;
using recording::Month;
using recording::Quit;
using testing_support::Capture;
typedef std::vector<std::string> Calls;

const Calls kOpening = {
    "Open name=System Event hwnd=null msg=0 event=null config=0",
    "AddToDataDefinition handle=ok def=0 datum=ZULU MONTH OF YEAR units=Number type=4 epsilon=0 "
    "id=4294967295",
    "AddToDataDefinition handle=ok def=1 datum=ZULU MONTH OF YEAR units=Number type=4 epsilon=0 "
    "id=4294967295",
    "SubscribeToSystemEvent handle=ok event=0 name=SimStart",
    "RequestDataOnSimObjectType handle=ok req=1 def=1 radius=0 type=0"};
const char kOnStart[] = "RequestDataOnSimObjectType handle=ok req=0 def=0 radius=0 type=0";
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
  return std::string("Create ok title=") + title +
         " at=" + (request < 6 ? "47.500000,-11.250000,1200.00" : "-33.900000,151.200000,5.00") +
         " pbh=0,0,0 ground=1 speed=0 req=" + std::to_string(request);
}
std::string Remove(unsigned object, int request) {
  return "Remove ok object=" + std::to_string(object) + " req=" + std::to_string(request);
}

class ConnectionTest : public testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { testing_support::ResetProgram(); }
  void Reset() {
    testing_support::ResetProgram();
    connectionClock = recording::Now;
  }
  // `xml` as the only placement file, the table sized as start-up does.
  void Load(const std::string& xml) {
    TiXmlDocument document;
    document.Parse(xml.c_str());
    Capture([&] { ReadPlacementDocument(document); });
    objectIds = CreateObjectIdTable(placementStore->variantTitles.size());
  }
  // Runs the connection; checks the opening calls and one Close at the end,
  // and returns the calls between them.
  Calls Run(std::string* output, ConnectionEnd expected = ConnectionEnd::kQuit) {
    *output = Capture([&] { EXPECT_EQ(RunSimConnection(), expected); });
    const Calls& calls = recording::script.calls;
    EXPECT_GE(calls.size(), kOpening.size() + 1);
    EXPECT_EQ(Calls(calls.begin(), calls.begin() + 5), kOpening);
    EXPECT_EQ(calls.back(), "Close handle=ok");
    return Calls(calls.begin() + 5, calls.end() - 1);
  }
};

TEST_F(ConnectionTest, WholeStoryFromLaunchToQuit) {
  Load(kScenery);
  Deliver({recording::Other(SIMCONNECT_RECV_ID_OPEN, 308), Month(1, 7)});  // July: Summer
  Deliver({AssignedId(2, 901), AssignedId(4, 902)});
  Deliver({Event(0), Month(0, 7)});   // same month
  Deliver({Event(0), Month(0, 8)});   // same season
  Deliver({Event(0), Month(0, 12)});  // Hard winter
  Deliver({AssignedId(6, 903), recording::Other(SIMCONNECT_RECV_ID_EXCEPTION, 24)});
  Deliver({Event(0), Month(0, 4)});  // Spring
  Deliver({AssignedId(7, 904), AssignedId(1, 999), AssignedId(0, 998), AssignedId(8, 997)});
  Deliver({Event(5), Month(7, 11)});  // ignored
  Deliver({Quit(), Event(0), Month(0, 10), AssignedId(2, 905)});
  std::string output;
  EXPECT_EQ(Run(&output), (Calls{Create("sun1", 2), Create("sun2", 4), kOnStart, kOnStart, kOnStart,
                                 Remove(901, 2), Remove(902, 4), Create("hw1", 6), kOnStart,
                                 Remove(903, 6), Create("spring1", 7)}));
  EXPECT_EQ(output, std::string(kLaunch) + "\n  Created sun1\n  Created sun2" + kChanged +
                        "\n  Created hw1" + kChanged + "\n  Created spring1");
  EXPECT_EQ(objectIds, nullptr);
  EXPECT_EQ(placementStore, nullptr);
  EXPECT_EQ(lastMonth, 4);
}

// An object whose ID comes after its season has gone, or after its slot was
// filled by another creation, is removed at once and not recorded.
TEST_F(ConnectionTest, LateIdsAreRemovedAtOnce) {
  Load(kScenery);
  Deliver({Month(1, 7), Event(0), Month(0, 12)});  // summer asked for, then hard winter
  Deliver({AssignedId(2, 901), AssignedId(6, 903), AssignedId(6, 904), AssignedId(4, 0)});
  Deliver({Event(0), Month(0, 6), AssignedId(4, 902), AssignedId(4, 912), Quit()});
  std::string output;
  EXPECT_EQ(Run(&output), (Calls{Create("sun1", 2), Create("sun2", 4), kOnStart, Create("hw1", 6),
                                 Remove(901, 2), Remove(904, 6), kOnStart, Remove(903, 6),
                                 Create("sun1", 2), Create("sun2", 4), Remove(912, 4)}));
  EXPECT_EQ(output,
            std::string(kLaunch) + kChanged + "\n  Created hw1" + kChanged + "\n  Created sun2");
}

TEST_F(ConnectionTest, FlightStartBeforeLaunchReply) {
  Load(kScenery);
  Deliver({Event(0), Month(0, 11)});
  Deliver({AssignedId(5, 801), Month(1, 11), Quit()});
  std::string output;
  // The launch switch removes what stands, then places again.
  EXPECT_EQ(Run(&output), (Calls{kOnStart, Create("win1", 5), Remove(801, 5), Create("win1", 5)}));
  EXPECT_EQ(output, std::string(kChanged) + "\n  Created win1" + kLaunch);
}

TEST_F(ConnectionTest, EmptySceneryStillLaunches) {
  Load("");
  Deliver({Month(1, 3), Event(0), Month(0, 9), AssignedId(2, 5), Quit()});
  std::string output;
  EXPECT_EQ(Run(&output), Calls{kOnStart});
  EXPECT_EQ(output, std::string(kLaunch) + kChanged);
}

TEST_F(ConnectionTest, LaunchPlacesEachSeason) {
  const struct {
    double month;
    Calls creations;
  } cases[] = {{6, {Create("sun1", 2), Create("sun2", 4)}},
               {10, {Create("fall1", 3)}},
               {11, {Create("win1", 5)}},
               {1, {Create("hw1", 6)}},
               {5, {Create("spring1", 7)}},
               {0, {Create("fall1", 3)}}};
  for (const auto& c : cases) {
    Reset();
    Load(kScenery);
    Deliver({Month(1, c.month), Quit()});
    std::string output;
    EXPECT_EQ(Run(&output), c.creations) << "month " << c.month;
  }
}

TEST_F(ConnectionTest, ShortMessagesAreIgnored) {
  Load(kScenery);
  recording::Message month = Month(1, 7), assigned = AssignedId(2, 5);
  month.resize(44);  // no room for the month value
  assigned.resize(16);
  Deliver({month, assigned, Quit()});
  std::string output;
  EXPECT_EQ(Run(&output), Calls{});
  EXPECT_EQ(output, "");
}

TEST_F(ConnectionTest, OpenFailureMakesNoFurtherCall) {
  Load(kScenery);
  recording::script.openResult = E_FAIL;
  EXPECT_EQ(Capture([] { EXPECT_EQ(RunSimConnection(), ConnectionEnd::kNotOpened); }), "");
  EXPECT_EQ(recording::script.calls, Calls{kOpening[0]});
  EXPECT_NE(objectIds, nullptr);
  EXPECT_NE(placementStore, nullptr);
}

// Dispatch calls that fail for a second or more, and no longer, end the
// program; the fake clock is about to wrap.
TEST_F(ConnectionTest, LastingDispatchFailureEndsTheProgram) {
  const struct {
    std::vector<int> steps;  // a failure this many ms after the step before; -1 a success
    int code;
  } cases[] = {{{0, 999, 1}, 1}, {{0, 999, -1, 1, 999}, 0}, {{5000}, 0}};
  for (const auto& c : cases) {
    Reset();
    testing_support::TempFolder folder;
    delete placementStore;
    placementStore = nullptr;
    recording::script.now = 0xFFFFFE00u;
    for (int step : c.steps) step < 0 ? Deliver({}) : recording::Fail(step);
    Deliver({Quit()});
    int code = -1;
    testing::internal::CaptureStderr();
    Capture([&] { code = RunBrindlewick(); });
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              c.code ? "Lost the connection to the simulator.\n" : "");
    EXPECT_EQ(code, c.code);
    Calls calls = kOpening;
    calls.push_back("Close handle=ok");
    EXPECT_EQ(recording::script.calls, calls);
    EXPECT_EQ(recording::script.steps.size(), c.code ? 1u : 0u);  // ended at once
    EXPECT_EQ(objectIds, nullptr);
    EXPECT_EQ(placementStore, nullptr);
  }
}

}  // namespace
