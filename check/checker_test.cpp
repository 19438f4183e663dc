#include "check/checker.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/startup.h"
#include "check/folder_check.h"
#include "check/options.h"
#include "placement/discovery.h"
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
         "<PlacementData " +
         placement + "/></SimObjectEntry>\n";
}

const char kHere[] = "Lat=\"1\" Lon=\"2\" Alt=\"3\"";
const char kClean[] = "1 file, 1 entry, 5 variants: 0 errors, 0 warnings, 0 notes\n";
const char kOneEntry[] = "1 file, 1 entry, 5 variants: 1 error, 0 warnings, 0 notes\n";
const char kLatin1[] = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n";
const char kNotAnsi[] =
    " is sent as UTF-8 bytes (the file is read as UTF-8), but the simulator's titles are "
    "Windows-1252 text: it will not match; save the file as ISO-8859-1 or Windows-1252 and "
    "declare that encoding, or write the title in ASCII\n";

// In F/B.xml entry n stands on line n.
std::string Skipped(int n, const std::string& why) {
  return "F/B.xml:" + std::to_string(n) + ":1: error: entry " + std::to_string(n) +
         " is skipped by the program: " + why + "\n";
}

struct Case {
  const char* name;
  std::vector<std::pair<std::string, std::string>> files;  // path, text
  std::vector<std::string> args;
  int exitCode;
  std::string out;
  std::string mistake;  // on standard error, before the usage
};

