// The OS seam: the console decisions with doubles in place of the console
// calls, and under Wine what only Windows' own calls can show.
#include "os/os.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <wctype.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "app/startup.h"
#include "fsx/fsx_system.h"
#include "placement/store.h"
#include "sim/connection.h"
#include "tests/recording_simconnect.h"
#include "tests/test_support.h"

namespace {

using testing_support::TempFolder;

// Only a console of the program's own is set up and hidden: a shared one is
// a command prompt's, and hiding it would hide the prompt. An own console
// stays up after a run that never connected (a second copy's included),
// while a key can close it and a window shows it.
TEST(ConsoleSeam, OnlyAnOwnConsoleIsPreparedHiddenAndKeptOpen) {
  enum End { kMissing, kUnreachable, kLost, kQuit, kSecondCopy };
  struct Case {
    unsigned processes;
    bool input;   // standard input is a console
    bool window;  // the console has a window
    const char* debug;
    End end;
    const char* calls;
  };
  const Case cases[] = {{1, true, true, "", kUnreachable, "prepare hide keep60000 "},
                        {1, true, true, "<Debug/>", kMissing, "prepare keep60000 "},
                        {1, false, true, "", kMissing, "prepare hide "},
                        {1, true, false, "", kUnreachable, "prepare hide "},  // CREATE_NO_WINDOW
                        {1, true, true, "", kLost, "prepare hide "},
                        {1, true, true, "", kQuit, "prepare hide "},
                        {1, true, true, "", kSecondCopy, "keep60000 "},
                        {1, true, false, "", kSecondCopy, ""},
                        {2, true, true, "", kSecondCopy, ""},
                        {2, true, true, "", kUnreachable, ""},
                        {0, true, true, "", kMissing, ""}};
  static unsigned processes;
  static bool input, window;
  static std::string calls;
  const ConsoleCalls saved = consoleCalls;
  consoleCalls = {[] { return processes; },
                  [] { calls += "prepare "; },
                  [] { calls += "hide "; },
                  [] { return input; },
                  [](unsigned ms) { calls += "keep" + std::to_string(ms) + " "; },
                  [] { return window; }};
  for (const Case& c : cases) {
    testing_support::ResetProgram();
    TempFolder folder;
    folder.Write(
        "Quillmar/BrindlewickV2/a.xml",
        std::string(c.debug) + "<SimObjectEntry><H Dir='d'/><PlacementData/></SimObjectEntry>");
    recording::script.installed = c.end != kMissing;
    recording::script.openResult = c.end == kUnreachable ? E_FAIL : S_OK;
    if (c.end == kLost) {
      connectionClock = recording::Now;
      recording::Fail(0);
      recording::Fail(kLostConnectionMs);
    }
    if (c.end == kQuit) recording::Deliver({recording::Quit()});
    if (c.end == kSecondCopy) claimFolder = [] { return false; };
    delete placementStore;
    placementStore = nullptr;
    processes = c.processes;
    input = c.input;
    window = c.window;
    calls.clear();
    int code = 0;
    testing::internal::CaptureStderr();
    std::string shown = testing_support::Capture([&] { code = RunBrindlewick(); });
    std::string errors = testing::internal::GetCapturedStderr();
    if (c.end == kSecondCopy) {  // it ends before its banner, calling nothing
      EXPECT_EQ(shown + std::to_string(code), "1");
      EXPECT_EQ(errors.rfind("Brindlewick is already running in this folder; this copy ends.\n", 0), 0u);
      EXPECT_TRUE(recording::script.calls.empty());
    }
    EXPECT_EQ(c.calls, calls) << c.processes << " processes " << c.debug << " end " << c.end
                              << " window " << c.window;
    // The way out is said only where the window waits for it.
    EXPECT_EQ(errors.find("Press a key") != std::string::npos,
              calls.find("keep") != std::string::npos);
  }
  consoleCalls = saved;
}

#if defined(_WIN32)
// Names in the code page Windows uses as ANSI: with "Use Unicode UTF-8 for
// worldwide language support" that is UTF-8, where no name may come back
// empty; elsewhere no look-alike stands in for a character it lacks.
TEST(DirectorySearch, NamesConvertInEveryAnsiCodePage) {
  const struct {
    unsigned codePage;
    const wchar_t* name;
    const char* narrow;
    bool lossy;
  } cases[] = {
      {1252, L"Caf\u00e9.xml", "Caf\xe9.xml", false},
      {1252, L"\u0141odz.xml", "?odz.xml", true},
      {65001, L"Caf\u00e9.xml", "Caf\xc3\xa9.xml", false},
      {65001, L"\u0141odz \U0001F332.xml", "\xc5\x81odz \xf0\x9f\x8c\xb2.xml", false},
      {65001, L"a\xd800.xml", "", true},  // a lone surrogate is no character
  };
  for (const auto& c : cases) {
    bool lossy = !c.lossy;
    EXPECT_EQ(os::WideToNarrow(c.name, c.codePage, &lossy), c.narrow) << c.codePage;
    EXPECT_EQ(lossy, c.lossy) << c.codePage << " " << c.narrow;
  }
}

// Every name listed opens its own file, once: no best-fit look-alike
// ("\u0141odz" is not "Lodz"); a name the code page cannot hold comes as
// its short name. Names it can hold stay as they are.
TEST(DirectorySearch, EveryNameOpensItsOwnFile) {
  if (GetACP() != 1252) GTEST_SKIP() << "expects code page 1252; run Wine with LC_ALL=C.UTF-8";
  TempFolder folder;
  std::filesystem::create_directories("Quillmar/BrindlewickV2");
  const wchar_t* names[] = {L"Lodz.xml", L"\u0141odz.xml", L"\u03a9mega.xml", L"Caf\u00e9.xml"};
  for (int i = 0; i < 4; ++i) {
    FILE* file = _wfopen((std::wstring(L"Quillmar\\BrindlewickV2\\") + names[i]).c_str(), L"w");
    ASSERT_NE(file, nullptr);
    fputc('0' + i, file);
    fclose(file);
  }
  std::string name, opened, listed;
  int error = 0;
  os::FindState* search = os::FindFirst(L".\\Quillmar\\BrindlewickV2\\*.xml", &name, &error);
  ASSERT_NE(search, nullptr);
  do {
    listed += name + " ";
    FILE* file = fopen((".\\Quillmar\\BrindlewickV2\\" + name).c_str(), "r");
    opened += file ? static_cast<char>(fgetc(file)) : '-';
    if (file) fclose(file);
  } while (os::FindNext(search, &name));
  os::FindEnd(search);
  std::sort(opened.begin(), opened.end());
  EXPECT_EQ("0123", opened) << listed;
  EXPECT_NE(std::string::npos, listed.find("Caf\xe9.xml ")) << listed;
  EXPECT_NE(std::string::npos, listed.find("Lodz.xml ")) << listed;
}

// A simulator folder from the registry that the code page cannot hold is
// read by its short name, never by a best-fit look-alike: "\u0141\u00f3d\u017a"
// is not "L\u00f3dz", which may be another folder. A file not there yet
// (exe.xml) keeps its name after the short folder.
TEST(DirectorySearch, SimulatorFolderSpeltWithoutLookAlikes) {
  if (GetACP() != 1252) GTEST_SKIP() << "expects code page 1252; run Wine with LC_ALL=C.UTF-8";
  TempFolder folder;
  std::filesystem::create_directories(folder.path() / L"\u0141\u00f3d\u017a");
  std::filesystem::create_directories(folder.path() / L"L\u00f3dz");
  FILE* file = _wfopen((folder.path() / L"\u0141\u00f3d\u017a" / L"fsx.cfg").c_str(), L"w");
  ASSERT_NE(file, nullptr);
  fputs("real", file);
  fclose(file);
  const std::string real = (folder.path() / L"\u0141\u00f3d\u017a").u8string();
  for (const char* tail : {"\\fsx.cfg", "\\exe.xml"}) {
    std::string spelt = fsx::ThisSystem().spell(real + tail, fsx::Spelling::kAnsi);
    EXPECT_EQ(spelt.find("L\xf3"
                         "dz"),
              std::string::npos)
        << spelt;
    EXPECT_EQ(spelt.substr(spelt.size() - 8), tail) << spelt;
    if (std::string(tail) != "\\fsx.cfg") continue;
    file = fopen(spelt.c_str(), "r");
    ASSERT_NE(file, nullptr) << spelt;
    char text[8] = {};
    EXPECT_NE(fgets(text, sizeof text, file), nullptr);
    fclose(file);
    EXPECT_STREQ(text, "real") << spelt;
  }
}

// One copy per folder: the folder counts however its name is written (letter
// case, a trailing separator); another folder is free.
TEST(SingleInstance, OneClaimPerFolder) {
  TempFolder first;
  ASSERT_TRUE(os::ClaimSingleInstance());
  std::wstring same = first.path().wstring();
  for (wchar_t& c : same) c = static_cast<wchar_t>(towupper(c));
  ASSERT_TRUE(SetCurrentDirectoryW((same + L"\\").c_str()));
  EXPECT_FALSE(os::ClaimSingleInstance());
  TempFolder other;
  EXPECT_TRUE(os::ClaimSingleInstance());
}
#endif

}  // namespace
