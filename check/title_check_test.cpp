#include "check/title_check.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <codecvt>
#include <fstream>
#include <locale>
#include <sstream>

#include "check/checker.h"

namespace {

// Every "$" of `text` as the test's own folder.
std::string In(const std::string& root, std::string text) {
  for (size_t at; (at = text.find('$')) != std::string::npos;) text.replace(at, 1, root);
  return text;
}

void Write(const std::string& path, const std::string& text) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    mkdir(path.substr(0, slash).c_str(), 0755);
  }
  std::ofstream(path, std::ios::binary) << text;
}

// `text` (UTF-8) as UTF-16, with or without its byte-order mark.
std::string Utf16(const std::string& text, bool bigEndian, bool mark) {
  std::u16string units =
      std::wstring_convert<std::codecvt_utf8_utf16<char16_t>, char16_t>().from_bytes(text);
  if (mark) units.insert(units.begin(), u'\xFEFF');
  std::string bytes;
  for (char16_t unit : units) {
    char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

TEST(TitleCheckTest, TitlesAreCheckedAgainstTheInstalledObjects) {
  char pattern[] = "/tmp/titles_XXXXXX";
  const std::string root = mkdtemp(pattern);
  Write(root + "/sim/SimObjects/Misc/Buoy/sim.cfg",
        "[General]\ntitle=Stray Title\n[fltsim.0]\ntitle = \"Harbour Buoy\"  ; the buoy\r\n"
        "[FLTSIM.1]\nTitle=Red Buoy\n");
  Write(root + "/sim/SimObjects/Airplanes/Cub/Aircraft.cfg",
        "[fltsim.0]\ntitle=Piper Cub\n[fltsim.1]\ntitle=Harbour Buoy\n");
  Write(root + "/sim/SimObjects/Boats/Broken/sim.cfg/x", "");
  // A pipe would wait for a writer, /dev/zero never end.
  Write(root + "/sim/SimObjects/Boats/Pipe/x", "");
  mkfifo((root + "/sim/SimObjects/Boats/Pipe/sim.cfg").c_str(), 0600);
  Write(root + "/sim/SimObjects/Boats/Zero/x", "");
  symlink("/dev/zero", (root + "/sim/SimObjects/Boats/Zero/sim.cfg").c_str());
  // UTF-16 is read as the simulator reads it, UTF-16 without its mark is not.
  Write(root + "/sim/SimObjects/Animals/Gull/sim.cfg",
        Utf16("[fltsim.0]\r\ntitle=Gull \u20ac\U0001F426\r\n", false, true));
  Write(root + "/sim/SimObjects/Animals/Owl/sim.cfg",
        Utf16("[fltsim.0]\ntitle=Owl\n", false, false));
  Write(root + "/sim/SimObjects/Animals/None/sim.cfg", "[General]\ntitle=Stray\n");
  Write(root + "/sim/Extra/Tower/sim.cfg", "[fltsim.0]\ntitle=Control Tower\n");
  Write(root + "/abs/Crane/sim.cfg", "[fltsim.0]\ntitle=Dock Crane\n");
  Write(root + "/fsx.cfg", In(root, "[Main]\nSimObjectPaths.0=Extra\nSimObjectPaths.1=$/abs\n"));
  Write(root + "/list.txt", "  Piper Cub  \n\n\"Quoted Title\"\n");
  Write(root + "/bom.txt", "\xEF\xBB\xBFPiper Cub\n");
  Write(root + "/wide.txt", Utf16("Piper Cub\n", true, true));
  Write(root + "/bare.txt", Utf16("Piper Cub\n", true, false));

  const char* sim = "--sim $/sim";
  const char* fsx = "--sim $/sim --fsx-cfg $/fsx.cfg";
  const char* list = "--titles $/list.txt";
  const char* clean =
      "1 variant: 0 errors, 0 warnings, 9 notes; 1 title checked against 5 "
      "installed objects\n";
  const char* one = "0 errors, 0 warnings, 1 note; 1 title checked against 1 installed object\n";
  const struct {
    const char* options;
    const char* title;
    const char* expected;  // a part of the output
  } cases[] = {
      {sim, "Harbour Buoy", clean},
      {sim, "Red Buoy", clean},
      {sim, "x",
       "$/sim/SimObjects/Misc/Buoy/sim.cfg:2:1: note: title= outside a [fltsim.N] "
       "section: the simulator ignores it\n"},
      {sim, "x",
       "$/sim/SimObjects/Misc/Buoy/sim.cfg:4:1: note: the title \"Harbour Buoy\" is "
       "also defined at $/sim/SimObjects/Airplanes/Cub/Aircraft.cfg:4: which of the two "
       "the simulator creates is not known\n"},
      {sim, "x", "$/sim/SimObjects/Boats/Broken/sim.cfg: note: cannot be read: Is a directory\n"},
      {sim, "x",
       "$/sim/SimObjects/Boats/Pipe/sim.cfg: note: cannot be read: not a regular file "
       "(a pipe or a device)\n"},
      {sim, "x", "$/sim/SimObjects/Boats/Zero/sim.cfg: note: cannot be read: not a regular file"},
      {sim, "Gull \x80?", clean},
      {sim, "x",
       "Animals/Owl/sim.cfg: note: it holds zero bytes, as UTF-16 text without a "
       "byte-order mark does: its titles are not read"},
      {sim, "x",
       "Animals/None/sim.cfg: note: no title read from it: no [fltsim.N] section has "
       "a title= line\n"},
      {"--titles $/bom.txt", "Piper Cub", one},
      {"--titles $/wide.txt", "Piper Cub", one},
      {"--titles $/bare.txt", "x", "$/bare.txt: error: --titles $/bare.txt: it holds zero bytes"},
      {sim, "piper cub",
       "$/p/a.xml:1:52: warning: the title \"piper cub\" is installed as \"Piper "
       "Cub\" ($/sim/SimObjects/Airplanes/Cub/Aircraft.cfg:2): write it with the "
       "same capital letters\n"},
      {sim, "Harbor Buoy",
       "$/p/a.xml:1:52: error: no installed simulator object has the title "
       "\"Harbor Buoy\"; did you mean \"Harbour Buoy\" "
       "($/sim/SimObjects/Airplanes/Cub/Aircraft.cfg:4)?\n"},
      // 3 edits are near for 14 characters, 4 are not.
      {sim, "Hxrbour BuoyXY", "the title \"Hxrbour BuoyXY\"; did you mean \"Harbour Buoy\""},
      {sim, "Hxrbxur BuoyXY", "the title \"Hxrbxur BuoyXY\"\n"},
      {sim, "Stray Title", "the title \"Stray Title\"\n"},
      {sim, "Dock Crane", "the title \"Dock Crane\"\n"},
      {fsx, "Dock Crane", "0 errors, 0 warnings, 1 note; 1 title checked against 2 installed"},
      {fsx, "Control Tower", "0 errors, 0 warnings, 1 note; 1 title checked against 2 installed"},
      {fsx, "Harbour Buoy", "the title \"Harbour Buoy\"\n"},
      {list, "Piper Cub", "0 errors, 0 warnings, 1 note; 1 title checked against 2 installed"},
      {list, "Quoted Titel", "did you mean \"Quoted Title\" ($/list.txt:3)?\n"},
      {"--titles $/list.txt --preview", "Windmill", "  Windmill at 1, 2, alt 3 (not installed)\n"},
      {"--titles $/list.txt --geojson $/out.json", "Windmill", "\"notInstalled\": [\"Windmill\"]"},
      {"--sim $/none", "x", "$/none: error: --sim $/none: no such folder"},
      {"--titles $/none", "x", "$/none: error: --titles $/none: cannot be read (No such file"},
      {"--sim $/p", "x", "none of the simulator's object folders is there"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.options) + " / " + c.title);
    Write(root + "/p/a.xml",
          std::string("<SimObjectEntry><Object Dir=\"d\"/><Season Type=\"SU\" ") + "SimTitle=\"" +
              c.title +
              "\"/><PlacementData Lat=\"1\" Lon=\"2\" "
              "Alt=\"3\"/></SimObjectEntry>");
    std::vector<std::string> args;
    std::istringstream words(In(root, c.options) + " " + root + "/p");
    for (std::string word; words >> word;) args.push_back(word);
    std::ostringstream out;
    RunChecker(args, out, out);
    std::ifstream geojson(root + "/out.json");
    out << geojson.rdbuf();
    EXPECT_NE(out.str().find(In(root, c.expected)), std::string::npos) << out.str();
  }
  system(("rm -rf " + root).c_str());
}

}  // namespace

