#include "check/checker.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "check/options.h"
#include "tests/test_support.h"

namespace {

// A variant for every season, so that a case reports only what it is about.
std::string Entry(const std::string& dir, const std::string& placement) {
  return "<SimObjectEntry>\n"
         "  <Object Dir=\"" +
         dir +
         "\"/>\n"
         "  <Season Type=\"SU\" SimTitle=\"Sun\"/>\n"
         "  <Season Type=\"FA\" SimTitle=\"Leaves\"/>\n"
         "  <Season Type=\"WI\" SimTitle=\"Frost\"/>\n"
         "  <Season Type=\"HW\" SimTitle=\"Snow\"/>\n"
         "  <Season Type=\"SP\" SimTitle=\"Buds\"/>\n"
         "  <PlacementData " +
         placement +
         "/>\n"
         "</SimObjectEntry>\n";
}

const char kHere[] = "Lat=\"1\" Lon=\"2\" Alt=\"3\"";

// Deep enough to overflow the parser's stack, were it let at it.
std::string Deep(int levels) {
  std::string text;
  for (int i = 0; i < levels; ++i) text += "<a>";
  return text;
}

struct Case {
  const char* name;
  std::vector<std::pair<std::string, std::string>> files;  // under F/
  std::vector<std::string> args;
  int exitCode;
  std::string output;
};

// One row per kind of message; the output is compared whole.
// clang-format off
std::vector<Case> Cases() {
  return {
      {"Clean", {{"a.xml", Entry("Mill", kHere)}}, {"F"}, 0,
       "1 file, 1 entry, 5 variants: 0 errors, 0 warnings, 0 notes\n"},
      {"MissingFolder", {}, {"Missing"}, 2,
       "Missing: error: cannot read the folder: no such folder\n"},
      {"FolderNamedXml", {{"sub.xml/.keep", ""}}, {"F"}, 1,
       "F/sub.xml: error: the file does not load: it is a folder\n"
       "1 file (1 not loaded), 0 entries, 0 variants: 1 error, 0 warnings, 0 notes\n"},
      {"ProgramOrder",
       {{"b.xml", "<X/>"}, {"A.xml", "<X/>"}, {"c.XML", "<X/>"}, {"d.txt", "<X/>"}},
       {"F"},
       0,
       "F/A.xml:1:1: warning: no top-level SimObjectEntry: the program reads no entry from this "
       "file\n"
       "F/b.xml:1:1: warning: no top-level SimObjectEntry: the program reads no entry from this "
       "file\n"
       "F/c.XML:1:1: warning: no top-level SimObjectEntry: the program reads no entry from this "
       "file\n"
       "3 files, 0 entries, 0 variants: 0 errors, 3 warnings, 0 notes\n"},
      {"EmptyFolder", {}, {"F"}, 0,
       "F: warning: no placement files (*.xml) here: the program would place nothing\n"
       "0 files, 0 entries, 0 variants: 0 errors, 1 warning, 0 notes\n"},
      {"ParseError",
       {{"a.xml", "<SimObjectEntry>\n  <Object Dir=\"x\">\n</SimObjectEntry>\n"}},
       {"F"},
       1,
       "F/a.xml:3:1: error: the file does not load: Error reading end tag.\n"
       "1 file (1 not loaded), 0 entries, 0 variants: 1 error, 0 warnings, 0 notes\n"},
      {"NestedTooDeep", {{"a.xml", Deep(100000)}}, {"F"}, 1,
       "F/a.xml: error: the file does not load: its elements nest more than 256 levels deep\n"
       "1 file (1 not loaded), 0 entries, 0 variants: 1 error, 0 warnings, 0 notes\n"},
      {"LeadByteHidesDepth",
       {{"a.xml", "<?xml version=\"1.0\"?>\n<SimObjectEntry x=\"\xe0\"y\">" + Deep(100000)}},
       {"F"}, 1,
       "F/a.xml: error: the file does not load: its elements nest more than 256 levels deep\n"
       "1 file (1 not loaded), 0 entries, 0 variants: 1 error, 0 warnings, 0 notes\n"},
      {"StrayText", {{"a.xml", Entry("A", kHere) + "  x\n" + Entry("B", kHere)}}, {"F"}, 1,
       "F/a.xml:10:3: error: text outside an element: the program stops reading the file here "
       "and reads no entry after it\n"
       "1 file, 1 entry, 5 variants: 1 error, 0 warnings, 0 notes\n"},
      {"CutCharacter", {{"a.xml", "<?xml version=\"1.0\"?>\n<SimObjectEntry>O\xcf"}}, {"F"}, 1,
       "F/a.xml: error: the file does not load: it ends inside a character (a cut UTF-8 "
       "sequence)\n"
       "1 file (1 not loaded), 0 entries, 0 variants: 1 error, 0 warnings, 0 notes\n"},
      {"EmptyFile", {{"a.xml", ""}}, {"F"}, 1,
       "F/a.xml: error: the file does not load: Error document empty.\n"
       "1 file (1 not loaded), 0 entries, 0 variants: 1 error, 0 warnings, 0 notes\n"},
      {"NoHeader", {{"a.xml", Entry("A", kHere) + "<SimObjectEntry/>\n"}}, {"F"}, 1,
       "F/a.xml:10:1: error: entry 2 is skipped by the program: no header element\n"
       "1 file, 1 entry, 5 variants: 1 error, 0 warnings, 0 notes\n"},
      {"SeasonFirst",
       {{"a.xml",
         "<SimObjectEntry>\n  <Season Type=\"SU\" SimTitle=\"Sun\"/>\n"
         "  <PlacementData/>\n</SimObjectEntry>\n"}},
       {"F"},
       1,
       "F/a.xml:1:1: error: entry 1 is skipped by the program: first child element is a Season, "
       "not a header\n"
       "1 file, 0 entries, 0 variants: 1 error, 0 warnings, 0 notes\n"},
      {"NoDir",
       {{"a.xml", "<SimObjectEntry><Object/><PlacementData/></SimObjectEntry>\n"}},
       {"F"},
       1,
       "F/a.xml:1:1: error: entry 1 is skipped by the program: header element has no Dir\n"
       "1 file, 0 entries, 0 variants: 1 error, 0 warnings, 0 notes\n"},
      {"SeasonWithoutType",
       {{"a.xml",
         "<SimObjectEntry><O Dir=\"a\"/><Season SimTitle=\"Sun\"/><PlacementData/>"
         "</SimObjectEntry>\n"}},
       {"F"},
       1,
       "F/a.xml:1:1: error: entry 1 is skipped by the program: Season without Type\n"
       "1 file, 0 entries, 0 variants: 1 error, 0 warnings, 0 notes\n"},
      {"SeasonWithoutSimTitle",
       {{"a.xml",
         "<SimObjectEntry><O Dir=\"a\"/><Season Type=\"SU\"/><PlacementData/>"
         "</SimObjectEntry>\n"}},
       {"F"},
       1,
       "F/a.xml:1:1: error: entry 1 is skipped by the program: Season without SimTitle\n"
       "1 file, 0 entries, 0 variants: 1 error, 0 warnings, 0 notes\n"},
      {"PlacementDataBeforeSeason",
       {{"a.xml",
         "<SimObjectEntry><O Dir=\"a\"/><PlacementData/>"
         "<Season Type=\"SU\" SimTitle=\"Sun\"/></SimObjectEntry>\n"}},
       {"F"},
       1,
       "F/a.xml:1:1: error: entry 1 is skipped by the program: no PlacementData element\n"
       "1 file, 0 entries, 0 variants: 1 error, 0 warnings, 0 notes\n"},
      {"TypeNotACode",
       {{"a.xml",
         "<SimObjectEntry>\n  <O Dir=\"a\"/>\n  <Season Type=\"su\" SimTitle=\"Sun\"/>\n"
         "  <Season Type=\"SP\" SimTitle=\"Buds\"/>\n  <PlacementData " +
             std::string(kHere) + "/>\n</SimObjectEntry>\n"}},
       {"F"},
       0,
       "F/a.xml:3:11: warning: Type \"su\" is not SU, FA, WI or HW: the object shows in spring "
       "only\n"
       "F/a.xml:1:1: note: \"a\" has nothing for summer (SU), fall (FA), winter (WI) and hard "
       "winter (HW)\n"
       "1 file, 1 entry, 2 variants: 0 errors, 1 warning, 1 note\n"},
      {"LatitudeOutOfRange", {{"a.xml", Entry("A", "Lat=\"-90.5\" Lon=\"2\" Alt=\"3\"")}}, {"F"}, 0,
       "F/a.xml:8:18: warning: Lat -90.5 is outside -90..90\n"
       "1 file, 1 entry, 5 variants: 0 errors, 1 warning, 0 notes\n"},
      {"LongitudeOutOfRange",
       {{"a.xml", Entry("A", "Lat=\"90\" Lon=\"180.25\" Alt=\"3\"")}},
       {"F"},
       0,
       "F/a.xml:8:27: warning: Lon 180.25 is outside -180..180\n"
       "1 file, 1 entry, 5 variants: 0 errors, 1 warning, 0 notes\n"},
      {"MissingInFirstEntry", {{"a.xml", Entry("A", "Lon=\"2\" Alt=\"3\"")}}, {"F"}, 0,
       "F/a.xml:8:3: warning: PlacementData has no Lat: this entry takes 0, as the first entry of "
       "the file\n"
       "1 file, 1 entry, 5 variants: 0 errors, 1 warning, 0 notes\n"},
      {"MissingLater",
       {{"a.xml",
         Entry("A", "Lat=\"59.90512\" Lon=\"2\" Alt=\"3\"") + Entry("B", "Lon=\"2.5\" Alt=\"3\"")}},
       {"F"},
       0,
       "F/a.xml:17:3: warning: PlacementData has no Lat: this entry takes the previous entry's "
       "value, 59.90512\n"
       "1 file, 2 entries, 10 variants: 0 errors, 1 warning, 0 notes\n"},
      {"NotANumber",
       {{"a.xml", Entry("A", "Lat=\"1\" Lon=\"2\" Alt=\"3\"") +
                      Entry("B", "Lat=\"abc\" Lon=\"\" Alt=\"x\"")}},
       {"F"},
       0,
       "F/a.xml:17:18: warning: Lat \"abc\" is not a number: this entry takes the previous entry's "
       "value, 1\n"
       "F/a.xml:17:28: warning: Lon \"\" is not a number: this entry takes the previous entry's "
       "value, 2\n"
       "F/a.xml:17:35: warning: Alt \"x\" is not a number: this entry takes the previous entry's "
       "value, 3\n"
       "F/a.xml:10:1: note: \"B\" stands at the same position as \"A\" (F/a.xml:1)\n"
       "1 file, 2 entries, 10 variants: 0 errors, 3 warnings, 1 note\n"},
      {"TextAfterNumber",
       {{"a.xml", Entry("A", "Lat=\"12.5abc\" Lon=\"1,5\" Alt=\" 3 \"")}},
       {"F"},
       0,
       "F/a.xml:8:18: warning: Lat \"12.5abc\" reads as 12.5; the text after the number is "
       "ignored\n"
       "F/a.xml:8:32: warning: Lon \"1,5\" reads as 1; the text after the number is ignored (the "
       "decimal point is a full stop)\n"
       "1 file, 1 entry, 5 variants: 0 errors, 2 warnings, 0 notes\n"},
      {"LongSimTitle",
       {{"a.xml",
         "<SimObjectEntry>\n  <O Dir=\"a\"/>\n"
         "  <Season Type=\"SU\" SimTitle=\"" +
             std::string(256, 'x') +
             "\"/>\n"
             "  <Season Type=\"FA\" SimTitle=\"" +
             std::string(255, 'y') +
             "\"/>\n"
             "  <Season Type=\"WI\" SimTitle=\"w\"/><Season Type=\"HW\" SimTitle=\"h\"/>\n"
             "  <Season Type=\"SP\" SimTitle=\"s\"/>\n"
             "  <PlacementData " +
             std::string(kHere) + "/>\n</SimObjectEntry>\n"}},
       {"F"},
       0,
       "F/a.xml:3:21: warning: SimTitle is 256 characters long; the simulator takes at most 255\n"
       "1 file, 1 entry, 5 variants: 0 errors, 1 warning, 0 notes\n"},
      {"DebugNotInLastFile",
       {{"a.xml", "<Debug/>\n" + Entry("A", kHere)},
        {"b.xml", "<Debug/>\n" + Entry("B", "Lat=\"1\" Lon=\"3\" Alt=\"3\"")}},
       {"F"},
       0,
       "F/a.xml:1:1: warning: Debug has no effect here: only the last file, F/b.xml, decides "
       "whether the console stays open\n"
       "2 files, 2 entries, 10 variants: 0 errors, 1 warning, 0 notes\n"},
      {"OtherNameReadAsEntry",
       {{"a.xml", Entry("A", kHere) +
                      "<!-- a comment -->\n<Entry>\n  <O Dir=\"b\"/>\n"
                      "  <PlacementData Lat=\"1\" Lon=\"3\" Alt=\"3\"/>\n</Entry>\n<Debug/>\n"}},
       {"F/"},
       1,
       "F/a.xml:11:1: warning: <Entry> is read as entry 2 although it is not named SimObjectEntry\n"
       "F/a.xml:11:1: note: \"b\" has no Season: nothing stands here in any season\n"
       "F/a.xml:15:1: warning: <Debug> is read as entry 3 although it is not named SimObjectEntry\n"
       "F/a.xml:15:1: error: entry 3 is skipped by the program: no header element\n"
       "1 file, 2 entries, 5 variants: 1 error, 2 warnings, 1 note\n"},
      {"EntriesWrapped",
       {{"a.xml", "<Debug/>\n<Scenery>\n" + Entry("A", kHere) + "</Scenery>\n"},
        {"b.xml", "<Debug/>\n"}},
       {"F"},
       0,
       "F/a.xml:1:1: warning: Debug has no effect here: only the last file, F/b.xml, decides "
       "whether the console stays open\n"
       "F/a.xml:2:1: warning: no top-level SimObjectEntry: the program reads no entry from this "
       "file (entries inside <Scenery> are not read; they must stand at the top level)\n"
       "2 files, 0 entries, 0 variants: 0 errors, 2 warnings, 0 notes\n"},
      {"SamePosition",
       {{"a.xml", Entry("A", kHere)}, {"b.xml", Entry("B", "Lat=\"1.0\" Lon=\"2\" Alt=\"9\"")}},
       {"F"},
       0,
       "F/b.xml:1:1: note: \"B\" stands at the same position as \"A\" (F/a.xml:1)\n"
       "2 files, 2 entries, 10 variants: 0 errors, 0 warnings, 1 note\n"},
      {"MissingSeasons",
       {{"a.xml",
         "<SimObjectEntry>\n  <O Dir=\"a\"/>\n  <Season Type=\"HW\" SimTitle=\"Snow\"/>\n"
         "  <Season Type=\"SU\" SimTitle=\"Sun\"/>\n  <PlacementData " +
             std::string(kHere) +
             "/>\n</SimObjectEntry>\n"
             "<SimObjectEntry><O Dir=\"b\"/><PlacementData Lat=\"5\"/></SimObjectEntry>\n"}},
       {"F"},
       0,
       "F/a.xml:1:1: note: \"a\" has nothing for fall (FA), winter (WI) and spring\n"
       "F/a.xml:7:29: warning: PlacementData has no Lon: this entry takes the previous entry's "
       "value, 2\n"
       "F/a.xml:7:29: warning: PlacementData has no Alt: this entry takes the previous entry's "
       "value, 3\n"
       "F/a.xml:7:1: note: \"b\" has no Season: nothing stands here in any season\n"
       "1 file, 2 entries, 2 variants: 0 errors, 2 warnings, 2 notes\n"},
      {"Preview",
       {{"a.xml",
         "<SimObjectEntry>\n  <O Dir=\"a\"/>\n  <Season Type=\"HW\" SimTitle=\"Snow\"/>\n"
         "  <Season Type=\"XX\" SimTitle=\"Buds\"/>\n"
         "  <Season Type=\"SU\" SimTitle=\"Sun\"/><Season Type=\"SU\" SimTitle=\"Sea\"/>"
         "\n  <PlacementData Lat=\"59.90512\" Lon=\"-10.5\" Alt=\"12\"/>\n"
         "</SimObjectEntry>\n"}},
       {"--preview", "F"},
       0,
       "F/a.xml:4:11: warning: Type \"XX\" is not SU, FA, WI or HW: the object shows in spring "
       "only\n"
       "F/a.xml:1:1: note: \"a\" has nothing for fall (FA) and winter (WI)\n"
       "\n"
       "Month 1 (January): hard winter (HW)\n"
       "  Snow at 59.90512, -10.5, alt 12\n"
       "\n"
       "Month 2 (February): hard winter (HW)\n"
       "  Snow at 59.90512, -10.5, alt 12\n"
       "\n"
       "Month 3 (March): spring\n"
       "  Buds at 59.90512, -10.5, alt 12\n"
       "\n"
       "Month 4 (April): spring\n"
       "  Buds at 59.90512, -10.5, alt 12\n"
       "\n"
       "Month 5 (May): spring\n"
       "  Buds at 59.90512, -10.5, alt 12\n"
       "\n"
       "Month 6 (June): summer (SU)\n"
       "  Sun at 59.90512, -10.5, alt 12\n"
       "  Sea at 59.90512, -10.5, alt 12\n"
       "\n"
       "Month 7 (July): summer (SU)\n"
       "  Sun at 59.90512, -10.5, alt 12\n"
       "  Sea at 59.90512, -10.5, alt 12\n"
       "\n"
       "Month 8 (August): summer (SU)\n"
       "  Sun at 59.90512, -10.5, alt 12\n"
       "  Sea at 59.90512, -10.5, alt 12\n"
       "\n"
       "Month 9 (September): fall (FA)\n"
       "  (nothing)\n"
       "\n"
       "Month 10 (October): fall (FA)\n"
       "  (nothing)\n"
       "\n"
       "Month 11 (November): winter (WI)\n"
       "  (nothing)\n"
       "\n"
       "Month 12 (December): hard winter (HW)\n"
       "  Snow at 59.90512, -10.5, alt 12\n"
       "\n"
       "1 file, 1 entry, 4 variants: 0 errors, 1 warning, 1 note\n"},
      {"GeoJsonWritten", {{"a.xml", Entry("A", kHere)}}, {"--geojson", "points.json", "F"}, 0,
       "Wrote 1 point to points.json\n"
       "1 file, 1 entry, 5 variants: 0 errors, 0 warnings, 0 notes\n"},
      {"GeoJsonUnwritable",
       {{"a.xml", Entry("A", kHere)}},
       {"F", "--geojson=no/such/folder/points.json"},
       2,
       "no/such/folder/points.json: error: cannot write the GeoJSON file\n"
       "1 file, 1 entry, 5 variants: 1 error, 0 warnings, 0 notes\n"},
  };
}
// clang-format on

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class CheckerOutput : public testing::TestWithParam<Case> {};

TEST_P(CheckerOutput, IsExactly) {
  const Case& c = GetParam();
  testing_support::TempFolder folder;
  folder.Write("F/.keep", "");
  for (const auto& file : c.files) folder.Write("F/" + file.first, file.second);
  std::ostringstream out;
  std::ostringstream err;
  int code = RunChecker(c.args, out, err);
  EXPECT_EQ(c.output, out.str());
  EXPECT_EQ("", err.str());
  EXPECT_EQ(c.exitCode, code);
}

INSTANTIATE_TEST_SUITE_P(Kinds, CheckerOutput, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.name);
                         });

