#include "placement/loader.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include "placement/store.h"
#include "tests/test_support.h"

namespace {

using testing_support::Capture;
using testing_support::DescribeStore;

const std::string kA =
    "<SimObjectEntry><H Dir='A'/><Season Type='SU' SimTitle='a1'/>"
    "<Season Type='HW' SimTitle='a2'/><PlacementData Lat='1' Lon='2' Alt='3'/></SimObjectEntry>";
const std::string kB =
    "<SimObjectEntry><H Dir='B'/><Season Type='FA' SimTitle='b1'/>"
    "<PlacementData Lat='4' Lon='5' Alt='6'/></SimObjectEntry>";
const std::string kAOut = "\n\n  SimObjEntry: A\n\tDetected Season: SU\n\tDetected Season: HW";
const std::string kBOut = "\n\n  SimObjEntry: B\n\tDetected Season: FA";
const std::string kAStore = "A@1,2,3[SU=a1,HW=a2]\n";
const std::string kBStore = "B@4,5,6[FA=b1]\n";
const std::string kSwallowed = "\n\n  Swallowed from line ";
const std::string kMarkup =
    ": this <!...> or <?...?> is not closed before a '<' and runs on to line ";
const std::string kNotRead = "; the entries in it are not read";
const std::string kFailed = "Failed to load file \"f.xml\"\n";

std::string Entry(const std::string& dir, const std::string& data) {
  return "<SimObjectEntry><H Dir='" + dir + "'/><PlacementData " + data + "/></SimObjectEntry>";
}
// A broken entry between A and B: skipped, and the reason said.
std::string Between(const std::string& entry) { return kA + "\n" + entry + "\n" + kB; }
std::string Skipped(const std::string& reason) {
  return kAOut + "\n\n  Skipped entry 2 (line 2): " + reason + kBOut + "\n\n";
}

TEST(LoaderTest, LoadsFiles) {
  const struct {
    std::string xml;
    std::string output;  // after "Result of ... Read:"
    std::string store;
    bool debug;
  } cases[] = {
      {"<?xml version='1.0'?>" + kA + kB, kAOut + kBOut + "\n\n", kAStore + kBStore, false},
      {"<Debug/>" + kA, kAOut + "\n\n", kAStore, true},
      {"<Other/><Debug>x</Debug>", "\n\n", "", true},
      {"<!--Debug--><!--SimObjectEntry-->" + kA, kAOut + "\n\n", kAStore, false},
      {"<More/>" + kA + "<!-- x --><!--SimObjectEntry-->" + kB, kAOut + kBOut + "\n\n",
       kAStore + kBStore, false},
      {kA + "<T><H Dir='T'/><PlacementData Lat='7' Lon='8' Alt='9'/></T>",
       kAOut + "\n\n  SimObjEntry: T\n\n", kAStore + "T@7,8,9[]\n", false},
      {"<SimObjectEntry><H Dir=' a &amp; b '/><x/><Season Type=' su' SimTitle='T&lt;1'/><y>"
       "<Season Type='WI' SimTitle='n'/></y>Season<!--Season--><Season Type='SU' SimTitle='u'/>"
       "<z/><PlacementData Lat='1' Lon='2' Alt='3'/></SimObjectEntry>",
       "\n\n  SimObjEntry:  a & b \n\tDetected Season:  su\n\tDetected Season: SU\n\n",
       " a & b @1,2,3[ su=T<1,SU=u]\n", false},
      // Coordinates read as scanf reads them; what is no number keeps the one before.
      {Entry("1", "Lat='10' Lon='20' Alt='30'") + Entry("2", "Lat='12.5abc' Lon=' -7.25'") +
           Entry("3", "Lat='1e3' Lon='1,5' Alt='abc'") + Entry("4", "Lat='' Lon='-'"),
       "\n\n  SimObjEntry: 1\n\n  SimObjEntry: 2\n\n  SimObjEntry: 3\n\n  SimObjEntry: 4\n\n",
       "1@10,20,30[]\n2@12.5,-7.25,30[]\n3@1000,1,30[]\n4@1000,1,30[]\n", false},
      {Entry("1", "Lon='x'") + Entry("2", "Lat='5'"),
       "\n\n  SimObjEntry: 1\n\tNo Lat given, using 0\n\tNo Lon given, using 0"
       "\n\tNo Alt given, using 0\n\n  SimObjEntry: 2\n\n",
       "1@0,0,0[]\n2@5,0,0[]\n", false},
      {Between("<SimObjectEntry>text</SimObjectEntry>"), Skipped("no header element"),
       kAStore + kBStore, false},
      {Between("<Debug/>"), Skipped("no header element"), kAStore + kBStore, true},
      // Each reason for a skip, and that the program skips too: the checker's table.
      {Between("<!DOCTYPE x><?xml version='1.0'?>"), kAOut + kBOut + "\n\n", kAStore + kBStore,
       false},
      // Text outside an element: the parser stops there without an error.
      {kA + "</SimObjectEntry>>\n" + kB,
       kAOut + "\n\n  Stopped reading at line 1: text outside an "
               "element; the rest of the file is not read\n\n",
       kAStore, false},
      // Or it reads to the end without an error and drops what it read over.
      {kA + "\n<!-- B is off\n" + kB,
       kAOut + "\n\n  Stopped reading at line 2: a comment is never "
               "closed (no -->); the rest of the file is not read\n\n",
       kAStore, false},
      {kA + "<![CDATA[" + kB,
       kAOut + "\n\n  Stopped reading at line 1: a CDATA section is never "
               "closed (no ]]>); the rest of the file is not read\n\n",
       kAStore, false},
      {"\n<?xml version\n" + kA,
       "\n\n  Stopped reading at line 2: an XML declaration cannot be "
       "read (its quotes or its ?>); the rest of the file is not read\n\n",
       "", false},
      // A declaration whose value runs over the first entry's start tag.
      {"<?xml version='1.0\"?>\n" + kA + kB,
       kBOut + kSwallowed +
           "1: the XML declaration's quotes do not match, so it runs on to line 2" + kNotRead +
           "\n\n",
       kBStore, false},
      // A declaration without its '>', a DOCTYPE never closed: each runs on to
      // the first entry's '>'.
      {"<?xml version='1.0'?\n" + kA + "\n" + kB,
       kBOut + kSwallowed + "1" + kMarkup + "2" + kNotRead + "\n\n", kBStore, false},
      // Every node that swallows is said, each at its own line.
      {"<!DOCTYPE placement\n" + kA + kB + "\n<!x\n\n<SimObjectEntry/>",
       kBOut + kSwallowed + "1" + kMarkup + "2" + kNotRead + kSwallowed + "3" + kMarkup + "5" +
           kNotRead + "\n\n",
       kBStore, false},
      // A character reference without its ';' runs on to the next one.
      {"<SimObjectEntry><H Dir='Caf&#233'/>\n</SimObjectEntry>" + kB +
           "\n<SimObjectEntry><H Dir='C&#233;'/><PlacementData Lat='7' Lon='8' Alt='9'/>"
           "</SimObjectEntry>",
       "\n\n  SimObjEntry: Caf\xe9" + kSwallowed +
           "1: a character reference (&#...) lacks its ';', so it runs on to line 3" + kNotRead +
           "\n\n",
       "Caf\xe9@7,8,9[]\n", false},
      // An entry whose end tag comes after the next one: that one is nested.
      {"<SimObjectEntry><H Dir='A'/><PlacementData/>\n" + kB + "\n</SimObjectEntry>",
       "\n\n  SimObjEntry: A\n\tNo Lat given, using 0\n\tNo Lon given, using 0\n\tNo Alt given, "
       "using 0\n\n  Skipped entry (line 2): it stands inside entry 1 (line 1); close that entry "
       "before it\n\n",
       "A@0,0,0[]\n", false},
      {"<SimObjectEntry><H Dir='A'/><PlacementData/><!x\n</SimObjectEntry>\n" + kB +
           "\n</SimObjectEntry>",
       "\n\n  SimObjEntry: A\n\tNo Lat given, using 0\n\tNo Lon given, using 0\n\tNo Alt given, "
       "using 0\n\n  Skipped entry (line 3): it stands inside entry 1 (line 1); close that entry "
       "before it" +
           kSwallowed + "1" + kMarkup + "2" + kNotRead + "\n\n",
       "A@0,0,0[]\n", false},
      // Entries in a wrapper: none is read, and the log says so.
      {"<Scenery>\n" + kA + "\n" + kB + "\n</Scenery>",
       "\n\n  Skipped <Scenery> (line 1): the 2 entries in it (lines 2 to 3) are not read; "
       "entries must stand at the top level\n\n",
       "", false},
      {kA + "\n<Scenery>" + kB + "</Scenery>",
       kAOut + "\n\n  Skipped entry 2 (line 2): it holds entries (<SimObjectEntry> inside it); "
               "entries must stand at the top level\n\n  Skipped entry (line 2): it stands "
               "inside <Scenery> (entry 2, line 2); entries must stand at the top level\n\n",
       kAStore, false},
      // A byte that is no character takes the line break after it into the
      // parser's count; the log counts the file's lines.
      {"<?xml version='1.0'?>\n<!--\xe9\n-->\n" + kA + "\n<E><H/><PlacementData/></E>",
       kAOut + "\n\n  Skipped entry 2 (line 5): header element has no Dir\n\n", kAStore, false},
      {kA + "\n<!-- x\n" + std::string(1, '\0') + " -->\n" + kB,
       kAOut + "\n\n  Stopped reading at line 3: a NUL byte (a character 0) cuts short the "
               "comment that starts at line 2; the rest of the file is not read\n\n",
       kAStore, false},
      {kA + "\n" + std::string(1, '\0') + "\n" + kB,
       kAOut + "\n\n  Stopped reading at line 2: a NUL byte (a character 0) stands here; the "
               "rest of the file is not read\n\n",
       kAStore, false},
      {kA + "<SimObjectEntry>", kFailed, "", false},
  };
  for (const auto& c : cases) {
    testing_support::ResetProgram();
    testing_support::TempFolder folder;
    folder.Write("f.xml", c.xml);
    bool debug = !c.debug;
    EXPECT_EQ(Capture([&] { debug = LoadPlacementFile("f.xml"); }),
              "\nResult of \"f.xml\" Read:" + c.output)
        << c.xml;
    EXPECT_EQ(DescribeStore(*placementStore), c.store) << c.xml;
    EXPECT_EQ(debug, c.debug) << c.xml;
  }
}

TEST(LoaderTest, AccumulatesAcrossFilesAndSkipsFailures) {
  testing_support::ResetProgram();
  testing_support::TempFolder folder;
  folder.Write("sub/a.xml", kA);
  folder.Write("b.xml", kB);
  std::filesystem::create_directories("dir.xml");
  std::vector<std::string> failing = {"dir.xml", ".\\missing.xml"};
#if !defined(_WIN32)
  // Neither a pipe nor an endless device is read: the first would wait for a
  // writer, the second fill the memory.
  ASSERT_EQ(mkfifo("pipe.xml", 0600), 0);
  std::filesystem::create_symlink("/dev/zero", "zero.xml");
  failing.insert(failing.end(), {"pipe.xml", "zero.xml"});
#endif
  EXPECT_EQ(Capture([] { LoadPlacementFile(".\\sub\\a.xml"); }),
            "\nResult of \".\\sub\\a.xml\" Read:" + kAOut + "\n\n");
  for (const std::string& name : failing) {
    EXPECT_EQ(Capture([&] { EXPECT_FALSE(LoadPlacementFile(name.c_str())); }),
              "\nResult of \"" + name + "\" Read:Failed to load file \"" + name + "\"\n");
  }
  EXPECT_EQ(Capture([] { LoadPlacementFile("b.xml"); }),
            "\nResult of \"b.xml\" Read:" + kBOut + "\n\n");
  EXPECT_EQ(DescribeStore(*placementStore), kAStore + kBStore);
  EXPECT_TRUE(StoreIsConsistent(*placementStore));
  EXPECT_EQ(allEntryDirs, placementStore->entryDirs);
}

// Comments do not count; every other node from the first entry on does.
TEST(LoaderTest, CountsTopLevelNodesFromTheFirstEntry) {
  for (const auto& c :
       {std::make_pair("<A/><SimObjectEntry/><!--c--><X/><!DOCTYPE y><Y/>", 4),
        std::make_pair("<A/><!--SimObjectEntry--><B/>", 1), std::make_pair("<A/>", 0)}) {
    TiXmlDocument document;
    document.Parse(c.first);
    EXPECT_EQ(CountObjectEntries(document), c.second) << c.first;
  }
}

}  // namespace
