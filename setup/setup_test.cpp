// brindlewick-setup on the shapes exe.xml takes in the field: each fixture of
// testdata/ goes through one command; the output and the file left behind are
// compared byte for byte with testdata/expected/FIXTURE.COMMAND.{out,xml} (no
// .xml: the file must stay as it was). @FILE@, @EXE@, @EURO@, @OMEGA@ and
// @DIR@ stand for the run's own paths.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "setup/setup_os.h"
#include "setup/setup_run.h"
#include "setup/simconnect_status.h"

namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Fill(std::string text, const std::vector<std::pair<std::string, std::string>>& marks) {
  for (const auto& [mark, value] : marks)
    for (size_t at; (at = text.find(mark)) != std::string::npos;) text.replace(at, mark.size(), value);
  return text;
}

struct Row {
  const char* fixture;  // "missing": no file
  const char* command;  // install, install-dry, install-omega, install-nothing, remove, status
  int code;
};

TEST(Setup, ExeXmlShapes) {
  const Row rows[] = {
      {"others-crlf-1252", "install", 0},      {"others-crlf-1252", "remove", 0},
      {"others-crlf-1252", "install-omega", 1}, {"others-lf-utf8", "install", 0},
      {"ours-disabled", "install-dry", 0},     {"others-lf-utf8", "install-omega", 0},
      {"ours-disabled", "install", 0},         {"ours-disabled", "remove", 0},
      {"ours-disabled", "status", 0},          {"ours-twice", "install", 0},
      {"ours-twice", "remove", 0},             {"ours-current", "install", 0},
      {"ours-current", "status", 0},           {"empty", "install", 0},
      {"missing", "install", 0},               {"missing", "remove", 0},
      {"missing", "install-nothing", 1},       {"root-empty-tag", "install", 0},
      {"other-root", "install", 1},            {"utf16", "install", 1},
      {"broken-addon-end", "install", 2},      {"broken-root-start", "install", 2},
      {"broken-after-root", "install", 2},     {"broken-comment", "remove", 2},
      {"broken-pasted", "status", 2},
  };
  const fs::path data = fs::u8path(BRINDLEWICK_SETUP_TESTDATA);
  const fs::path dir = fs::temp_directory_path() / "brindlewick-setup-test";
  for (const Row& row : rows) {
    const std::string name = std::string(row.fixture) + "." + row.command;
    SCOPED_TRACE(name);
    const std::string command = row.command;
#ifdef _WIN32
    if (command == "status") {
      continue;  // the simulator's folder comes from the registry
    }
#else
    setenv("BRINDLEWICK_SIMULATOR_FOLDER", dir.c_str(), 1);
#endif
    fs::remove_all(dir);
    // Programs in folders whose names Windows-1252 can hold (or not).
    std::string exe, euro, omega, file = (dir / "exe.xml").u8string();
    for (auto [folder, path] : {std::pair(u8".", &exe), {u8"€é", &euro}, {u8"Ω", &omega}}) {
      fs::create_directories(dir / fs::u8path(folder));
      std::ofstream(dir / fs::u8path(folder) / "Brindlewick.exe") << "MZ";
      ASSERT_TRUE(setup_os::ExistingFile((dir / fs::u8path(folder) / "Brindlewick.exe").u8string(), path));
    }
    const std::vector<std::pair<std::string, std::string>> marks = {{"@FILE@", file},
        {"@EXE@", exe}, {"@EURO@", euro}, {"@OMEGA@", omega}, {"@DIR@", dir.u8string()}};
    const bool missing = std::string(row.fixture) == "missing";
    const std::string input = missing ? "" : Fill(Read(data / (std::string(row.fixture) + ".xml")), marks);
    if (!missing) std::ofstream(dir / "exe.xml", std::ios::binary) << input;

    std::vector<std::string> args = {command.substr(0, command.find('-')), "--exe-xml", file};
    if (command == "install") args.push_back(exe);
    if (command == "install-dry") args.insert(args.end(), {euro, "--dry-run"});
    if (command == "install-omega") args.push_back(omega);
    if (command == "install-nothing") args.push_back("none.exe");
    std::ostringstream out, err;
    EXPECT_EQ(RunSetup(args, out, err), row.code);
    EXPECT_EQ(out.str() + err.str(), Fill(Read(data / "expected" / (name + ".out")), marks));

    const fs::path written = data / "expected" / (name + ".xml");
    const bool changed = fs::exists(written);
    ASSERT_EQ(fs::exists(dir / "exe.xml"), changed || !missing);
    if (changed || !missing) {
      EXPECT_EQ(Read(dir / "exe.xml"), changed ? Fill(Read(written), marks) : input);
    }
    EXPECT_EQ(fs::exists(dir / "exe.xml.brindlewick-backup"), changed && !missing);
    if (changed && !missing) {
      EXPECT_EQ(Read(dir / "exe.xml.brindlewick-backup"), input);
    }
    EXPECT_FALSE(fs::exists(dir / "exe.xml.brindlewick-new"));
  }
  fs::remove_all(dir);
}

