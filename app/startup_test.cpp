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

// Which file's Debug element keeps the console open: only the last file's.
struct DebugCase {
  const char* name;
  std::vector<std::string> files;  // contents, loaded in this order
  bool debug;
};

class LastFileDecidesTest : public testing::TestWithParam<DebugCase> {};

TEST_P(LastFileDecidesTest, ReturnsLastFlag) {
  testing_support::ResetProgram();
  testing_support::TempFolder folder;
  const DebugCase& c = GetParam();
  for (size_t i = 0; i < c.files.size(); ++i) {
    std::string name = std::string(1, static_cast<char>('a' + i)) + ".xml";
    folder.Write("Quillmar/BrindlewickV2/" + name, c.files[i]);
    foundFiles.push_back(name);
  }
  bool debug = true;
  Capture([&] { debug = LoadFoundPlacementFiles(); });
  EXPECT_EQ(debug, c.debug);
}

INSTANTIATE_TEST_SUITE_P(
    Files, LastFileDecidesTest,
    testing::Values(DebugCase{"OneDebugFile", {"<Debug/>" + Entry(1)}, true},
                    DebugCase{"OnlyFirstAsks", {"<Debug/>" + Entry(1), Entry(1)}, false},
                    DebugCase{"OnlyLastAsks", {Entry(1), "<Debug/>" + Entry(1)}, true},
                    DebugCase{"LastFailsToLoad", {"<Debug/>", "<Debug/>", "<broken"}, false},
                    DebugCase{"NoneLoads", {"<a", "<b"}, false}),
    [](const testing::TestParamInfo<DebugCase>& info) { return std::string(info.param.name); });

TEST(StartupTest, WholeRunWithoutSimulator) {
  testing_support::ResetProgram();
  testing_support::TempFolder folder;
  folder.Write("Quillmar/BrindlewickV2/one.xml", Entry(2));
  folder.Write("Quillmar/BrindlewickV2/two.xml", Entry(5) + "<!-- -->" + Entry(0));
  recording::script.openResult = E_FAIL;
  delete placementStore;
  placementStore = nullptr;

  int code = 0;
  std::string output = Capture([&] { code = RunBrindlewick(); });
  EXPECT_EQ(code, 1);
  EXPECT_EQ(output.substr(0, 2), "\n-");
  EXPECT_NE(output.find("XML File Found: one.xml!\nXML File Found: two.xml!\n\nResult of "
                        "\".\\Quillmar\\BrindlewickV2\\one.xml\" Read:"),
            std::string::npos);
  ASSERT_NE(objectIds, nullptr);
  EXPECT_EQ(objectIds->size(), 7u);
  EXPECT_EQ(*objectIds, ObjectIdTable(7, 0));
  // Open was tried once with the fixed arguments, and nothing else.
  EXPECT_EQ(recording::script.calls,
            std::vector<std::string>{"Open name=System Event hwnd=null msg=0 event=null config=0"});
}

}  // namespace