// The filters that spare most comparisons must never change the answer: the
// nearest title, ties to the one read first, as comparing with every title
// by the plain table finds it.
TEST(TitleCheckTest, NearestIsTheNearestOfAll) {
  auto plain = [](const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
      size_t diagonal = row[0];
      row[0] = i;
      for (size_t j = 1; j <= b.size(); ++j) {
        size_t above = row[j];
        row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
        diagonal = above;
      }
    }
    return row[b.size()];
  };
  srand(21);
  auto word = [](size_t length) {
    std::string text;
    while (text.size() < length) text += "ab1 Z\xc9"[rand() % 6];
    return text;
  };
  for (int round = 0; round < 20; ++round) {
    TitleIndex index;
    for (int i = 0; i < 200; ++i) AddTitle(word(4 + rand() % 12), "t", i + 1, &index);
    PrepareSuggestions(&index);
    for (int q = 0; q < 50; ++q) {
      std::string title = word(4 + rand() % 12);
      if (index.folded.count(FoldCase(title))) continue;
      const InstalledTitle* expected = nullptr;
      size_t best = NearDistance(title.size());
      for (const InstalledTitle& t : index.titles) {
        size_t distance = plain(FoldCase(title), FoldCase(t.title));
        if (distance < best || (distance == best && !expected)) best = distance, expected = &t;
      }
      EXPECT_EQ(Nearest(title, index), expected) << title;
    }
  }
}
