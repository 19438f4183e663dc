#include "check/checker.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "check/options.h"
#include "tests/test_support.h"

namespace {

// A variant for every season, so that an entry reports only what it is about:
// line 1 holds Dir, line 2 the Seasons (SU first), line 3 PlacementData with
// its first attribute at column 16.
std::string Entry(const std::string& dir, const std::string& placement,
                  const std::string& title = "Sun") {
  return "<SimObjectEntry><O Dir=\"" + dir + "\"/>\n<Season Type=\"SU\" SimTitle=\"" + title +
         "\"/><Season Type=\"FA\" SimTitle=\"Leaves\"/><Season Type=\"WI\" SimTitle=\"Frost\"/>"
         "<Season Type=\"HW\" SimTitle=\"Snow\"/><Season Type=\"SP\" SimTitle=\"Buds\"/>\n"
         "<PlacementData " + placement + "/></SimObjectEntry>\n";
}

const char kBom[] = "\xef\xbb\xbf";
const char kLatin1[] = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n";
const char kNotAnsi[] =
    " is sent as UTF-8 bytes (the file is read as UTF-8), but the simulator's titles are "
    "Windows-1252 text: it will not match; save the file as ISO-8859-1 or Windows-1252 and "
    "declare that encoding, or write the title in ASCII\n";

struct Case {
  const char* name;
  std::vector<std::pair<std::string, std::string>> files;  // path, text
  std::vector<std::string> args;
  int exitCode;
  std::string out;
  std::string err;
};

std::string Mistake(const std::string& problem) {
  return "brindlewick-check: " + problem + "\n" + kCheckUsage;
}

// One row per kind of run; the output is compared whole.
// clang-format off
std::vector<Case> Cases() {
  return {
      {"EveryMessage", {
        {"F/a.xml", "<Debug/>\n" + Entry("A", "Lat=\"-90.5\" Lon=\"180.25\" Alt=\"3\"") +
                    Entry("B", "Lat=\"90\" Lon=\"-180\" Alt=\"x\"") +
                    Entry("C", "Lon=\"1,5\" Alt=\"12.5abc\"")},
        {"F/B.xml", "<SimObjectEntry><O Dir=\"x&#10;y&#27;z\"/><Season Type=\"s&#9;u\" "
                    "SimTitle=\"t\"/><Season Type=\"HW\" SimTitle=\"S\"/><PlacementData Lat=\"1\" Alt=\"2\"/>"
                    "</SimObjectEntry>\n"
                    "<SimObjectEntry><Season Type=\"SU\" SimTitle=\"s\"/><PlacementData/></SimObjectEntry>\n"
                    "<SimObjectEntry><O/><PlacementData/></SimObjectEntry>\n"
                    "<SimObjectEntry><O Dir=\"d\"/><Season SimTitle=\"s\"/><PlacementData/></SimObjectEntry>\n"
                    "<SimObjectEntry><O Dir=\"d\"/><Season Type=\"SU\"/><PlacementData/></SimObjectEntry>\n"
                    "<SimObjectEntry><O Dir=\"d\"/><Season Type=\"SU\" SimTitle=\"s\"/></SimObjectEntry>\n"
                    "<SimObjectEntry><O Dir=\"d\"/><PlacementData/><Season Type=\"SU\" SimTitle=\"s\"/>"
                    "</SimObjectEntry>\n<!-- -->\n<Entry><O Dir=\"e\"/><PlacementData Lat=\"5\" Lon=\"5\"/></Entry>\n<Debug/>\n"},
        {"F/c.XML", "<SimObjectEntry>\n<O Dir=\"x\">\n</SimObjectEntry>\n"},
        {"F/c.txt", ""}, {"F/d.xml/.keep", ""}, {"F/e.xml", ""},
        {"F/f.xml", [] { std::string s; for (int i = 0; i < 100000; ++i) s += "<a>"; return s; }()},
        {"F/g.xml", "<?xml version=\"1.0\"?>\n<SimObjectEntry>O\xcf"},
        {"F/h.xml", "<X/>"}, {"F/i.xml", "<Scenery>\n" + Entry("I", "") + "</Scenery>\n"},
        {"F/j.xml", kBom + std::string(kLatin1) + Entry("J", "Lat=\"1\" Lon=\"1\" Alt=\"0\"", "Bateau \xc3\xa9t\xc3\xa9")},
        {"F/k.xml", kLatin1 + Entry("K", "Lat=\"2\" Lon=\"1\" Alt=\"0\"", "\xe9t\xe9" + std::string(253, 'x')) +
                    Entry("L", "Lat=\"90\" Lon=\"-180\" Alt=\"0\"")},
        {"F/l.xml", Entry("M", "Lat=\"3\" Lon=\"1\" Alt=\"0\"", "\xe9") + "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n" +
                    Entry("N", "Lat=\"4\" Lon=\"1\" Alt=\"0\"", "\xc3\xa9" + std::string(253, 'x'))}},
       {"F/"}, 1,
       std::string("F/a.xml:1:1: warning: Debug has no effect here: only the last file, F/l.xml, "
       "decides whether the console stays open\n") +
       "F/a.xml:4:16: warning: Lat -90.5 is outside -90..90\n"
       "F/a.xml:4:28: warning: Lon 180.25 is outside -180..180\n"
       "F/a.xml:7:36: warning: Alt \"x\" is not a number: this entry takes the previous entry's value, 3\n"
       "F/a.xml:10:1: warning: PlacementData has no Lat: this entry takes the previous entry's value, 90\n"
       "F/a.xml:10:16: warning: Lon \"1,5\" reads as 1; the text after the number is ignored (the "
       "decimal point is a full stop)\n"
       "F/a.xml:10:26: warning: Alt \"12.5abc\" reads as 12.5; the text after the number is ignored\n"
       "F/B.xml:10:1: warning: Debug has no effect here: only the last file, F/l.xml, decides "
       "whether the console stays open\n"
       "F/B.xml:1:49: warning: Type \"s&#9;u\" is not SU, FA, WI or HW: the object shows in spring only\n"
       "F/B.xml:1:109: warning: PlacementData has no Lon: this entry takes 0, as the first entry of the file\n"
       "F/B.xml:1:1: note: \"x&#10;y&#27;z\" has nothing for summer (SU), fall (FA) and winter (WI)\n"
       "F/B.xml:2:1: error: entry 2 is skipped by the program: first child element is a Season, not a header\n"
       "F/B.xml:3:1: error: entry 3 is skipped by the program: header element has no Dir\n"
       "F/B.xml:4:1: error: entry 4 is skipped by the program: Season without Type\n"
       "F/B.xml:5:1: error: entry 5 is skipped by the program: Season without SimTitle\n"
       "F/B.xml:6:1: error: entry 6 is skipped by the program: no PlacementData element\n"
       "F/B.xml:7:1: error: entry 7 is skipped by the program: no PlacementData after the last Season\n"
       "F/B.xml:9:1: warning: <Entry> is read as entry 8 although it is not named SimObjectEntry\n"
       "F/B.xml:9:20: warning: PlacementData has no Alt: this entry takes the previous entry's value, 2\n"
       "F/B.xml:9:1: note: \"e\" has no Season: nothing stands here in any season\n"
       "F/B.xml:10:1: warning: <Debug> is read as entry 9 although it is not named SimObjectEntry\n"
       "F/B.xml:10:1: error: entry 9 is skipped by the program: no header element\n"
       "F/c.XML:3:1: error: the file does not load: Error reading end tag.\n"
       "F/d.xml: error: the file does not load: it is a folder\n"
       "F/e.xml: error: the file does not load: Error document empty.\n"
       "F/f.xml: error: the file does not load: its elements nest more than 256 levels deep\n"
       "F/g.xml: error: the file does not load: it ends inside a character (a cut UTF-8 sequence)\n"
       "F/h.xml:1:1: warning: no top-level SimObjectEntry: the program reads no entry from this file\n"
       "F/i.xml:1:1: warning: no top-level SimObjectEntry: the program reads no entry from this file "
       "(entries inside <Scenery> are not read; they must stand at the top level)\n"
       "F/j.xml:3:1: warning: SimTitle \"Bateau \xc3\xa9t\xc3\xa9\"" + kNotAnsi +
       "F/k.xml:3:19: warning: SimTitle is 256 characters long; the simulator takes at most 255\n"
       "F/k.xml:5:1: note: \"L\" stands at the same position as \"B\" (F/a.xml:5)\n"
       "F/l.xml:6:1: warning: SimTitle \"\xc3\xa9" + std::string(253, 'x') + "\"" + kNotAnsi +
       "12 files (5 not loaded), 10 entries, 42 variants: 12 errors, 18 warnings, 3 notes\n", ""},
      {"Preview",
       {{"F/a.xml", "<SimObjectEntry><O Dir=\"a\"/><Season Type=\"HW\" SimTitle=\"Sn&#27;ow\"/>\n"
                    "<Season Type=\"XX\" SimTitle=\"Buds\"/><Season Type=\"SU\" SimTitle=\"Sun\"/>"
                    "<Season Type=\"SU\" SimTitle=\"Sea\"/><PlacementData Lat=\"59.90512\" "
                    "Lon=\"-10.5\" Alt=\"12\"/></SimObjectEntry>\n"}},
       {"--preview", "F"}, 0,
       "F/a.xml:2:9: warning: Type \"XX\" is not SU, FA, WI or HW: the object shows in spring only\n"
       "F/a.xml:1:1: note: \"a\" has nothing for fall (FA) and winter (WI)\n"
       "\nMonth 1 (January): hard winter (HW)\n  Sn&#27;ow at 59.90512, -10.5, alt 12\n"
       "\nMonth 2 (February): hard winter (HW)\n  Sn&#27;ow at 59.90512, -10.5, alt 12\n"
       "\nMonth 3 (March): spring\n  Buds at 59.90512, -10.5, alt 12\n"
       "\nMonth 4 (April): spring\n  Buds at 59.90512, -10.5, alt 12\n"
       "\nMonth 5 (May): spring\n  Buds at 59.90512, -10.5, alt 12\n"
       "\nMonth 6 (June): summer (SU)\n  Sun at 59.90512, -10.5, alt 12\n  Sea at 59.90512, -10.5, alt 12\n"
       "\nMonth 7 (July): summer (SU)\n  Sun at 59.90512, -10.5, alt 12\n  Sea at 59.90512, -10.5, alt 12\n"
       "\nMonth 8 (August): summer (SU)\n  Sun at 59.90512, -10.5, alt 12\n  Sea at 59.90512, -10.5, alt 12\n"
       "\nMonth 9 (September): fall (FA)\n  (nothing)\n\nMonth 10 (October): fall (FA)\n  (nothing)\n"
       "\nMonth 11 (November): winter (WI)\n  (nothing)\n"
       "\nMonth 12 (December): hard winter (HW)\n  Sn&#27;ow at 59.90512, -10.5, alt 12\n"
       "\n1 file, 1 entry, 4 variants: 0 errors, 1 warning, 1 note\n", ""},
      // The folder's name is no UTF-8: it reaches the system unchanged.
      {"GeoJsonWritten", {{"F\xe9/a.xml", Entry("A", "Lat=\"1\" Lon=\"2\" Alt=\"3\"")}},
       {"--geojson", "points.json", "F\xe9"}, 0,
       "Wrote 1 point to points.json\n1 file, 1 entry, 5 variants: 0 errors, 0 warnings, 0 notes\n", ""},
      {"GeoJsonUnwritable", {{"F/a.xml", Entry("A", "Lat=\"1\" Lon=\"2\" Alt=\"3\"")}},
       {"F", "--geojson=no/such/folder/points.json"}, 2,
       "no/such/folder/points.json: error: cannot write the GeoJSON file\n"
       "1 file, 1 entry, 5 variants: 1 error, 0 warnings, 0 notes\n", ""},
      {"EmptyFolder", {{"F/.keep", ""}}, {"F"}, 0,
       "F: warning: no placement files (*.xml) here: the program would place nothing\n"
       "0 files, 0 entries, 0 variants: 0 errors, 1 warning, 0 notes\n", ""},
      {"DefaultFolderMissing", {}, {}, 2,
       "Quillmar/BrindlewickV2: error: cannot read the folder: no such folder\n", ""},
      {"FolderAfterDashes", {}, {"--", "--odd"}, 2, "--odd: error: cannot read the folder: no such folder\n", ""},
      {"Help", {}, {"--preview", "--help", "Elsewhere"}, 0, kCheckHelp, ""},
      {"ShortHelp", {}, {"-h"}, 0, kCheckHelp, ""},
      {"UnknownOption", {}, {"--previews"}, 2, "", Mistake("unknown option --previews")},
      {"TwoFolders", {}, {"A", "B"}, 2, "", Mistake("only one FOLDER, please (got A and B)")},
      {"GeoJsonWithoutFile", {}, {"A", "--geojson"}, 2, "", Mistake("--geojson needs a FILE")},
      {"GeoJsonEmptyFile", {}, {"--geojson="}, 2, "", Mistake("--geojson needs a FILE")},
  };
}
// clang-format on

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class Checker : public testing::TestWithParam<Case> {};

TEST_P(Checker, AnswersExactly) {
  const Case& c = GetParam();
  testing_support::TempFolder folder;
  for (const auto& file : c.files) folder.Write(file.first, file.second);
  std::ostringstream out;
  std::ostringstream err;
  int code = RunChecker(c.args, out, err);
  EXPECT_EQ(c.out, out.str());
  EXPECT_EQ(c.err, err.str());
  EXPECT_EQ(c.exitCode, code);
}

INSTANTIATE_TEST_SUITE_P(Runs, Checker, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
