// The running phase against the recording SimConnect double: the calls the
// program makes, in order, and what it prints.
#include "sim/connection.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include "placement/loader.h"
#include "placement/store.h"
#include "season/season_switch.h"
#include "tests/recording_simconnect.h"
#include "tests/test_support.h"

namespace {

using recording::AssignedId;
using recording::Event;
using recording::Month;
using recording::Quit;
using testing_support::Capture;

const char kOpening[] = "Open name=System Event hwnd=null msg=0 event=null config=0";

std::vector<std::string> Opening() {
  return {kOpening,
          "AddToDataDefinition handle=ok def=0 datum=ZULU MONTH OF YEAR units=Number type=4 "
          "epsilon=0 id=4294967295",
          "AddToDataDefinition handle=ok def=1 datum=ZULU MONTH OF YEAR units=Number type=4 "
          "epsilon=0 id=4294967295",
          "SubscribeToSystemEvent handle=ok event=0 name=SimStart",
          "RequestDataOnSimObjectType handle=ok req=1 def=1 radius=0 type=0"};
}

std::string Create(const char* title, const char* at, int request) {
  return std::string("Create ok title=") + title + " at=" + at +
         " pbh=0,0,0 ground=1 speed=0 req=" + std::to_string(request);
}

std::string Remove(unsigned object, int request) {
  return "Remove ok object=" + std::to_string(object) + " req=" + std::to_string(request);
}

const char kMonthOnStart[] = "RequestDataOnSimObjectType handle=ok req=0 def=0 radius=0 type=0";

class ConnectionTest : public testing::Test {
 protected:
  void SetUp() override { testing_support::ResetProgram(); }
  void TearDown() override { testing_support::ResetProgram(); }

  // Loads `xml` as the only placement file and sizes the table as start-up does.
  void Load(const std::string& xml) {
    TiXmlDocument document;
    document.Parse(xml.c_str());
    Capture([&] { ReadPlacementDocument(document); });
    objectIds = CreateObjectIdTable(placementStore->variantTitles.size());
  }

  std::vector<std::string> CallsAfterOpening() const {
    const std::vector<std::string>& calls = recording::script.calls;
    EXPECT_GE(calls.size(), Opening().size() + 1);
    EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 5), Opening());
    EXPECT_EQ(calls.back(), "Close handle=ok");
    return std::vector<std::string>(calls.begin() + 5, calls.end() - 1);
  }
};

// Two entries; variants 0..3 of the first: SU, FA, SU, WI; entry 2 has none;
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
const char kAt1[] = "47.500000,-11.250000,1200.00";
const char kAt3[] = "-33.900000,151.200000,5.00";

TEST_F(ConnectionTest, WholeStoryFromLaunchToQuit) {
  Load(kScenery);
  recording::Deliver({recording::Open(), Month(1, 7)});  // July: Summer
  recording::Deliver({AssignedId(2, 901), AssignedId(4, 902)});
  recording::Deliver({Event(0)});
  recording::Deliver({Month(0, 7)});             // same month
  recording::Deliver({Event(0), Month(0, 8)});   // same season
  recording::Deliver({Event(0), Month(0, 12)});  // Hard winter
  recording::Deliver({AssignedId(6, 903), recording::Exception(3)});
  recording::Deliver({Event(0), Month(0, 4)});  // Spring
  recording::Deliver(
      {AssignedId(7, 904), AssignedId(1, 999), AssignedId(0, 998), AssignedId(8, 997)});
  recording::Deliver({Event(5), Month(7, 11)});  // ignored
  recording::Deliver({Quit(), Event(0), Month(0, 10), AssignedId(2, 905)});

  std::string output = Capture([] { EXPECT_TRUE(RunSimConnection()); });
  EXPECT_EQ(output,
            "\nFSX Init Request...\n\nFSX SimObject Creation History:\n"
            "\n  Created sun1\n  Created sun2"
            "\n\nSeason changed!\n  Created hw1"
            "\n\nSeason changed!\n  Created spring1");

  EXPECT_EQ(CallsAfterOpening(),
            (std::vector<std::string>{
                // Launch in summer: nothing of ours stands yet, so nothing is removed.
                Create("sun1", kAt1, 2), Create("sun2", kAt1, 4), kMonthOnStart, kMonthOnStart,
                kMonthOnStart,
                // December: the summer objects go, the hard-winter one comes.
                Remove(901, 2), Remove(902, 4), Create("hw1", kAt3, 6), kMonthOnStart,
                // April: only what is still ours is removed.
                Remove(903, 6), Create("spring1", kAt3, 7)}));
  EXPECT_EQ(quitRequested, 1);
  EXPECT_EQ(objectIds, nullptr);
  EXPECT_EQ(placementStore, nullptr);
  EXPECT_EQ(lastMonth, 4);
  EXPECT_EQ(appliedSeason, Spring);
}

