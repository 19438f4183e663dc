// The checker must see exactly what the program loads: the same entries, in
// the same order, with the same variants and positions.
#include <sstream>
#include <tuple>

#include <gtest/gtest.h>

#include "app/startup.h"
#include "check/check_run.h"
#include "check/folder_check.h"
#include "placement/discovery.h"
#include "placement/store.h"
#include "tests/test_support.h"

namespace {

// The store's columns, compared whole.
auto Columns(const PlacementStore& s) {
  return std::tie(s.entryDirs, s.entryLatitudes, s.entryLongitudes, s.entryAltitudes,
                  s.variantCounts, s.variantTypes, s.variantTitles);
}

TEST(CheckerAgreesWithLoader, OnAFolderFullOfMistakes) {
  testing_support::ResetProgram();
  testing_support::TempFolder folder;
  const std::string dir = "Quillmar/BrindlewickV2/";
  folder.Write(dir + "a.xml",
               "<?xml version=\"1.0\"?>\n<Debug/>\n<!--SimObjectEntry-->\n"
               "<SimObjectEntry><O Dir=\"a1\"/><Season Type=\"su\" SimTitle=\"t1\"/>"
               "<Season Type=\"SU\" SimTitle=\"t2\"/><PlacementData Lat=\"12.5abc\" Lon=\" -1e1\" "
               "Alt=\"1,5\"/></SimObjectEntry>\n"
               "<SimObjectEntry><O Dir=\"a2\"/>Season<Other/><Season Type=\"HW\" SimTitle=\"t3\"/>"
               "<PlacementData Lon=\"abc\" Alt=\"\"/></SimObjectEntry>\n"
               "<!DOCTYPE x>\n"
               "<SimObjectEntry><O/><PlacementData Lat=\"7\"/></SimObjectEntry>\n"
               "<Entry><O Dir=\"a3\"/><PlacementData Lat=\"95\"/></Entry>\n"
               "<SimObjectEntry><O Dir=\"a4\"/><PlacementData/>"
               "<Season Type=\"FA\" SimTitle=\"t4\"/></SimObjectEntry>\n"
               "<Debug/>\n");
  folder.Write(dir + "b.xml", "<SimObjectEntry><O Dir=\"b1\">\n</SimObjectEntry>\n");
  folder.Write(dir + "C.XML",
               "<SimObjectEntry><Season Type=\"SU\" SimTitle=\"x\"/><PlacementData Lat=\"3\"/>"
               "</SimObjectEntry>\n"
               "<SimObjectEntry><O Dir=\"c1\"/><PlacementData Lon=\"4\"/></SimObjectEntry>\n"
               "<SimObjectEntry><O Dir=\"c2\"/><Season Type=\"WI\" SimTitle=\"t5\"/>"
               "<PlacementData Lat=\"-3\"/></SimObjectEntry>\n");
  folder.Write(dir + "d.xml/.keep", "");
  folder.Write(dir + "back\\slash.xml", "<SimObjectEntry><O Dir=\"s1\"/><PlacementData/></SimObjectEntry>");
  folder.Write(dir + "e.xml", "<Scenery><SimObjectEntry><O Dir=\"e1\"/><PlacementData/>"
                              "</SimObjectEntry></Scenery>\n");
  folder.Write(dir + "f.xml",
               "<SimObjectEntry><O Dir=\"f1\"/><Season Type=\"SP\" SimTitle=\"t6\"/>"
               "<PlacementData Lat=\"59.90512\" Lon=\"10.72875\" Alt=\"12.0\"/></SimObjectEntry>\n");

  testing_support::Capture([] {
    ScanPlacementFiles();
    LoadFoundPlacementFiles();
  });
  CheckRun run;
  std::ostringstream out;
  run.out = &out;
  ASSERT_TRUE(CheckFolder("Quillmar/BrindlewickV2", &run));

  PlacementStore checked;
  for (const CheckedEntry& entry : run.entries) {
    checked.entryDirs.push_back(entry.dir);
    checked.entryLatitudes.push_back(entry.latitude);
    checked.entryLongitudes.push_back(entry.longitude);
    checked.entryAltitudes.push_back(entry.altitude);
    checked.variantCounts.push_back(static_cast<int32_t>(entry.types.size()));
    checked.variantTypes.insert(checked.variantTypes.end(), entry.types.begin(), entry.types.end());
    checked.variantTitles.insert(checked.variantTitles.end(), entry.titles.begin(),
                                 entry.titles.end());
  }
  // A folder this varied is only a fair test when it loads something.
  ASSERT_EQ(7u, placementStore->entryDirs.size());
  EXPECT_EQ(Columns(*placementStore), Columns(checked));
  EXPECT_EQ(static_cast<int>(foundFiles.size()), run.files);
}

}  // namespace
