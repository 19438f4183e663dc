#include "placement/loader.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include "placement/store.h"
#include "tests/test_support.h"

namespace {

using testing_support::Capture;
using testing_support::DescribeStore;

// Parses `xml` as a placement file and reads it; returns the console output.
std::string Read(const std::string& xml, bool* debug = nullptr) {
  TiXmlDocument document;
  document.Parse(xml.c_str());
  EXPECT_FALSE(document.Error()) << document.ErrorDesc();
  bool flag = false;
  std::string output = Capture([&] { flag = ReadPlacementDocument(document); });
  if (debug) *debug = flag;
  return output;
}

const char kEntryA[] =
    "<SimObjectEntry><H Dir='A'/><Season Type='SU' SimTitle='a1'/>"
    "<Season Type='HW' SimTitle='a2'/><PlacementData Lat='1' Lon='2' Alt='3'/></SimObjectEntry>";
const char kEntryB[] =
    "<SimObjectEntry><H Dir='B'/><Season Type='FA' SimTitle='b1'/>"
    "<PlacementData Lat='4' Lon='5' Alt='6'/></SimObjectEntry>";

struct LoaderCase {
  const char* name;
  std::string xml;
  std::string output;  // after "Result of" and before the two closing line ends
  std::string store;
  bool debug;
};

class LoaderTest : public testing::TestWithParam<LoaderCase> {
 protected:
  void SetUp() override { testing_support::ResetProgram(); }
};

TEST_P(LoaderTest, ReadsDocument) {
  const LoaderCase& c = GetParam();
  bool debug = false;
  EXPECT_EQ(Read(c.xml, &debug), c.output + "\n\n");
  EXPECT_EQ(DescribeStore(*placementStore), c.store);
  EXPECT_EQ(debug, c.debug);
  EXPECT_TRUE(StoreIsConsistent(*placementStore));
}

const std::string kEntryAOutput =
    "\n\n  SimObjEntry: A\n\tDetected Season: SU\n\tDetected Season: HW";
const std::string kEntryAStore = "A@1,2,3[SU=a1,HW=a2]\n";

INSTANTIATE_TEST_SUITE_P(
    Documents, LoaderTest,
    testing::Values(
        LoaderCase{"TwoEntries", std::string("<?xml version='1.0'?>") + kEntryA + kEntryB,
                   kEntryAOutput + "\n\n  SimObjEntry: B\n\tDetected Season: FA",
                   kEntryAStore + "B@4,5,6[FA=b1]\n", false},
        LoaderCase{"NoEntries", "<?xml version='1.0'?><Other/>", "", "", false},
        LoaderCase{"DebugBeforeEntries", std::string("<Debug/>") + kEntryA, kEntryAOutput,
                   kEntryAStore, true},
        LoaderCase{"DebugAlone", "<Debug>anything</Debug>", "", "", true},
        LoaderCase{"CommentNamedDebugIsNoDebug", std::string("<!--Debug-->") + kEntryA,
                   kEntryAOutput, kEntryAStore, false},
        LoaderCase{"CommentsBetweenEntriesIgnored",
                   std::string(kEntryA) + "<!-- x --><!--SimObjectEntry-->" + kEntryB,
                   kEntryAOutput + "\n\n  SimObjEntry: B\n\tDetected Season: FA",
                   kEntryAStore + "B@4,5,6[FA=b1]\n", false},
        LoaderCase{"OtherNameAfterFirstEntryIsAnEntry",
                   std::string(kEntryA) +
                       "<Thing><H Dir='T'/><PlacementData Lat='7' Lon='8' Alt='9'/></Thing>",
                   kEntryAOutput + "\n\n  SimObjEntry: T", kEntryAStore + "T@7,8,9[]\n", false},
        LoaderCase{"ElementsBeforeFirstEntryIgnored", std::string("<Other/><More/>") + kEntryA,
                   kEntryAOutput, kEntryAStore, false},
        LoaderCase{"NoSeasonReadsPlacementAfterHeader",
                   "<SimObjectEntry><H Dir='E'/><PlacementData Lat='1' Lon='1' Alt='1'/>"
                   "</SimObjectEntry>",
                   "\n\n  SimObjEntry: E", "E@1,1,1[]\n", false},
        LoaderCase{"OtherElementsSkipped",
                   "<SimObjectEntry><H Dir='E'/><x/><Season Type='SU' SimTitle='t'/><y>"
                   "<Season Type='WI' SimTitle='nested'/></y>text<!--c-->"
                   "<Season Type='SU' SimTitle='u'/><z/><PlacementData Lat='1' Lon='2' Alt='3'/>"
                   "</SimObjectEntry>",
                   "\n\n  SimObjEntry: E\n\tDetected Season: SU\n\tDetected Season: SU",
                   "E@1,2,3[SU=t,SU=u]\n", false},
        LoaderCase{
            "EntitiesResolvedNothingTrimmed",
            "<SimObjectEntry><H Dir=' a &amp; b '/><Season Type=' su' SimTitle='T&lt;1&gt;'/>"
            "<PlacementData Lat='1' Lon='2' Alt='3'/></SimObjectEntry>",
            "\n\n  SimObjEntry:  a & b \n\tDetected Season:  su", " a & b @1,2,3[ su=T<1>]\n",
            false}),
    [](const testing::TestParamInfo<LoaderCase>& info) { return std::string(info.param.name); });

// Entries that break the format are skipped whole, with one line saying why.
struct BrokenCase {
  const char* name;
  std::string entry;  // stands between two good entries
  std::string reason;
  int line;
};

class BrokenEntryTest : public testing::TestWithParam<BrokenCase> {
 protected:
  void SetUp() override { testing_support::ResetProgram(); }
};

TEST_P(BrokenEntryTest, SkipsWholeEntry) {
  const BrokenCase& c = GetParam();
  std::string xml = std::string(kEntryA) + "\n" + c.entry + "\n" + kEntryB;
  std::string expected = kEntryAOutput;
  if (!c.reason.empty()) {
    expected += "\n\n  Skipped entry 2 (line " + std::to_string(c.line) + "): " + c.reason;
  }
  expected += "\n\n  SimObjEntry: B\n\tDetected Season: FA\n\n";
  EXPECT_EQ(Read(xml), expected);
  EXPECT_EQ(DescribeStore(*placementStore), kEntryAStore + "B@4,5,6[FA=b1]\n");
  EXPECT_TRUE(StoreIsConsistent(*placementStore));
}

INSTANTIATE_TEST_SUITE_P(
    Entries, BrokenEntryTest,
    testing::Values(
        BrokenCase{"NoChildElement", "<SimObjectEntry>text</SimObjectEntry>", "no header element",
                   2},
        BrokenCase{"DebugAfterFirstEntry", "<Debug/>", "no header element", 2},
        BrokenCase{"HeaderIsSeason",
                   "<SimObjectEntry><Season Type='SU' SimTitle='s'/>"
                   "<PlacementData Lat='1' Lon='1' Alt='1'/></SimObjectEntry>",
                   "first child element is a Season, not a header", 2},
        BrokenCase{"HeaderWithoutDir",
                   "<SimObjectEntry><H/><PlacementData Lat='1' Lon='1' Alt='1'/></SimObjectEntry>",
                   "header element has no Dir", 2},
        BrokenCase{"SeasonWithoutType",
                   "<SimObjectEntry><H Dir='X'/><Season Type='SU' SimTitle='s'/>"
                   "<Season SimTitle='s'/><PlacementData Lat='1' Lon='1' Alt='1'/>"
                   "</SimObjectEntry>",
                   "Season without Type", 2},
        BrokenCase{"SeasonWithoutTitle",
                   "<SimObjectEntry><H Dir='X'/><Season Type='SU'/>"
                   "<PlacementData Lat='1' Lon='1' Alt='1'/></SimObjectEntry>",
                   "Season without SimTitle", 2},
        BrokenCase{"NoPlacementData",
                   "<SimObjectEntry><H Dir='X'/><Season Type='SU' SimTitle='s'/></SimObjectEntry>",
                   "no PlacementData element", 2},
        BrokenCase{"PlacementDataOnlyBeforeLastSeason",
                   "<SimObjectEntry><H Dir='X'/><PlacementData Lat='1' Lon='1' Alt='1'/>"
                   "<Season Type='SU' SimTitle='s'/></SimObjectEntry>",
                   "no PlacementData after the last Season", 2},
        // Not entries at all: nothing printed, the next element is entry 2.
        BrokenCase{"DoctypeAfterFirstEntry", "<!DOCTYPE x>", "", 0},
        BrokenCase{"DeclarationAfterFirstEntry", "<?xml version='1.0'?>", "", 0}),
    [](const testing::TestParamInfo<BrokenCase>& info) { return std::string(info.param.name); });

TEST(LoaderTest, NodesNamedSeasonThatAreNotElementsAreNotVariants) {
  testing_support::ResetProgram();
  EXPECT_EQ(Read("<SimObjectEntry><H Dir='X'/><!--Season-->Season"
                 "<Season Type='SU' SimTitle='s'/><PlacementData Lat='1' Lon='2' Alt='3'/>"
                 "</SimObjectEntry>"),
            "\n\n  SimObjEntry: X\n\tDetected Season: SU\n\n");
  EXPECT_EQ(DescribeStore(*placementStore), "X@1,2,3[SU=s]\n");
}

TEST(LoaderTest, FirstNodeNamedEntryThatIsACommentStartsNothing) {
  testing_support::ResetProgram();
  EXPECT_EQ(Read(std::string("<!--SimObjectEntry-->") + kEntryB),
            "\n\n  SimObjEntry: B\n\tDetected Season: FA\n\n");
  EXPECT_EQ(DescribeStore(*placementStore), "B@4,5,6[FA=b1]\n");
}

// Each row: the attribute text given for Lat in the second entry, and what it reads as.
// The first entry's Lat is 10.
struct CoordinateCase {
  const char* attribute;  // nullptr: no Lat attribute
  double expected;
};

class CoordinateTest : public testing::TestWithParam<CoordinateCase> {};

TEST_P(CoordinateTest, ParsesLikeScanf) {
  testing_support::ResetProgram();
  std::string lat =
      GetParam().attribute ? std::string(" Lat='") + GetParam().attribute + "'" : std::string();
  Read(
      "<SimObjectEntry><H Dir='1'/><PlacementData Lat='10' Lon='20' Alt='30'/></SimObjectEntry>"
      "<SimObjectEntry><H Dir='2'/><PlacementData" +
      lat + " Lon='21' Alt='31'/></SimObjectEntry>");
  ASSERT_EQ(placementStore->entryLatitudes.size(), 2u);
  EXPECT_EQ(placementStore->entryLatitudes[1], GetParam().expected);
  EXPECT_EQ(placementStore->entryLongitudes[1], 21);
  EXPECT_EQ(placementStore->entryAltitudes[1], 31);
}

INSTANTIATE_TEST_SUITE_P(Values, CoordinateTest,
                         testing::Values(CoordinateCase{nullptr, 10},
                                         CoordinateCase{"12.5abc", 12.5},
                                         CoordinateCase{"  -7.25", -7.25},
                                         CoordinateCase{"1e3", 1000}, CoordinateCase{"1,5", 1},
                                         CoordinateCase{"abc", 10}, CoordinateCase{"", 10}),
                         [](const testing::TestParamInfo<CoordinateCase>& info) {
                           return "Case" + std::to_string(info.index);
                         });

TEST(LoaderTest, FirstEntryWithoutCoordinatesUsesZeroAndSaysSo) {
  testing_support::ResetProgram();
  std::string output = Read(
      "<SimObjectEntry><H Dir='1'/><Season Type='SU' SimTitle='s'/>"
      "<PlacementData Lon='x'/></SimObjectEntry>"
      "<SimObjectEntry><H Dir='2'/><PlacementData Lat='5'/></SimObjectEntry>");
  EXPECT_EQ(output,
            "\n\n  SimObjEntry: 1\n\tDetected Season: SU"
            "\n\tNo Lat given, using 0\n\tNo Lon given, using 0\n\tNo Alt given, using 0"
            "\n\n  SimObjEntry: 2\n\n");
  EXPECT_EQ(DescribeStore(*placementStore), "1@0,0,0[SU=s]\n2@5,0,0[]\n");
}

// Files on disk: accumulation, failures and folders.
class LoaderFileTest : public testing::Test {
 protected:
  void SetUp() override { testing_support::ResetProgram(); }
  testing_support::TempFolder folder_;
};

TEST_F(LoaderFileTest, AccumulatesAcrossFilesAndSkipsFailures) {
  folder_.Write("a.xml", kEntryA);
  folder_.Write("bad.xml", "<SimObjectEntry><H Dir='Z'/>");  // unclosed
  folder_.Write("empty.xml", "");
  folder_.Write("b.xml", std::string("<Debug/>") + kEntryB);

  Capture([] { EXPECT_FALSE(LoadPlacementFile("a.xml")); });
  std::string storeAfterA = DescribeStore(*placementStore);
  EXPECT_EQ(Capture([] { EXPECT_FALSE(LoadPlacementFile("bad.xml")); }),
            "\nResult of \"bad.xml\" Read:Failed to load file \"bad.xml\"\n");
  EXPECT_EQ(Capture([] { EXPECT_FALSE(LoadPlacementFile("empty.xml")); }),
            "\nResult of \"empty.xml\" Read:Failed to load file \"empty.xml\"\n");
  EXPECT_EQ(DescribeStore(*placementStore), storeAfterA);

  EXPECT_EQ(Capture([] { EXPECT_TRUE(LoadPlacementFile("b.xml")); }),
            "\nResult of \"b.xml\" Read:\n\n  SimObjEntry: B\n\tDetected Season: FA\n\n");
  EXPECT_EQ(DescribeStore(*placementStore), kEntryAStore + "B@4,5,6[FA=b1]\n");
  EXPECT_EQ(allVariantTitles.size(), 3u);
}

TEST_F(LoaderFileTest, BackslashPathsAndMissingFiles) {
  folder_.Write("sub/dir/a.xml", kEntryA);
  EXPECT_EQ(Capture([] { LoadPlacementFile(".\\sub\\dir\\a.xml"); }),
            "\nResult of \".\\sub\\dir\\a.xml\" Read:" + kEntryAOutput + "\n\n");
  EXPECT_EQ(Capture([] { LoadPlacementFile(".\\sub\\missing.xml"); }),
            "\nResult of \".\\sub\\missing.xml\" Read:Failed to load file "
            "\".\\sub\\missing.xml\"\n");
}

TEST_F(LoaderFileTest, FolderNamedLikeAFileFailsToLoad) {
  std::filesystem::create_directories(folder_.path() / "folder.xml");
  EXPECT_EQ(Capture([] { EXPECT_FALSE(LoadPlacementFile("folder.xml")); }),
            "\nResult of \"folder.xml\" Read:Failed to load file \"folder.xml\"\n");
}

}  // namespace