struct CommandLine {
  const char* name;
  std::vector<std::string> args;
  int exitCode;
  std::string out;
  std::string err;
};

void PrintTo(const CommandLine& c, std::ostream* out) { *out << c.name; }

std::string Mistake(const std::string& problem) {
  return "brindlewick-check: " + problem + "\n" + kCheckUsage;
}

class CheckerCommandLine : public testing::TestWithParam<CommandLine> {};

TEST_P(CheckerCommandLine, Answers) {
  const CommandLine& c = GetParam();
  testing_support::TempFolder folder;
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(c.exitCode, RunChecker(c.args, out, err));
  EXPECT_EQ(c.out, out.str());
  EXPECT_EQ(c.err, err.str());
}

INSTANTIATE_TEST_SUITE_P(
    Options, CheckerCommandLine,
    testing::Values(
        CommandLine{"Help", {"--preview", "--help", "Elsewhere"}, 0, kCheckHelp, ""},
        CommandLine{"ShortHelp", {"-h"}, 0, kCheckHelp, ""},
        CommandLine{"UnknownOption", {"--previews"}, 2, "", Mistake("unknown option --previews")},
        CommandLine{
            "TwoFolders", {"A", "B"}, 2, "", Mistake("only one FOLDER, please (got A and B)")},
        CommandLine{
            "GeoJsonWithoutFile", {"A", "--geojson"}, 2, "", Mistake("--geojson needs a FILE")},
        CommandLine{"GeoJsonEmptyFile", {"--geojson="}, 2, "", Mistake("--geojson needs a FILE")},
        CommandLine{"FolderAfterDashes",
                    {"--", "--odd"},
                    2,
                    "--odd: error: cannot read the folder: no such folder\n",
                    ""},
        CommandLine{"DefaultFolderMissing",
                    {},
                    2,
                    "Quillmar/BrindlewickV2: error: cannot read the folder: no such folder\n",
                    ""}),
    [](const testing::TestParamInfo<CommandLine>& info) { return std::string(info.param.name); });

TEST(Checker, ReadsTheProgramsFolderByDefault) {
  testing_support::TempFolder folder;
  folder.Write("Quillmar/BrindlewickV2/a.xml", Entry("A", "Lat=\"1\" Lon=\"2\" Alt=\"x\""));
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(0, RunChecker({}, out, err));
  EXPECT_EQ(
      "Quillmar/BrindlewickV2/a.xml:8:34: warning: Alt \"x\" is not a number: this entry takes 0, "
      "as the first entry of the file\n"
      "1 file, 1 entry, 5 variants: 0 errors, 1 warning, 0 notes\n",
      out.str());
}

}  // namespace
