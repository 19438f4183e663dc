#include "placement/discovery.h"

#include <gtest/gtest.h>

#include "tests/test_support.h"

namespace {

using testing_support::Capture;

class DiscoveryTest : public testing::Test {
 protected:
  void SetUp() override { testing_support::ResetProgram(); }
  testing_support::TempFolder folder_;
};

TEST_F(DiscoveryTest, ListsMatchesInFolderOrder) {
  for (const char* name :
       {"B.XML", "a_b.xml", "Alpha.xml", "ab.xml", "notes.txt", "xml", "c.xml.bak"}) {
    folder_.Write(std::string("Quillmar/BrindlewickV2/") + name, "<x/>");
  }
  std::filesystem::create_directories(folder_.path() / "Quillmar/BrindlewickV2/folder.Xml");

  EXPECT_EQ(Capture(ScanPlacementFiles),
            "XML File Found: ab.xml!\n"
            "XML File Found: Alpha.xml!\n"
            "XML File Found: a_b.xml!\n"
            "XML File Found: B.XML!\n"
            "XML File Found: folder.Xml!\n");
  EXPECT_EQ(foundFiles,
            (std::vector<std::string>{"ab.xml", "Alpha.xml", "a_b.xml", "B.XML", "folder.Xml"}));
}

TEST_F(DiscoveryTest, ReportsWhyTheSearchCannotStart) {
  EXPECT_EQ(Capture(ScanPlacementFiles), "FindFirstFile failed (3)\n");
  EXPECT_TRUE(foundFiles.empty());

  std::filesystem::create_directories(folder_.path() / "Quillmar/BrindlewickV2");
  EXPECT_EQ(Capture(ScanPlacementFiles), "FindFirstFile failed (2)\n");

  folder_.Write("Quillmar/BrindlewickV2/readme.txt", "");
  EXPECT_EQ(Capture(ScanPlacementFiles), "FindFirstFile failed (2)\n");
  EXPECT_TRUE(foundFiles.empty());
}

}  // namespace