TEST_F(ConnectionTest, FlightStartBeforeLaunchReply) {
  Load(kScenery);
  recording::Deliver({Event(0), Month(0, 11)});  // November arrives first
  recording::Deliver({AssignedId(5, 801)});
  recording::Deliver({Month(1, 11)});  // then the launch reply
  recording::Deliver({Quit()});

  std::string output = Capture([] { RunSimConnection(); });
  EXPECT_EQ(output,
            "\n\nSeason changed!\n  Created win1"
            "\nFSX Init Request...\n\nFSX SimObject Creation History:\n");
  EXPECT_EQ(CallsAfterOpening(),
            (std::vector<std::string>{kMonthOnStart, Create("win1", kAt1, 5),
                                      // The launch switch removes what stands, then places again.
                                      Remove(801, 5), Create("win1", kAt1, 5)}));
}

TEST_F(ConnectionTest, EmptySceneryStillLaunches) {
  Load("");
  recording::Deliver({Month(1, 3)});
  recording::Deliver({Event(0), Month(0, 9), AssignedId(2, 5), AssignedId(0, 5)});
  recording::Deliver({Quit()});
  std::string output = Capture([] { RunSimConnection(); });
  EXPECT_EQ(output,
            "\nFSX Init Request...\n\nFSX SimObject Creation History:\n\n\nSeason changed!");
  EXPECT_EQ(CallsAfterOpening(), std::vector<std::string>{kMonthOnStart});
}

// Each season places exactly the variants of its Type, with the same position
// and request ID numbering.
TEST_F(ConnectionTest, LaunchPlacesEachSeason) {
  const struct {
    double month;
    std::vector<std::string> creations;
  } cases[] = {
      {6, {Create("sun1", kAt1, 2), Create("sun2", kAt1, 4)}},
      {10, {Create("fall1", kAt1, 3)}},
      {11, {Create("win1", kAt1, 5)}},
      {1, {Create("hw1", kAt3, 6)}},
      {5, {Create("spring1", kAt3, 7)}},
      {0, {Create("fall1", kAt1, 3)}},
  };
  for (const auto& c : cases) {
    testing_support::ResetProgram();
    Load(kScenery);
    recording::Deliver({Month(1, c.month), Quit()});
    Capture([] { RunSimConnection(); });
    EXPECT_EQ(CallsAfterOpening(), c.creations) << "month " << c.month;
  }
}

TEST_F(ConnectionTest, ShortMessagesAreIgnored) {
  Load(kScenery);
  recording::Message month = Month(1, 7);
  month.resize(44);  // no room for the month value
  recording::Message assigned = AssignedId(2, 5);
  assigned.resize(16);
  recording::Deliver({month, assigned});
  recording::Deliver({Quit()});
  EXPECT_EQ(Capture([] { RunSimConnection(); }), "");
  EXPECT_EQ(CallsAfterOpening(), std::vector<std::string>{});
}

TEST_F(ConnectionTest, OpenFailureMakesNoFurtherCall) {
  Load(kScenery);
  recording::script.openResult = E_FAIL;
  std::string output = Capture([] { EXPECT_FALSE(RunSimConnection()); });
  EXPECT_EQ(output, "");
  EXPECT_EQ(recording::script.calls, std::vector<std::string>{kOpening});
  EXPECT_NE(objectIds, nullptr);
  EXPECT_NE(placementStore, nullptr);
}

}  // namespace
