#include "app/startup.h"

#include <gtest/gtest.h>

#include "placement/discovery.h"
#include "placement/store.h"
#include "season/season_switch.h"
#include "tests/recording_simconnect.h"
#include "tests/test_support.h"

namespace {

using testing_support::Capture;

std::string Entry(int variants) {
  std::string xml = "<SimObjectEntry><H Dir='d'/>";
  for (int i = 0; i < variants; ++i) xml += "<Season Type='SU' SimTitle='t'/>";
  return xml + "<PlacementData Lat='1' Lon='2' Alt='3'/></SimObjectEntry>";
}

// Only the last file's Debug element keeps the console open.
TEST(StartupTest, LastFileDecidesDebug) {
  const std::string debug = "<Debug/>" + Entry(1);
  const struct {
    std::vector<std::string> files;  // loaded in this order
    bool debug;
  } cases[] = {{{debug}, true},          {{debug, Entry(1)}, false}, {{Entry(1), debug}, true},
               {{debug, "<broken"}, false}, {{"<a", "<b"}, false}, {{"<a", debug}, true}};
  for (const auto& c : cases) {
    testing_support::ResetProgram();
    testing_support::TempFolder folder;
    for (size_t i = 0; i < c.files.size(); ++i) {
      foundFiles.push_back(std::string(1, static_cast<char>('a' + i)) + ".xml");
      folder.Write("Quillmar/BrindlewickV2/" + foundFiles.back(), c.files[i]);
    }
    bool flag = !c.debug;
    Capture([&] { flag = LoadFoundPlacementFiles(); });
    EXPECT_EQ(flag, c.debug) << c.files.back();
  }
}

// Unconnected, with SimConnect missing or the simulator out of reach: the
// same log, exit code 1, and on standard error what stopped it: a broken
// SimConnect is not called missing. Without one, no SimConnect function is
// called at all.
TEST(StartupTest, WholeRunWithoutSimulator) {
  const std::vector<std::string> opened = {
      "Open name=System Event hwnd=null msg=0 event=null config=0"};
  const struct {
    bool installed;
    const char* unusable;  // installed but broken: why
    const char* message;   // the first line on standard error
    std::vector<std::string> calls;
  } cases[] = {
      {true, "", "Could not connect to the simulator.\n", opened},
      {false, "", "SimConnect is not installed; Brindlewick needs it to reach the simulator.\n",
       {}},
      {false, "its SimConnect.dll lacks SimConnect_Open",
       "SimConnect 10.0.61259.0 is installed, but Brindlewick cannot use it: its SimConnect.dll "
       "lacks SimConnect_Open.\n",
       {}}};
  std::string firstLog;
  for (const auto& c : cases) {
    testing_support::ResetProgram();
    testing_support::TempFolder folder;
    folder.Write("Quillmar/BrindlewickV2/one.xml", Entry(2));
    folder.Write("Quillmar/BrindlewickV2/two.xml", Entry(5) + "<!-- -->" + Entry(0));
    recording::script.installed = c.installed;
    recording::script.unusable = c.unusable;
    recording::script.openResult = E_FAIL;
    delete placementStore;
    placementStore = nullptr;
    int code = 0;
    testing::internal::CaptureStderr();
    std::string log = Capture([&] { code = RunBrindlewick(); });
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(code, 1);
    ASSERT_NE(objectIds, nullptr);
    EXPECT_EQ(*objectIds, ObjectIdTable(7, 0));  // a slot per variant, zeroed
    EXPECT_EQ(recording::script.calls, c.calls);
    EXPECT_EQ(errors.substr(0, errors.find('\n') + 1), c.message);
    if (firstLog.empty()) firstLog = log;
    EXPECT_EQ(log, firstLog);
  }
}

}  // namespace
