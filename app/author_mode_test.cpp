// Author mode against the recording SimConnect double, with doubles for the
// folder watch, the keys and the clock.
#include "app/author_mode.h"

#include <gtest/gtest.h>

#include <deque>
#include <utility>

#include "app/startup.h"
#include "placement/discovery.h"
#include "placement/store.h"
#include "season/season_switch.h"
#include "sim/connection.h"
#include "tests/recording_simconnect.h"
#include "tests/test_support.h"

namespace {

using namespace recording;  // NOLINT: the double's whole vocabulary
using testing_support::Capture;

std::deque<int> keys;
bool keysGiven = true;
bool changed = false;
unsigned now = 0;

AuthorCalls Doubles() {
  return {[](const std::string&) { return reinterpret_cast<os::FolderWatch*>(1); },
          [](os::FolderWatch*) { return std::exchange(changed, false); },
          [](os::FolderWatch*) {},
          [](const std::string&) { return true; },
          [] { return keysGiven; },
          [] {
            if (keys.empty()) return 0;
            int key = keys.front();
            keys.pop_front();
            return key;
          },
          [] {},
          [] { return now; }};
}

std::string Handle(Message message) {
  return Capture([&] {
    OnSimMessage(reinterpret_cast<SIMCONNECT_RECV*>(message.data()),
                 static_cast<DWORD>(message.size()), nullptr);
  });
}

// A look at keys and folder, `ms` after the last.
std::string Pass(unsigned ms = kLookMs) {
  now += ms;
  return Capture(AuthorModePass);
}

const char kFile[] = "Quillmar/BrindlewickV2/a.xml";

// The program started on `xml` as a.xml, connected, launched in July; the
// calls recorded so far are dropped (send IDs go on counting from them).
void Launch(testing_support::TempFolder& folder, const std::string& xml) {
  testing_support::ResetProgram();
  authorCalls = Doubles();
  keys.clear();
  keysGiven = true;
  folder.Write(kFile, xml);
  Capture([] {
    ScanPlacementFiles();
    authorMode = LoadFoundPlacementFiles();
  });
  objectIds = CreateObjectIdTable(placementStore->variantTitles.size());
  SimConnect_Open(&simConnectHandle, "System Event", nullptr, 0, nullptr, 0);
  Handle(Month(REQUEST_MONTH_AT_LAUNCH, 7));
  Pass();
  script.calls.clear();
}

std::string Entry(const std::string& seasons) {
  return "<SimObjectEntry><H Dir='d'/>" + seasons +
         "<PlacementData Lat='1' Lon='2' Alt='3'/></SimObjectEntry>";
}
std::string Season(const char* type, const char* title) {
  return std::string("<Season Type='") + type + "' SimTitle='" + title + "'/>";
}
std::string Create(const char* title, int request) {
  return std::string("Create ok ") + title + " 1,2,3 0,0,0 1/0 " + std::to_string(request);
}
std::string Showing(const char* season) {
  return std::string("\nShowing ") + season +
         " objects; press A to follow the simulator's month again";
}

// Keys place their season at once; A asks for the month; a flight start does
// not switch while a season chosen by key holds.
TEST(AuthorModeTest, SeasonKeys) {
  testing_support::TempFolder folder;
  Launch(folder,
         "<Debug/>" + Entry(Season("SU", "sun") + Season("FA", "leaf") + Season("WI", "fir") +
                            Season("HW", "ice") + Season("xx", "tulip")));
  const struct {
    const char* keys;
    bool given;  // standard input is a console
    std::vector<std::string> calls;
    std::string output;
  } rows[] = {
      {"w", true, {Create("fir", 4)}, Showing("winter")},
      {"x?\x1b", true, {}, ""},
      {"H", true, {Create("ice", 5)}, Showing("hard winter")},
      {"pF", true, {Create("tulip", 6), Create("leaf", 3)}, Showing("spring") + Showing("fall")},
      {"s", false, {}, ""},
      {"S", true, {Create("sun", 2)}, Showing("summer")},
  };
  for (const auto& row : rows) {
    keysGiven = row.given;
    ResetAuthorModeForTesting();
    authorMode = true;
    authorCalls = Doubles();
    NoteSeasonSwitch();
    Pass();  // starts the keys, as after the launch
    script.calls.clear();
    for (const char* key = row.keys; *key; ++key) keys.push_back(*key);
    EXPECT_EQ(Pass(), row.output) << row.keys;
    EXPECT_EQ(script.calls, row.calls) << row.keys;
    keys.clear();
  }
  // Summer is held: December's flight start changes nothing until A.
  script.calls.clear();
  EXPECT_EQ(Handle(Event(EVENT_SIM_START)) + Handle(Month(REQUEST_MONTH_ON_START, 12)), "");
  EXPECT_EQ(script.calls, std::vector<std::string>{"Request ok 0/0/0/0"});
  keys.push_back('a');
  Pass();
  EXPECT_FALSE(SeasonPreviewHolds());
  EXPECT_EQ(script.calls.back(), "Request ok 1/1/0/0");
  EXPECT_EQ(Handle(Month(REQUEST_MONTH_AT_LAUNCH, 12)),
            "\nFSX Init Request...\n\nFSX SimObject Creation History:\n");
  EXPECT_EQ(script.calls.back(), Create("ice", 5));
}

// After a save: the lead line, the files read again, the old objects removed
// and the new ones asked for; an ID asked for before it goes when it comes.
// A refused title is named in author mode only; Debug gone ends the watch.
TEST(AuthorModeTest, ReadAgainOnSave) {
  testing_support::TempFolder folder;
  Launch(folder, "<Debug/>\n" + Entry("\n" + Season("SU", "one") + "\n" + Season("SU", "two") +
                                      "\n" + Season("SU", "bad")));
  // Open was packet 1, the creations 2, 3 and 4.
  Message refused =
      Other(SIMCONNECT_RECV_ID_EXCEPTION, 24, {SIMCONNECT_EXCEPTION_CREATE_OBJECT_FAILED, 4, 1});
  EXPECT_EQ(Handle(refused),
            "\nCould not create \"bad\" (a.xml, line 5): the simulator refused it"
            "\ncheck the title with brindlewick-check --sim");
  EXPECT_EQ(Handle(refused), "");  // answered once
  EXPECT_EQ(Handle(AssignedId(2, 500)), "\n  Created one");

  folder.Write(kFile, "<Debug/>" + Entry(Season("SU", "three") + Season("SU", "four")));
  changed = true;
  EXPECT_EQ(Pass(), "");
  EXPECT_EQ(Pass(kQuietMs - kLookMs), "");  // not yet quiet long enough
  std::string log = Pass();
  EXPECT_EQ(log.rfind("\n\nPlacement files changed: reading them again\nXML File Found: a.xml!", 0),
            0u);
  EXPECT_EQ(script.calls,
            (std::vector<std::string>{"Remove ok 500 2", Create("three", 2), Create("four", 3)}));
  EXPECT_EQ(Handle(AssignedId(2, 501)), "\n  Created three");
  script.calls.clear();
  // Request 3 was "two" before, unanswered: its answer comes first and goes.
  ASSERT_EQ(Handle(AssignedId(3, 502)), "");
  EXPECT_EQ(script.calls, std::vector<std::string>{"Remove ok 502 3"});
  EXPECT_EQ(Handle(AssignedId(3, 503)), "\n  Created four");
  EXPECT_EQ(*objectIds, (ObjectIdTable{501, 503}));

  folder.Write(kFile, Entry(Season("SU", "five")));
  changed = true;
  Pass();
  log = Pass(kQuietMs);
  EXPECT_NE(
      log.find("\nThe last placement file has no Debug now: Brindlewick stops watching the files"),
      std::string::npos);
  EXPECT_FALSE(authorMode);  // a pilot's run from here: the e2e stories
}

}  // namespace