// One row per kind of run; the output is compared whole.
// clang-format off
std::vector<Case> Cases() {
  const std::string x253(253, 'x');  // with two more bytes, the longest title
  return {
      {"EveryMessage", {
        {"F/a.xml", "<Debug/>\n" + Entry("A", "Lat=\"-90.5\" Lon=\"180.25\" Alt=\" 3 \"") +
                    Entry("B", "Lat=\"90\" Lon=\"-180\" Alt=\"x\"") +
                    Entry("C", "Lon=\"1,5\" Alt=\"12.5abc\"")},
        {"F/B.xml", "<SimObjectEntry><O Dir=\"x&#10;y&#27;z\"/>Season<Other/><Season "
                    "Type=\"s&#9;u\" SimTitle=\"t\"/><Season Type=\"HW\" SimTitle=\"S\"/>"
                    "<PlacementData Lat=\"1\" Alt=\"2\"/></SimObjectEntry>\n"
                    "<SimObjectEntry><Season Type=\"SU\" SimTitle=\"s\"/><PlacementData/>"
                    "</SimObjectEntry>\n<SimObjectEntry><O/><PlacementData/></SimObjectEntry>\n"
                    "<SimObjectEntry><O Dir=\"d\"/><Season SimTitle=\"s\"/><PlacementData/>"
                    "</SimObjectEntry>\n<SimObjectEntry><O Dir=\"d\"/><Season Type=\"SU\"/>"
                    "<PlacementData/></SimObjectEntry>\n<SimObjectEntry><O Dir=\"d\"/><Season "
                    "Type=\"SU\" SimTitle=\"s\"/></SimObjectEntry>\n<SimObjectEntry><O Dir=\"d\"/>"
                    "<PlacementData/><Season Type=\"SU\" SimTitle=\"s\"/></SimObjectEntry>\n"
                    "<!-- --><E><O Dir=\"e\"/><PlacementData Lat=\"5\" Lon=\"5\" Alt=\"5\"/></E>\n"
                    "<SimObjectEntry/>\n"},
        {"F/c.XML", "<SimObjectEntry>\n<O Dir=\"x\">\n</SimObjectEntry>\n"},
        {"F/c.txt", ""}, {"F/d.xml/.keep", ""}, {"F/e.xml", ""},
        {"F/f.xml", [] { std::string s; for (int i = 0; i < 100000; ++i) s += "<a>"; return s; }()},
        {"F/g.xml", "<?xml version=\"1.0\"?>\n<SimObjectEntry>O\xcf"},
        {"F/h.xml", "<X/>"}, {"F/i.xml", "<Scenery>\n" + Entry("I", "") + "</Scenery>\n"},
        {"F/j.xml", "\xef\xbb\xbf" + std::string(kLatin1) +
                    Entry("J", "Lat=\"1\" Lon=\"1\" Alt=\"0\"", "Bateau \xc3\xa9t\xc3\xa9")},
        {"F/k.xml", kLatin1 + Entry("K", "Lat=\"2\" Lon=\"1\" Alt=\"0\"", "\xe9t\xe9" + x253) +
                    Entry("L", "Lat=\"90.0\" Lon=\"-180\" Alt=\"0\"")},
        {"F/l.xml", Entry("M", "Lat=\"3\" Lon=\"1\" Alt=\"0\"", "\xe9") +
                    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n" +
                    Entry("N", "Lat=\"4\" Lon=\"1\" Alt=\"0\"", "\xc3\xa9" + x253)}},
       {"F/"}, 1,
       std::string("F/a.xml:1:1: warning: Debug has no effect here: only the last file, ") +
       "F/l.xml, decides whether the console stays open\n"
       "F/a.xml:4:16: warning: Lat -90.5 is outside -90..90\n"
       "F/a.xml:4:28: warning: Lon 180.25 is outside -180..180\n"
       "F/a.xml:7:36: warning: Alt \"x\" is not a number: this entry takes the previous "
       "entry's value, 3\n"
       "F/a.xml:10:1: warning: PlacementData has no Lat: this entry takes the previous "
       "entry's value, 90\n"
       "F/a.xml:10:16: warning: Lon \"1,5\" reads as 1; the text after the number is ignored "
       "(the decimal point is a full stop)\n"
       "F/a.xml:10:26: warning: Alt \"12.5abc\" reads as 12.5; the text after the number is "
       "ignored\n"
       "F/B.xml:1:63: warning: Type \"s&#9;u\" is not SU, FA, WI or HW: the object shows in "
       "spring only\n"
       "F/B.xml:1:123: warning: PlacementData has no Lon: this entry takes 0, as the first "
       "entry of the file\n"
       "F/B.xml:1:1: note: \"x&#10;y&#27;z\" has nothing for summer (SU), fall (FA) and "
       "winter (WI)\n" +
       Skipped(2, "first child element is a Season, not a header") +
       Skipped(3, "header element has no Dir") + Skipped(4, "Season without Type") +
       Skipped(5, "Season without SimTitle") + Skipped(6, "no PlacementData element") +
       Skipped(7, "no PlacementData after the last Season") +
       "F/B.xml:8:9: warning: <E> is read as entry 8 although it is not named SimObjectEntry\n"
       "F/B.xml:8:9: note: \"e\" has no Season: nothing stands here in any season\n" +
       Skipped(9, "no header element") +
       "F/c.XML:3:1: error: the file does not load: Error reading end tag.\n"
       "F/d.xml: error: the file does not load: it is a folder\n"
       "F/e.xml: error: the file does not load: Error document empty.\n"
       "F/f.xml: error: the file does not load: its elements nest more than 256 levels deep\n"
       "F/g.xml: error: the file does not load: it ends inside a character (a cut UTF-8 "
       "sequence)\n"
       "F/h.xml:1:1: warning: no top-level SimObjectEntry: the program reads no entry from "
       "this file\n"
       "F/i.xml:1:1: error: <Scenery> holds 1 entry, which the program does not read: entries "
       "must stand at the top level\n"
       "F/j.xml:3:1: warning: SimTitle \"Bateau \xc3\xa9t\xc3\xa9\"" + kNotAnsi +
       "F/k.xml:3:19: warning: SimTitle is 256 characters long; the simulator takes at most 255\n"
       "F/k.xml:5:1: note: \"L\" stands at the same position as \"B\" (F/a.xml:5)\n"
       "F/l.xml:6:1: warning: SimTitle \"\xc3\xa9" + x253 + "\"" + kNotAnsi +
       "12 files (5 not loaded), 10 entries, 42 variants: 13 errors, 14 warnings, 3 notes\n", ""},
      {"PreviewAndGeoJson",
       {{"F/a.xml", "<SimObjectEntry><O Dir=\"a\"/><Season Type=\"HW\" SimTitle=\"Sn&#27;ow\"/>\n"
                    "<Season Type=\"XX\" SimTitle=\"Buds\"/><Season Type=\"SU\" SimTitle=\"Sun\"/>"
                    "<Season Type=\"SU\" SimTitle=\"Sea\"/>"
                    "<PlacementData Lat=\"59\" Lon=\"-1.5\" Alt=\"12\"/></SimObjectEntry>"}},
       {"--preview", "--geojson", "points.json", "F"}, 0,
       "F/a.xml:2:9: warning: Type \"XX\" is not SU, FA, WI or HW: the object shows in spring "
       "only\nF/a.xml:1:1: note: \"a\" has nothing for fall (FA) and winter (WI)\n"
       "\nMonth 1 (January): hard winter (HW)\n  Sn&#27;ow at 59, -1.5, alt 12\n"
       "\nMonth 2 (February): hard winter (HW)\n  Sn&#27;ow at 59, -1.5, alt 12\n"
       "\nMonth 3 (March): spring\n  Buds at 59, -1.5, alt 12\n"
       "\nMonth 4 (April): spring\n  Buds at 59, -1.5, alt 12\n"
       "\nMonth 5 (May): spring\n  Buds at 59, -1.5, alt 12\n"
       "\nMonth 6 (June): summer (SU)\n  Sun at 59, -1.5, alt 12\n  Sea at 59, -1.5, alt 12\n"
       "\nMonth 7 (July): summer (SU)\n  Sun at 59, -1.5, alt 12\n  Sea at 59, -1.5, alt 12\n"
       "\nMonth 8 (August): summer (SU)\n  Sun at 59, -1.5, alt 12\n  Sea at 59, -1.5, alt 12\n"
       "\nMonth 9 (September): fall (FA)\n  (nothing)\n\nMonth 10 (October): fall (FA)\n"
       "  (nothing)\n\nMonth 11 (November): winter (WI)\n  (nothing)\n"
       "\nMonth 12 (December): hard winter (HW)\n  Sn&#27;ow at 59, -1.5, alt 12\n"
       "\nWrote 1 point to points.json\n1 file, 1 entry, 4 variants: 0 errors, 1 warning, 1 note\n",
       ""},
      {"GeoJsonUnwritable", {{"F/a.xml", Entry("A", kHere)}},
       {"F", "--geojson=no/such/folder/points.json"}, 2,
       "no/such/folder/points.json: error: cannot write the GeoJSON file\n"
       "1 file, 1 entry, 5 variants: 1 error, 0 warnings, 0 notes\n", ""},
      {"LeadByteHidesDepth",
       {{"F/a.xml", "<?xml version=\"1.0\"?>\n<SimObjectEntry x=\"\xe0\"y\">" +
                    [] { std::string s; for (int i = 0; i < 100000; ++i) s += "<b>"; return s; }()}},
       {"F"}, 1,
       "F/a.xml: error: the file does not load: its elements nest more than 256 levels deep\n"
       "1 file (1 not loaded), 0 entries, 0 variants: 1 error, 0 warnings, 0 notes\n", ""},
      {"StrayText", {{"F/a.xml", Entry("A", kHere) + "  x\n" + Entry("B", kHere)}}, {"F"}, 1,
       "F/a.xml:4:3: error: text outside an element: the program stops reading the file here "
       "and reads no entry after it\n"
       "1 file, 1 entry, 5 variants: 1 error, 0 warnings, 0 notes\n", ""},
      {"StrayTextAfterNoCharacter",  // EF BF C0 takes a column, unlike U+FFFF
       {{"F/a.xml", "\xef\xbb\xbf" + Entry("A", kHere) + "<!--\xef\xbf\xc0-->  x\n"}}, {"F"}, 1,
       "F/a.xml:4:11: error: text outside an element: the program stops reading the file here "
       "and reads no entry after it\n1 file, 1 entry, 5 variants: 1 error, 0 warnings, 0 notes\n", ""},
      // What the parser drops without an error.
      {"UnclosedComment", {{"F/a.xml", Entry("A", kHere) + "  <!-- B is off\n" + Entry("B", kHere)}},
       {"F"}, 1, "F/a.xml:4:3: error: a comment that is never closed (no -->): the program stops "
       "reading the file here and reads no entry after it\n" + std::string(kOneEntry), ""},
      {"UnclosedCdata", {{"F/a.xml", Entry("A", kHere) + "<![CDATA[\n" + Entry("B", kHere)}},
       {"F"}, 1, "F/a.xml:4:1: error: a CDATA section that is never closed (no ]]>): the program "
       "stops reading the file here and reads no entry after it\n" + std::string(kOneEntry), ""},
      {"UnreadableDeclaration", {{"F/a.xml", "<?xml version=\"1.0\" encoding='ISO-8859-1\"?>\n" +
                                             Entry("A", kHere)}},
       {"F"}, 1, "F/a.xml:1:1: error: an XML declaration that cannot be read (check its quotes and "
       "its ?>): the program stops reading the file here and reads no entry after it\n"
       "1 file, 0 entries, 0 variants: 1 error, 0 warnings, 0 notes\n", ""},
      {"RunawayDeclaration", {{"F/a.xml", "<?xml version='1.0\"?>\n<SimObjectEntry><O Dir='X'/>"
                                          "<PlacementData/></SimObjectEntry>\n" + Entry("A", kHere)}},
       {"F"}, 1, "F/a.xml:1:1: error: a value of this XML declaration runs over a '<' or a line "
       "break (its quotes do not match) and runs on to line 2: the program does not read the entries in "
       "it\n" +
       std::string(kOneEntry), ""},
      {"UnclosedDoctype", {{"F/a.xml", "\n  <!DOCTYPE placement\n" + Entry("A", kHere) + Entry("B", kHere)}},
       {"F"}, 1, "F/a.xml:2:3: error: this <!...> or <?...?> is not closed before a '<' and runs on "
       "to a later '>' on line 3: the program does not read the entries in it\n" +
       std::string(kOneEntry), ""},
      // What TinyXML reads otherwise than an author means, said where it stands.
      {"ReferenceWithoutSemicolon", {{"F/a.xml", "<SimObjectEntry><O Dir=\"Caf&#233\"/>\n</SimObjectEntry>\n" +
         Entry("B", kHere) + "<SimObjectEntry><O Dir=\"C&#233;\"/>\n<PlacementData Lat=\"5\" Lon=\"5\" "
         "Alt=\"5\"/></SimObjectEntry>\n"}}, {"F"}, 1,
       "F/a.xml:1:1: note: \"Caf\xE9\" has no Season: nothing stands here in any season\n"
       "F/a.xml:1:28: error: this character reference lacks its ';': the parser runs on to line 6, to the next ';', and takes the digits before it; the program does not read the entries in it (add the ';')\n"
       "1 file, 1 entry, 0 variants: 1 error, 0 warnings, 1 note\n", ""},
      {"NestedEntry", {{"F/a.xml", "<SimObjectEntry><O Dir=\"A\"/>\n" + Entry("B", kHere) +
         "<PlacementData " + kHere + "/></SimObjectEntry>\n<SimObjectEntry><O Dir=\"C\"/><PlacementData/>"
         "<!x\n</SimObjectEntry>\n" + Entry("D", kHere) + "</SimObjectEntry>\n"}}, {"F"}, 1,
       "F/a.xml:2:1: error: this entry stands inside entry 1, line 1, and is not read: close that entry before it (its end tag comes later or is swallowed)\n"
       "F/a.xml:8:1: error: this entry stands inside entry 2, line 6, and is not read: close that entry before it (its end tag comes later or is swallowed)\n"
       "F/a.xml:1:1: note: \"A\" has no Season: nothing stands here in any season\n"
       "F/a.xml:6:29: warning: PlacementData has no Lat: this entry takes the previous entry's value, 1\n"
       "F/a.xml:6:29: warning: PlacementData has no Lon: this entry takes the previous entry's value, 2\n"
       "F/a.xml:6:29: warning: PlacementData has no Alt: this entry takes the previous entry's value, 3\n"
       "F/a.xml:6:1: note: \"C\" has no Season: nothing stands here in any season\n"
       "F/a.xml:6:1: note: \"C\" stands at the same position as \"A\" (F/a.xml:1)\n"
       "F/a.xml:6:45: error: this <!...> or <?...?> is not closed before a '<' and runs on to a later '>' on line 7: the program does not read the entries in it\n"
       "1 file, 2 entries, 0 variants: 3 errors, 3 warnings, 3 notes\n", ""},
      {"WrapperAfterFirstEntry", {{"F/a.xml", Entry("A", kHere) + "<Scenery>" + Entry("B", kHere) +
         "</Scenery>\n"}}, {"F"}, 1,
       "F/a.xml:4:10: error: this entry stands inside <Scenery> (entry 2, line 4) and is not read: entries must stand at the top level\n"
       "F/a.xml:4:1: warning: <Scenery> is read as entry 2 although it is not named SimObjectEntry\n"
       "F/a.xml:4:1: error: entry 2 is skipped by the program: it holds entries (<SimObjectEntry> inside it); entries must stand at the top level\n"
       "1 file, 1 entry, 5 variants: 2 errors, 1 warning, 0 notes\n", ""},
      {"UnknownNodesInEntry", {{"F/a.xml", std::string("<SimObjectEntry><O Dir=\"A\"/>< Season Type=\"SU\" "
         "SimTitle=\"s\"/>\n<!DOCTYPE x <Season Type=\"FA\" SimTitle=\"f\"/>\n<Q Dir=<Season/>\n"
         "<PlacementData ") + kHere + "/></SimObjectEntry>\n"}}, {"F"}, 1,
       "F/a.xml:1:29: warning: \"< Season Type=\"SU\" SimTitle=\"s\"...>\" inside entry 1 is no element: what it holds up to its '>' is not read\n"
       "F/a.xml:1:1: note: \"A\" has no Season: nothing stands here in any season\n"
       "F/a.xml:2:1: error: this <!...> or <?...?> is not closed before a '<' and runs on to a later '>' on line 2: the program does not read the entries in it\n"
       "F/a.xml:3:8: warning: this attribute value holds a '<' (write &lt;): if a quote is missing, the value runs on over markup, which is not read\n"
       "1 file, 1 entry, 0 variants: 1 error, 2 warnings, 1 note\n", ""},
      {"CommentEndedWrongly", {{"F/a.xml", Entry("A", kHere) + "<!-- B is off ->\n" + Entry("B", kHere) +
         "<!-- end -->\n<!-- a -- b -->"}}, {"F"}, 0,
       "F/a.xml:8:1: warning: \"<!--\" inside a comment: comments do not nest, the first \"-->\" ends both\n"
       "F/a.xml:9:8: warning: \"--\" inside a comment (XML allows none): a comment meant to end at \"->\" runs on to the next \"-->\" and hides what stands between\n"
       "1 file, 1 entry, 5 variants: 0 errors, 2 warnings, 0 notes\n", ""},
      {"AmpersandAndReferences", {{"F/a.xml", kLatin1 + Entry("A", kHere, "Fish & Chips") +
         Entry("B", "Lat=\"5\" Lon=\"5\" Alt=\"5\"", "&#8364;uro &nbsp;")}}, {"F"}, 0,
       "F/a.xml:3:34: warning: a bare '&' is dropped: the program reads the text without it; write &amp;\n"
       "F/a.xml:6:29: warning: the character reference \"&#8364;\" is read as another text than XML reads: write its ';' right after the digits, for a character the file's encoding holds\n"
       "F/a.xml:6:40: warning: \"&nbsp;\" is no entity the program knows: it drops the '&' and keeps the rest; write &amp; for a '&'\n"
       "1 file, 2 entries, 10 variants: 0 errors, 3 warnings, 0 notes\n", ""},
      {"LinesAfterNoCharacter", {{"F/a.xml", "<?xml version=\"1.0\"?>\n<!-- \xe9\n-->\n" +
         Entry("A", "Lat=\"x\" Lon=\"1\" Alt=\"1\"")}}, {"F"}, 0,
       "F/a.xml:6:16: warning: Lat \"x\" is not a number: this entry takes 0, as the first entry of the file\n"
       "1 file, 1 entry, 5 variants: 0 errors, 1 warning, 0 notes\n", ""},
      {"NulInEntry", {{"F/a.xml", "<SimObjectEntry><O Dir=\"A\"/><!-- x\n" + std::string(1, '\0') +
         " --><PlacementData/></SimObjectEntry>\n"}}, {"F"}, 1,
       "F/a.xml: error: the file does not load: Error reading Element value. (a NUL byte, a "
       "character 0, at line 2 ends the text the program reads)\n"
       "1 file (1 not loaded), 0 entries, 0 variants: 1 error, 0 warnings, 0 notes\n", ""},
      {"NulInClosedComment", {{"F/a.xml", Entry("A", kHere) + "<!-- x\n" + std::string(1, '\0') +
         " -->\n" + Entry("B", kHere)}}, {"F"}, 1,
       "F/a.xml:5:1: error: a NUL byte (a character 0) cuts short the comment that starts at line 4: the program stops reading the file here and reads no entry after it\n"
       "1 file, 1 entry, 5 variants: 1 error, 0 warnings, 0 notes\n", ""},
      {"MisspelledFirstEntry", {{"F/a.xml", "<Debug/><SimObjectEntyr/>\n <simobjectentry/>< SimObjectEntry><O Dir='x'/>"
                                           "</SimObjectEntry>" + Entry("A", kHere)}},
       {"F"}, 0, "F/a.xml:1:9: warning: <SimObjectEntyr> before the first SimObjectEntry is not read "
       "(entries start at the first <SimObjectEntry>)\nF/a.xml:2:2: warning: <simobjectentry> before "
       "the first SimObjectEntry is not read (entries start at the first <SimObjectEntry>)\n"
       "F/a.xml:2:19: warning: a '<' followed by a space before the first SimObjectEntry is not read "
       "(entries start at the first <SimObjectEntry>)\n"
       "1 file, 1 entry, 5 variants: 0 errors, 3 warnings, 0 notes\n", ""},
      {"LineBreakBeforeDeclarationValue", {{"F/a.xml", "<?xml version=\n\"1.0\"?>\n" + Entry("A", kHere)}},
       {"F"}, 0, kClean, ""},
      {"Latin1EndsInLeadByte", {{"F/a.xml", kLatin1 + Entry("A", kHere) + "<!-- caf\xe9\n"}},
       {"F"}, 1, "F/a.xml:5:1: error: a comment that is never closed (no -->): the program stops "
       "reading the file here and reads no entry after it\n" + std::string(kOneEntry), ""},
      {"NulByte", {{"F/a.xml", Entry("A", kHere) + "  " + std::string(1, '\0') + "\n" + Entry("B", kHere)}},
       {"F"}, 1, "F/a.xml:4:3: error: a NUL byte (a character 0): the program stops reading the "
       "file here and reads no entry after it\n" + std::string(kOneEntry), ""},
      {"Utf16", {{"F/a.xml", std::string("\xff\xfe<\0S\0/\0>\0", 10)},
                 {"F/b.xml", std::string("\xfe\xff\0<\0S\0/\0>", 10)}},
       {"F"}, 1, "F/a.xml: error: the file does not load: it is UTF-16 text; save it as UTF-8 or "
       "Windows-1252/ISO-8859-1\nF/b.xml: error: the file does not load: it is UTF-16 text; save it "
       "as UTF-8 or Windows-1252/ISO-8859-1\n2 files (2 not loaded), 0 entries, 0 variants: "
       "2 errors, 0 warnings, 0 notes\n", ""},
      {"TooManyAttributes", {{"F/a.xml", "<SimObjectEntry" +
                                        [] { std::string s; for (int i = 0; i <= 1000; ++i) s += " a" + std::to_string(i) + "=''"; return s; }() +
                                        "/>" + Entry("A", kHere)}},
       {"F"}, 1, "F/a.xml: error: the file does not load: an element has more than 1000 "
       "attributes\n1 file (1 not loaded), 0 entries, 0 variants: 1 error, 0 warnings, 0 notes\n", ""},
      {"EmptyFolder", {{"F/.keep", ""}}, {"F"}, 0,
       "F: warning: no placement files (*.xml) here: the program would place nothing\n"
       "0 files, 0 entries, 0 variants: 0 errors, 1 warning, 0 notes\n", ""},
      {"DefaultFolderMissing", {}, {}, 2,
       "Quillmar/BrindlewickV2: error: cannot read the folder: no such folder\n", ""},
      {"FolderAfterDashes", {}, {"--", "--odd"}, 2,
       "--odd: error: cannot read the folder: no such folder\n", ""},
      {"Help", {}, {"--preview", "--help", "Elsewhere"}, 0, kCheckHelp, ""},
      {"ShortHelp", {}, {"-h"}, 0, kCheckHelp, ""},
      {"UnknownOption", {}, {"--previews"}, 2, "", "unknown option --previews"},
      {"TwoFolders", {}, {"A", "B"}, 2, "", "only one FOLDER, please (got A and B)"},
      {"GeoJsonWithoutFile", {}, {"A", "--geojson"}, 2, "", "--geojson needs a FILE"},
      {"GeoJsonEmptyFile", {}, {"--geojson="}, 2, "", "--geojson needs a FILE"},
      {"KmlWithoutFile", {}, {"--kml"}, 2, "", "--kml needs a value"},
      {"WatchFolderAndFile", {{"F/a.xml", Entry("A", kHere)}}, {"--watch", "F/a.xml", "F"}, 2, "",
       "--watch takes one FOLDER or placement FILEs, not both (F is a folder)"},
#if !defined(_WIN32)
      // Names as the system gives them: not UTF-8, or with a backslash in them.
      {"NarrowFolderName", {{"F\xe9/a.xml", Entry("A", kHere)}}, {"F\xe9"}, 0, kClean, ""},
      {"BackslashInName", {{"F/b\\s.xml", Entry("A", kHere)}}, {"F"}, 0, kClean, ""},
#endif
  };
}
// clang-format on

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class Checker : public testing::TestWithParam<Case> {};

