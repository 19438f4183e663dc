// brindlewick-setup on the shapes exe.xml takes in the field: each fixture of
// testdata/ goes through one command (or several joined by "+"); the output
// and the file left behind are compared byte for byte with
// testdata/expected/FIXTURE.COMMAND.{out,xml} (no .xml: the file must stay as
// it was). @FILE@, @EXE@, @EURO@, @OMEGA@, @FOLDER@, @TXT@ and @DIR@ stand for
// the run's own paths. Every row also keeps the rules for what is not ours: a written file
// parses, holds our entry once (install) or not at all (remove) and every
// other entry byte for byte; the backup holds the last state before our
// change that held anything; nothing else is left beside the file.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>

#include "setup/exe_xml.h"
#include "setup/exe_xml_edit.h"
#include "setup/setup_os.h"
#include "setup/setup_run.h"
#include "setup/simconnect_status.h"
#include "version.h"

namespace {

namespace fs = std::filesystem;
using Text = std::optional<std::string>;  // a file's bytes; none: no file

Text Read(const fs::path& path) {
  if (!fs::is_regular_file(path)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void Write(const fs::path& path, const Text& text) {
  fs::remove(path);
  if (text) std::ofstream(path, std::ios::binary) << *text;
}

std::string Fill(std::string text, const std::vector<std::pair<std::string, std::string>>& marks) {
  for (const auto& [mark, value] : marks)
    for (size_t at; (at = text.find(mark)) != std::string::npos;)
      text.replace(at, mark.size(), value);
  return text;
}

bool HoldsSomething(const Text& text) {
  return text && text->find_first_not_of(" \t\r\n\xEF\xBB\xBF") != std::string::npos;
}

// Other products' entries, each as its bytes.
std::vector<std::string> Others(const std::string& bytes, int* ours) {
  setup::ExeXml doc = setup::ReadExeXml(bytes);
  EXPECT_TRUE(doc.well_formed) << bytes;
  std::vector<std::string> others;
  for (const setup::Addon& a : doc.addons) {
    if (setup::IsOurs(a))
      ++*ours;
    else
      others.push_back(bytes.substr(a.element.begin, a.element.end - a.element.begin));
  }
  return others;
}

// A written file parses, holds our entry `ours` times and every entry of
// `before` that is not ours, unchanged.
void ExpectSound(const Text& before, const std::string& after, int ours) {
  int found = 0, unused = 0;
  std::vector<std::string> others = Others(after, &found);
  EXPECT_EQ(found, ours);
  if (HoldsSomething(before)) {
    EXPECT_EQ(others, Others(*before, &unused));
  }
}

// A test directory with programs in folders of awkward names and a
// placement folder holding one placement file and things that are none.
struct Scene {
  // One of its own per test: CTest runs them side by side.
  fs::path dir =
      fs::temp_directory_path() / (std::string("brindlewick-setup-") +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
  fs::path file = dir / "exe.xml";
  fs::path backup = dir / "exe.xml.brindlewick-backup";
  std::vector<std::pair<std::string, std::string>> marks;
  std::map<std::string, std::string> exe;

  Scene() {
    fs::remove_all(dir);
    std::vector<std::pair<const char*, const char*>> folders = {
        {"exe", u8"."}, {"euro", u8"€é"}, {"omega", u8"Ω"}, {"b", u8"B"}};
#ifndef _WIN32  // names Windows refuses; the rows that use them run natively
    folders.insert(folders.end(),
                   {{"amp", u8"Games & <Sims>"}, {"ffff", u8"\uFFFF"}, {"ctl", "a\x01z"}});
#endif
    for (auto [key, folder] : folders) {
      fs::create_directories(dir / fs::u8path(folder));
      std::ofstream(dir / fs::u8path(folder) / "Brindlewick.exe") << "MZ";
      EXPECT_TRUE(setup_os::ExistingFile((dir / fs::u8path(folder) / "Brindlewick.exe").u8string(),
                                         &exe[key]));
    }
    exe["nothing"] = "none.exe";
    exe["empty"] = "";
    exe["folder"] = (dir / "folder.exe").u8string();
    fs::create_directories(dir / "folder.exe");
    exe["txt"] = (dir / "Brindlewick.txt").u8string();
    std::ofstream(dir / "Brindlewick.txt") << "MZ";
    const fs::path placement = dir / "Quillmar" / "BrindlewickV2";
    fs::create_directories(placement / "x.xml");
    for (const char* name : {"Village.xml", "Village.xml~", "Village.xmlold"})
      std::ofstream(placement / name) << "<SimObjectEntry/>";
    marks = {{"@FILE@", file.u8string()}, {"@EXE@", exe["exe"]},
             {"@EURO@", exe["euro"]},     {"@OMEGA@", exe["omega"]},
             {"@FOLDER@", exe["folder"]}, {"@TXT@", exe["txt"]},
             {"@DIR@", dir.u8string()},   {"@VERSION@", BRINDLEWICK_VERSION}};
#ifndef _WIN32
    setenv("BRINDLEWICK_SIMULATOR_FOLDER", dir.c_str(), 1);
    setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);  // no log of the machine's
#endif
  }
  ~Scene() { fs::remove_all(dir); }

  // What the directory holds besides the scene's own things.
  std::set<std::string> Extra() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
      if (entry.is_regular_file() && entry.path().extension() != ".txt")
        names.insert(entry.path().filename().string());
    names.erase("exe.xml");
    names.erase("exe.xml.brindlewick-backup");
    names.erase("Brindlewick.exe");
    return names;
  }

  // install[-KEY] [--dry-run], remove, status, "xml-missing" or "xml-empty".
  std::vector<std::string> Args(const std::string& command) const {
    if (command == "xml-missing") return {"install", "--exe-xml"};
    if (command == "xml-empty") return {"remove", "--exe-xml", ""};
    std::vector<std::string> args = {command.substr(0, command.find('-')), "--exe-xml",
                                     file.u8string()};
    if (command == "install") args.push_back(exe.at("exe"));
    if (command == "install-dry") args.insert(args.end(), {exe.at("euro"), "--dry-run"});
    if (command == "install-new") args.insert(args.end(), {exe.at("b"), "--new"});
    if (command.rfind("install-", 0) == 0 && command != "install-dry" && command != "install-new")
      args.push_back(exe.at(command.substr(8)));
    return args;
  }
};

// The real files, without the pause that lets another program finish
// writing a file that is missing, empty or broken: nothing writes here.
struct Quick : setup_os::Files {
  void Pause(int) override {}
};

const char kOldBackup[] = "<SimBase.Document><!-- an older backup --></SimBase.Document>";

struct Row {
  const char* fixture;  // "missing": no file
  const char* command;  // Scene::Args' commands, joined by "+"
  int code;             // the last command's
  bool had_backup = false;
};

TEST(Setup, ExeXmlShapes) {
  const Row rows[] = {
      {"others-crlf-1252", "install", 0},
      {"others-crlf-1252", "remove", 0},
      {"others-crlf-1252", "install-omega", 1},
      {"others-crlf-1252", "install-amp+status", 0},
      {"others-crlf-1252", "install+remove", 0},
      {"others-crlf-1252", "install-folder", 1},
      {"others-crlf-1252", "install-txt", 1},
      {"others-lf-utf8", "install", 0},
      {"others-lf-utf8", "install-omega", 0},
      {"others-lf-utf8", "install+remove", 0},
      {"others-lf-utf8", "install-ffff", 1, true},
      {"others-cr", "install", 0},
      {"others-cr", "install+remove", 0},
      {"ours-disabled", "install-dry", 0},
      {"ours-disabled", "install", 0},
      {"ours-disabled", "remove", 0},
      {"ours-disabled", "status", 0},
      {"ours-twice", "install", 0},
      {"ours-twice", "remove", 0},
      {"ours-current", "install", 0},
      {"ours-current", "status", 0},
      {"ours-manual", "status", 0},
      {"ours-manual", "install", 0},
      {"ours-manual", "remove", 0},
      {"empty", "install", 0, true},
      {"bom-blank", "install", 0},
      {"missing", "install", 0},
      {"missing", "remove", 0},
      {"missing", "install-nothing", 1},
      {"missing", "install-ctl", 1},
      {"missing", "xml-missing", 1},
      {"missing", "xml-empty", 1},
      {"missing", "install-empty", 1},
      {"repeated-name", "install", 1},
      {"repeated-name", "remove", 1},
      {"repeated-name", "status", 1},
      {"repeated-path", "install", 1},
      {"repeated-disabled", "remove", 1},
      {"root-empty-tag", "install", 0},
      {"root-empty-tag", "install+remove", 0},
      {"other-root", "install", 1},
      {"utf16", "install", 1},
      {"doctype-entity", "install", 1, true},
      {"doctype-entity", "remove", 1},
      {"doctype-system", "remove", 1},
      {"doctype-skipped", "install", 1},
      {"entity-laughs", "status", 1},
      {"latin-undeclared", "status", 2},
      {"junk-before", "install", 2},
      {"comment-before", "install", 2},
      {"bom-twice", "install", 2},
      {"unknown-encoding", "status", 2},
      {"broken-addon-end", "install", 2, true},
      {"broken-root-start", "install", 2},
      {"broken-after-root", "install", 2},
      {"broken-comment", "remove", 2},
      {"broken-pasted", "status", 2},
  };
  const fs::path data = fs::u8path(BRINDLEWICK_SETUP_TESTDATA);
  for (const Row& row : rows) {
    const std::string name = std::string(row.fixture) + "." + row.command;
    SCOPED_TRACE(name);
#ifdef _WIN32
    if (name.find("status") != std::string::npos || name.find("ctl") != std::string::npos ||
        name.find("ffff") != std::string::npos || name.find("amp") != std::string::npos)
      continue;  // the registry gives the simulator's folder; names Windows refuses
#endif
    Scene scene;
    const bool missing = std::string(row.fixture) == "missing";
    const Text input =
        missing ? Text() : Fill(*Read(data / (std::string(row.fixture) + ".xml")), scene.marks);
    Write(scene.file, input);
    Text backup = row.had_backup ? Text(kOldBackup) : Text();
    Write(scene.backup, backup);

    std::string output, command;
    int code = 0;
    for (std::istringstream commands(row.command); std::getline(commands, command, '+');) {
      const Text before = Read(scene.file);
      std::ostringstream out, err;
      Quick files;
      code = RunSetup(scene.Args(command), out, err, files);
      output += out.str() + err.str();
      const Text after = Read(scene.file);
      if (after != before) {
        ASSERT_TRUE(after);
        ExpectSound(before, *after, command.rfind("install", 0) == 0 ? 1 : 0);
        if (HoldsSomething(before)) backup = before;
      }
      EXPECT_EQ(Read(scene.backup), backup) << command;
      EXPECT_EQ(scene.Extra(), std::set<std::string>()) << command;
    }
    EXPECT_EQ(code, row.code);
    std::string expected = Fill(*Read(data / "expected" / (name + ".out")), scene.marks);
#ifdef _WIN32
    // The simulator's folder comes from the registry, which another test may
    // be filling at the same time: the warning about it is left out.
    const std::string elsewhere = "Warning: Brindlewick.exe is not in the simulator's folder";
    for (std::string* text : {&output, &expected})
      for (size_t at; (at = text->find(elsewhere)) != std::string::npos;)
        text->erase(at, text->find('\n', at) + 1 - at);
#endif
    EXPECT_EQ(output, expected);
    const Text written = Read(data / "expected" / (name + ".xml"));
    EXPECT_EQ(Read(scene.file), written ? Fill(*written, scene.marks) : input);
  }
}

// The file system as a hostile world leaves it: a disk that fills up in the
// middle of a write, another setup holding the lock, another installer that
// writes exe.xml while we work (or is halfway through writing it, or writes
// into the file being replaced), a file that does not read back as written.
struct World : setup_os::Files {
  int full_at = 0;         // the n-th new file gets half its bytes, then the disk is full
  int other_at = 0;        // after the n-th read of exe.xml another installer writes it
  int garble_at = 0;       // the n-th replace leaves other bytes than were written
  int other_after_at = 0;  // after the n-th replace another installer writes exe.xml
  int unsettled = 0;       // the first n reads find exe.xml half written by another program
  int in_place_at = 0;     // as the n-th replace happens another installer writes the old file
  int locked = 0;
  int writes = 0, reads = 0, replaces = 0;

  bool WriteNew(const std::string& beside, const std::string& bytes, std::string* created,
                std::string* error) override {
    if (++writes != full_at) return Files::WriteNew(beside, bytes, created, error);
    Files::WriteNew(beside, bytes.substr(0, bytes.size() / 2), created, error);
    *error = "No space left on device";
    return false;
  }
  bool ReadFile(const std::string& path, std::string* bytes, std::string* error) override {
    bool ok = Files::ReadFile(path, bytes, error);
    if (reads < unsettled) *bytes = bytes->substr(0, bytes->size() / 2) + std::to_string(reads);
    if (++reads == other_at) Write(fs::u8path(path), std::string(kOther));
    return ok;
  }
  bool Replace(const std::string& from, const std::string& to, std::string* error) override {
    bool ok = Files::Replace(from, to, error);
    if (++replaces == garble_at) Write(fs::u8path(to), std::string("<SimBase.Doc"));
    if (replaces == other_after_at) Write(fs::u8path(to), std::string(kOther));
    // It opened the file before the swap: its write lands in the one replaced.
    if (replaces == in_place_at)
      std::ofstream(fs::u8path(to + setup_os::kTemporaryMark + "kept"), std::ios::binary) << kOther;
    return ok;
  }
  bool Lock(const std::string& lock, bool* busy, std::string* error) override {
    if (!locked) return Files::Lock(lock, busy, error);
    *busy = true;
    return false;
  }
  void Pause(int) override {}
  static constexpr const char* kOther =
      "<SimBase.Document><Launch.Addon><Name>Other</Name>"
      "</Launch.Addon></SimBase.Document>";
};

struct Step {
  // "install", "install-b", "install-new", "remove"; another program "empty"-ies
  // or "delete"-s the file; a killed setup left "litter" (temporary files).
  const char* action;
  World world;
  int code;
  int file;    // the file afterwards: state n (the file before step n+1), -1 World::kOther, -3
               // garbled
  int backup;  // the backup afterwards: state n, -2 none
  const char* says = "";  // in the output
};

// A world with one of its faults set.
World With(int World::*fault, int at = 1) {
  World w;
  w.*fault = at;
  return w;
}

// Each row starts from others-crlf-1252.xml (state 0); state n is the file
// as step n left it. The backup must hold the last state before each of our
// changes that held anything, and never a worse one.
TEST(Setup, BackupSequences) {
  const std::vector<std::vector<Step>> rows = {
      {{"install", {}, 0, 1, 0},
       {"empty", {}, 0, 2, 0},
       {"install", {}, 1, 2, 0, "holds other programs' entries: copy it to"},
       {"install-new", {}, 0, 4, 0}},
      {{"install", {}, 0, 1, 0},
       {"delete", {}, 0, 2, 0},
       {"install", {}, 1, 2, 0, "install --new starts a new"},
       {"install-new", {}, 0, 4, 0}},
      {{"litter", {}, 0, 0, -2}, {"install", {}, 0, 2, 0, "Removed 2 temporary files"}},
      {{"install", With(&World::unsettled, 3), 0, 1, 0}},
      {{"install", {}, 0, 1, 0}, {"install-b", {}, 0, 2, 1}},
      {{"install", {}, 0, 1, 0},
       {"empty", {}, 0, 2, 0},
       {"install-new", {}, 0, 3, 0},
       {"remove", {}, 0, 4, 0, "was left as it was, since it holds theirs"}},
      {{"install", {}, 0, 1, 0}, {"install-b", With(&World::full_at, 2), 1, 1, 0, "backup"}},
      {{"install", With(&World::full_at), 1, 0, -2, "No space left on device. Nothing was changed."}},
      {{"install", With(&World::other_at), 1, -1, -2, "changed while brindlewick-setup worked"}},
      {{"install", With(&World::other_at, 2), 1, -1, 0, "now holds it as it was"}},
      {{"install", With(&World::garble_at, 2), 1, -3, 0, "does not read back"}},
      {{"install", With(&World::other_after_at, 2), 1, -1, 0, "changed by another program right after"}},
      {{"install", With(&World::in_place_at, 2), 1, -1, 0, "what that program wrote was put back"}},
      {{"install", With(&World::locked), 1, 0, -2, "Another brindlewick-setup is changing"}},
  };
  const fs::path data = fs::u8path(BRINDLEWICK_SETUP_TESTDATA);
  int number = 0;
  for (const auto& steps : rows) {
    SCOPED_TRACE("row " + std::to_string(++number));
    Scene scene;
    std::vector<Text> states = {Read(data / "others-crlf-1252.xml")};
    Write(scene.file, states[0]);
    for (const Step& step : steps) {
      SCOPED_TRACE(step.action);
      World world = step.world;
      std::ostringstream out, err;
      const std::string action = step.action;
      if (action == "empty" || action == "delete") {
        Write(scene.file, action == "empty" ? Text("") : Text());
      } else if (action == "litter") {
        std::ofstream(scene.dir / "exe.xml.brindlewick-tmp-Xy12Zq") << "half";
        std::ofstream(scene.dir / "exe.xml.brindlewick-backup.brindlewick-tmp-1") << "half";
      } else {
        std::vector<std::string> args = scene.Args(step.action);
        EXPECT_EQ(RunSetup(args, out, err, world), step.code);
      }
      states.push_back(Read(scene.file));
      EXPECT_EQ(states.back(), step.file == -1   ? Text(World::kOther)
                               : step.file == -3 ? Text("<SimBase.Doc")
                                                 : states[step.file]);
      EXPECT_EQ(Read(scene.backup), step.backup == -2 ? Text() : states[step.backup]);
      EXPECT_NE((out.str() + err.str()).find(step.says), std::string::npos)
          << out.str() << err.str();
      if (action != "litter") {
        EXPECT_EQ(scene.Extra(), std::set<std::string>());
      }
    }
  }
}

#ifndef _WIN32
// A link to exe.xml stays a link; the file keeps its permissions.
TEST(Setup, WritesThroughALinkKeepingTheMode) {
  Scene scene;
  const fs::path real = scene.dir / "real.xml";
  std::ofstream(real) << "<SimBase.Document></SimBase.Document>";
  const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(real, mode);
  fs::create_symlink(real, scene.file);
  std::ostringstream out, err;
  EXPECT_EQ(RunSetup(scene.Args("install"), out, err), 0) << err.str();
  EXPECT_TRUE(fs::is_symlink(scene.file));
  EXPECT_NE(Read(real)->find("<Launch.Addon>"), std::string::npos);
  EXPECT_EQ(fs::status(real).permissions(), mode);
  EXPECT_TRUE(fs::exists(scene.dir / "real.xml.brindlewick-backup"));
}

#endif

// What stands where the tool writes: a read-only file, or a folder. Each is
// refused with its name, and exe.xml stays as it was.
TEST(Setup, ThingsInTheWay) {
  const struct {
    const char* name;  // a trailing '/': a folder
    const char* says;
    int code;
  } rows[] = {
      {"exe.xml", "exe.xml: it is read-only", 1},
      {"exe.xml.brindlewick-backup", "backup @FILE@.brindlewick-backup: it is read-only", 1},
      {"exe.xml/", "@FILE@ is a folder, not a file", 2},
      {"exe.xml.brindlewick-lock/", "lock file @FILE@.brindlewick-lock: it is a folder", 1},
      {"exe.xml.brindlewick-backup/", "backup @FILE@.brindlewick-backup: it is a folder", 1},
  };
  const fs::path data = fs::u8path(BRINDLEWICK_SETUP_TESTDATA);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Scene scene;
    const std::string name = row.name;
    const Text input = Read(data / "others-crlf-1252.xml");
    const fs::path thing = scene.dir / name.substr(0, name.find('/'));
    const bool folder = name.back() == '/';
    if (!folder || thing != scene.file) Write(scene.file, input);
    if (folder) fs::create_directories(thing);
    if (!folder) {
      Write(scene.backup, std::string(kOldBackup));
      fs::permissions(thing, fs::perms::owner_write, fs::perm_options::remove);
    }
    std::ostringstream out, err;
    EXPECT_EQ(RunSetup(scene.Args("install"), out, err), row.code);
    EXPECT_NE(err.str().find(Fill(row.says, scene.marks)), std::string::npos) << err.str();
    if (!folder || thing != scene.file) {
      EXPECT_EQ(Read(scene.file), input);
    }
    if (!folder) fs::permissions(thing, fs::perms::owner_write, fs::perm_options::add);
  }
}

TEST(Setup, OneLockHolderAtATime) {
  Scene scene;
  const std::string lock = (scene.dir / "exe.xml.brindlewick-lock").string();
  std::intptr_t first, second;
  bool busy = false;
  std::string error;
  ASSERT_TRUE(setup_os::AcquireLock(lock, 0, &first, &busy, &error)) << error;
  EXPECT_FALSE(setup_os::AcquireLock(lock, 1, &second, &busy, &error));
  EXPECT_TRUE(busy);
  setup_os::ReleaseLock(lock, first);
  ASSERT_TRUE(setup_os::AcquireLock(lock, 0, &second, &busy, &error)) << error;
  setup_os::ReleaseLock(lock, second);
  EXPECT_FALSE(fs::exists(lock));
}

// What status and install say of SimConnect, over a double of the search.
TEST(Setup, SimConnectLines) {
  // Per version index: '+' complete, '-' incomplete, 'x' not a DLL, ' ' absent,
  // 'w' bound to 10.0.62615.0's DLL, as Wine binds every request to the newest,
  // 'y' bound to 10.0.62615.0, which is not a DLL.
  static std::string machine;
  static int versions[simconnect_probe::kVersionCount], active;
  for (int v = 0; v < simconnect_probe::kVersionCount; ++v) versions[v] = v;
  const simconnect_probe::Calls calls = {
      [](int v) -> void* { return machine[v] == ' ' ? nullptr : &versions[v]; },
      [](void* context, uintptr_t*) { return (active = *static_cast<int*>(context)), true; },
      [](uintptr_t) {},
      [](unsigned long* error) -> void* {
        *error = 193;
        if (machine[active] == 'x' || machine[active] == 'y') return nullptr;
        return &versions[machine[active] == 'w' ? 1 : active];
      },
      [](void* library, const char*) -> void* {
        return machine[*static_cast<int*>(library)] == '+' ? library : nullptr;
      },
      [](void*) {},
      [](void*) {},
      [](void* library, std::string* file, std::string* version) {
        *version = simconnect_probe::kVersions[*static_cast<int*>(library)];
        *file = "C:\\sxs\\" + *version + "\\SimConnect.dll";
      },
      [](void* context) -> std::string {
        int v = *static_cast<int*>(context);
        return simconnect_probe::kVersions[machine[v] == 'w' || machine[v] == 'y' ? 1 : v];
      }};
  const fs::path dir = fs::temp_directory_path() / "brindlewick-setup-simconnect";
  std::string msi = dir.u8string();
  for (const char* part : {"SDK", "Core Utilities Kit", "SimConnect SDK", "LegacyInterfaces",
                           "FSX-XPACK", "SimConnect.msi"})
    msi += setup_os::kSeparator + std::string(part);
  const std::string generic =
      "  FSX Steam Edition: run <simulator folder>\\SDK\\Core Utilities Kit\\SimConnect SDK\\"
      "LegacyInterfaces\\FSX-XPACK\\SimConnect.msi\n"
      "  Boxed FSX: install Service Pack 2 or Acceleration; either installs it.\n";
  const std::string cannot = "none; Brindlewick cannot reach the simulator.";
  auto at = [](const char* version) {
    return std::string(version) + " at C:\\sxs\\" + version + "\\SimConnect.dll";
  };
  const struct {
    const char* machine;
    bool msi;  // the Steam Edition's installer lies in the simulator folder
    std::string installed, used;
    std::string broken;  // installed and unusable: the warning's version and reason
  } rows[] = {
      {"++          ", false, at("10.0.61259.0") + ", " + at("10.0.62615.0"), at("10.0.61259.0"),
       ""},
      {"w+wwwwwwwwww", false, at("10.0.62615.0"), at("10.0.62615.0"), ""},
      {"x     +     ", false,
       "10.0.61259.0 (unusable: its SimConnect.dll is not a DLL for this system), " +
           at("10.0.62610.0"),
       at("10.0.62610.0"), ""},
      {"yyyyyyyyyyyy", false,
       "10.0.62615.0 (unusable: its SimConnect.dll is not a DLL for this system)", cannot,
       "10.0.62615.0 is installed, but Brindlewick cannot use it: its SimConnect.dll is not a DLL "
       "for this system"},
      {"     -      ", true,
       at("10.0.62611.0") + " (unusable: its SimConnect.dll lacks SimConnect_Open)", cannot,
       "10.0.62611.0 is installed, but Brindlewick cannot use it: its SimConnect.dll lacks "
       "SimConnect_Open"},
      {"            ", false, "none", cannot, ""},
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
    ReportSimConnect({"", dir.u8string()}, status);  // boxed FSX's is unknown
    WarnWithoutSimConnect({dir.u8string()}, install);
    const bool none = row.used == cannot;
    const bool repair = !row.broken.empty();
    std::string advice =
        row.msi ? "  Run " + msi + (repair ? " and choose Repair.\n" : " to install it.\n")
                : generic;
    if (!none) advice.clear();
    EXPECT_EQ(status.str(), "SimConnect installed: " + row.installed +
                                "\nSimConnect Brindlewick will use: " + row.used + "\n" + advice);
    const std::string warning =
        repair ? "Warning: SimConnect " + row.broken + ".\n"
               : "Warning: SimConnect is not installed; Brindlewick cannot reach the simulator "
                 "without it.\n";
    EXPECT_EQ(install.str(), none ? warning + advice : "");
  }
  simConnectCalls = nullptr;
  fs::remove_all(dir);
}

}  // namespace
