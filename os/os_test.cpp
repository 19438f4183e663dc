// The directory search contract, checked against the real platform calls: the
// POSIX emulation natively, FindFirstFileW and friends under Wine.
#include "os/os.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/test_support.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

using testing_support::TempFolder;

// Every name a search yields, in order; the error code when it cannot start.
struct Listing {
  std::vector<std::string> names;
  int error = 0;
};

Listing Search(const wchar_t* pattern) {
  Listing listing;
  std::string name;
  os::FindState* search = os::FindFirst(pattern, &name, &listing.error);
  if (!search) return listing;
  do {
    listing.names.push_back(name);
  } while (os::FindNext(search, &name));
  os::FindEnd(search);
  return listing;
}

struct FailureCase {
  const char* what;
  std::vector<std::string> files;  // created in the placement folder
  bool makeFolder;
  int error;
};

TEST(DirectorySearch, ReportsWhyItCannotStart) {
  const FailureCase cases[] = {
      {"missing folder", {}, false, 3},
      {"empty folder", {}, true, 2},
      {"no matching name", {"notes.txt", "a.xml.bak", "xml"}, true, 2},
  };
  for (const FailureCase& c : cases) {
    TempFolder folder;
    if (c.makeFolder) std::filesystem::create_directories("Quillmar/BrindlewickV2");
    for (const std::string& file : c.files) folder.Write("Quillmar/BrindlewickV2/" + file, "x");
    Listing listing = Search(L".\\Quillmar\\BrindlewickV2\\*.xml");
    EXPECT_TRUE(listing.names.empty()) << c.what;
    EXPECT_EQ(c.error, listing.error) << c.what;
  }
}

// Windows (and Wine, which sorts a folder's names before handing them out)
// lists names ordered by their upper-case form; the POSIX side does the same
// so the console log matches. A matching folder is listed like a file.
TEST(DirectorySearch, ListsMatchesInUpperCaseNameOrder) {
  TempFolder folder;
  const char* created[] = {"zeta.xml",  "b.xml",  "B2.xml",    "a.xml",   "_x.xml",
                           "Z.xml",     "10.xml", "9.xml",     "a b.xml", "mid.XML",
                           "c.xml.txt", "y.xml",  "readme.txt"};
  for (const char* name : created) folder.Write(std::string("Quillmar/BrindlewickV2/") + name, "");
  std::filesystem::create_directories("Quillmar/BrindlewickV2/sub.xml");

  Listing listing = Search(L".\\Quillmar\\BrindlewickV2\\*.xml");
  const std::vector<std::string> expected = {"10.xml", "9.xml",  "a b.xml",  "a.xml",
                                             "b.xml",  "B2.xml", "mid.XML",  "sub.xml",
                                             "y.xml",  "Z.xml",  "zeta.xml", "_x.xml"};
  EXPECT_EQ(expected, listing.names);
  EXPECT_EQ(0, listing.error);
}

TEST(DirectorySearch, SingleMatch) {
  TempFolder folder;
  folder.Write("Quillmar/BrindlewickV2/only.xml", "");
  EXPECT_EQ(std::vector<std::string>{"only.xml"},
            Search(L".\\Quillmar\\BrindlewickV2\\*.xml").names);
}

TEST(Paths, IsDirectoryTellsFoldersFromFiles) {
  TempFolder folder;
  folder.Write("Quillmar/BrindlewickV2/a.xml", "");
  std::filesystem::create_directories("Quillmar/BrindlewickV2/sub.xml");
  EXPECT_TRUE(os::IsDirectory(os::NativePath(".\\Quillmar\\BrindlewickV2\\sub.xml")));
  EXPECT_FALSE(os::IsDirectory(os::NativePath(".\\Quillmar\\BrindlewickV2\\a.xml")));
  EXPECT_FALSE(os::IsDirectory(os::NativePath(".\\Quillmar\\BrindlewickV2\\none.xml")));
}

#if defined(_WIN32)
// Names come back in the ANSI code page: best-fit letters where the code page
// has them, its default character otherwise.
TEST(DirectorySearch, NamesArriveInTheAnsiCodePage) {
  if (GetACP() != 1252) GTEST_SKIP() << "expects code page 1252; run Wine with LC_ALL=C.UTF-8";
  struct Case {
    const wchar_t* wide;
    const char* narrow;
  };
  const Case cases[] = {
      {L"\u00e4pfel.xml", "\xe4pfel.xml"},          // in the code page
      {L"\u0142\u00f3d\u017a.xml", "l\363dz.xml"},  // best fit for the l and z
      {L"\u8a9e.xml", "?.xml"},                     // no form at all
  };
  for (const Case& c : cases) {
    TempFolder folder;
    std::filesystem::path dir = std::filesystem::path("Quillmar") / "BrindlewickV2";
    std::filesystem::create_directories(dir);
    std::filesystem::create_directories(dir / c.wide);
    Listing listing = Search(L".\\Quillmar\\BrindlewickV2\\*.xml");
    EXPECT_EQ(std::vector<std::string>{c.narrow}, listing.names) << c.narrow;
  }
}
#endif

}  // namespace
