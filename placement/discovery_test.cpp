// Run natively and under Wine, where FindFirstFileW does the search.
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

// Names come in the folder's order (NTFS: by upper-case character codes, so
// "_x" after "zeta" and "10" before "9"); a folder named like a file counts.
// Backups whose 8.3 short names end in .XML on Windows ("Village.xml~",
// "VILLAG~1.XML") do not count.
TEST_F(DiscoveryTest, ListsMatchesInFolderOrder) {
  for (const char* name : {"zeta.xml", "B.XML", "a_b.xml", "_x.xml", "Alpha.xml", "ab.xml", "9.xml",
                           "10.xml", "notes.txt", "xml", "c.xml.bak", "Village.xml~",
                           "Airfield.xml2", "Notes.xmlold"}) {
    folder_.Write(std::string("Quillmar/BrindlewickV2/") + name, "<x/>");
  }
  std::filesystem::create_directories(folder_.path() / "Quillmar/BrindlewickV2/folder.Xml");

  const std::vector<std::string> expected = {"10.xml", "9.xml",      "ab.xml",   "Alpha.xml",
                                             "a_b.xml", "B.XML",     "folder.Xml", "zeta.xml",
                                             "_x.xml"};
  std::string lines;
  for (const std::string& name : expected) lines += "XML File Found: " + name + "!\n";
  EXPECT_EQ(Capture(ScanPlacementFiles), lines);
  EXPECT_EQ(foundFiles, expected);
}

TEST_F(DiscoveryTest, ReportsWhyTheSearchCannotStart) {
  // (No folder at all, error 3: the e2e stories.)
  std::filesystem::create_directories(folder_.path() / "Quillmar/BrindlewickV2");
  EXPECT_EQ(Capture(ScanPlacementFiles), "FindFirstFile failed (2)\n");

  // Only backups, whose short names match on Windows: as good as none.
  for (const char* name : {"readme.txt", "Village.xml~", "Airfield.xml2", "Notes.xmlold"}) {
    folder_.Write(std::string("Quillmar/BrindlewickV2/") + name, "");
  }
  EXPECT_EQ(Capture(ScanPlacementFiles), "FindFirstFile failed (2)\n");
  EXPECT_TRUE(foundFiles.empty());
}

}  // namespace