// What status and install say of SimConnect, over a double of the search.
TEST(Setup, SimConnectLines) {
  static std::string machine;  // per version index: '+' complete, '-' incomplete, ' ' absent
  static int versions[simconnect_probe::kVersionCount], active;
  for (int v = 0; v < simconnect_probe::kVersionCount; ++v) versions[v] = v;
  const simconnect_probe::Calls calls = {
      [](int v) -> void* { return machine[v] == ' ' ? nullptr : &versions[v]; },
      [](void* context, uintptr_t*) { return (active = *static_cast<int*>(context)), true; },
      [](uintptr_t) {},
      []() -> void* { return &versions[active]; },
      [](void* library, const char*) -> void* {
        return machine[*static_cast<int*>(library)] == '+' ? library : nullptr;
      },
      [](void*) {},
      [](void*) {}};
  const fs::path dir = fs::temp_directory_path() / "brindlewick-setup-simconnect";
  std::string msi = dir.u8string();
  for (const char* part : {"SDK", "Core Utilities Kit", "SimConnect SDK", "LegacyInterfaces",
                           "FSX-XPACK", "SimConnect.msi"})
    msi += setup_os::kSeparator + std::string(part);
  const std::string generic =
      "  FSX Steam Edition: run <simulator folder>\\SDK\\Core Utilities Kit\\SimConnect SDK\\"
      "LegacyInterfaces\\FSX-XPACK\\SimConnect.msi\n"
      "  Boxed FSX: install Service Pack 2 or Acceleration; either installs it.\n";
  const std::string warning =
      "Warning: SimConnect is not installed; Brindlewick cannot reach the simulator without it.\n";
  const std::string cannot = "none; Brindlewick cannot reach the simulator.";
  const struct {
    const char* machine;
    bool msi;  // the Steam Edition's installer lies in the simulator folder
    std::string installed, used;
  } rows[] = {
      {"++          ", false, "10.0.61259.0, 10.0.62615.0", "10.0.61259.0"},
      {"     +      ", false, "10.0.62611.0", "10.0.62611.0"},
      {"     -      ", true, "10.0.62611.0 (lacks a function Brindlewick calls)", cannot},
      {"            ", false, "none", cannot},
  };
  simConnectCalls = &calls;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.machine);
    machine = row.machine;
    fs::remove_all(dir);
    if (row.msi) {
      fs::create_directories(fs::u8path(msi).parent_path());
      std::ofstream(fs::u8path(msi)) << "msi";
    }
    std::ostringstream status, install;
    ReportSimConnect(dir.u8string(), status);
    WarnWithoutSimConnect(dir.u8string(), install);
    const bool none = row.used == cannot;
    const std::string advice = !none ? "" : row.msi ? "  Run " + msi + " to install it.\n" : generic;
    EXPECT_EQ(status.str(), "SimConnect installed: " + row.installed +
                                "\nSimConnect Brindlewick will use: " + row.used + "\n" + advice);
    EXPECT_EQ(install.str(), none ? warning + advice : "");
  }
  simConnectCalls = nullptr;
  fs::remove_all(dir);
}

}  // namespace