TEST_P(Checker, AnswersExactlyAndAgreesWithTheProgram) {
  const Case& c = GetParam();
  testing_support::ResetProgram();
  testing_support::TempFolder folder;
  for (const auto& file : c.files) {
    folder.Write(file.first, file.second);
    // The program reads only its own folder: it gets a copy of F.
    if (file.first.compare(0, 2, "F/") == 0)
      folder.Write("Quillmar/BrindlewickV2/" + file.first.substr(2), file.second);
  }
  std::ostringstream out, err;
  EXPECT_EQ(c.exitCode, RunChecker(c.args, out, err));
  EXPECT_EQ(c.out, out.str());
  EXPECT_EQ(c.mistake.empty() ? "" : "brindlewick-check: " + c.mistake + "\n" + kCheckUsage,
            err.str());

  // The checker must hold exactly what the program loads.
  testing_support::Capture([] { ScanPlacementFiles(), LoadFoundPlacementFiles(); });
  CheckRun run;
  run.out = &out;
  CheckFolder("Quillmar/BrindlewickV2", &run);
  PlacementStore checked;
  for (const CheckedEntry& e : run.entries) {
    checked.entryDirs.push_back(e.dir);
    checked.entryLatitudes.push_back(e.latitude);
    checked.entryLongitudes.push_back(e.longitude);
    checked.entryAltitudes.push_back(e.altitude);
    checked.variantCounts.push_back(static_cast<int32_t>(e.types.size()));
    checked.variantTypes.insert(checked.variantTypes.end(), e.types.begin(), e.types.end());
    checked.variantTitles.insert(checked.variantTitles.end(), e.titles.begin(), e.titles.end());
  }
  EXPECT_EQ(testing_support::DescribeStore(*placementStore),
            testing_support::DescribeStore(checked));
}

INSTANTIATE_TEST_SUITE_P(Runs, Checker, testing::ValuesIn(Cases()));

}  // namespace
