// The simulator finder on stand-in machines: what the registry's two keys
// and the folders they name make of each edition.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "fsx/fsx_system.h"

namespace {

struct Row {
  const char* name;
  std::map<fsx::Key, fsx::RegistryText> keys;
  std::set<std::string> files;
  const char* app_data;
  std::string expected;  // per installation: edition, folder, config, exe.xml; "; " between
};

std::string Describe(const fsx::Simulators& simulators) {
  std::string text;
  for (const fsx::Installation& found : simulators.found) {
    if (!text.empty()) text += "; ";
    text += std::string(fsx::EditionName(found)) + " " + found.folder + " " + found.config + " " +
            found.exe_xml;
  }
  return text;
}

TEST(FsxLocation, EditionsAndTheirSettings) {
  using fsx::Key;
  const fsx::RegistryText boxed = {fsx::kRegSz, "C:\\FSX"};
  const fsx::RegistryText steam = {fsx::kRegSz, "D:\\Steam\\steamapps\\common\\FSX\\"};
  const std::string steam_dll = "D:\\Steam\\steamapps\\common\\FSX\\steam_api.dll";
  // Each installation's config and exe.xml under %APPDATA% (A:).
  const std::string cfg = " A:\\Microsoft\\FSX\\fsx.cfg A:\\Microsoft\\FSX\\exe.xml";
  const std::string se = " A:\\Microsoft\\FSX-SE\\fsx_se.cfg A:\\Microsoft\\FSX-SE\\exe.xml";
  const std::string boxedAt = "boxed FSX C:\\FSX" + cfg, steamAt = "FSX Steam Edition D:\\Steam\\steamapps\\common\\FSX";
  // clang-format off
  const Row rows[] = {
      {"none", {}, {}, "A:", ""},
      {"boxed only", {{Key::kBoxed, boxed}}, {}, "A:", boxedAt},
      {"closing backslashes", {{Key::kBoxed, {fsx::kRegSz, "C:\\FSX\\\\"}}}, {}, "A:", boxedAt},
      {"a drive's root", {{Key::kBoxed, {fsx::kRegSz, "C:\\"}}}, {}, "A:", "boxed FSX C:\\" + cfg},
      {"Steam alone, in the boxed key", {{Key::kBoxed, steam}}, {steam_dll}, "A:", steamAt + cfg},
      {"both", {{Key::kBoxed, boxed}, {Key::kSteam, steam}}, {steam_dll}, "A:", boxedAt + "; " + steamAt + se},
      {"Steam's key alone", {{Key::kSteam, steam}}, {}, "A:", steamAt + se},
      {"both keys name one folder", {{Key::kBoxed, {fsx::kRegSz, "d:\\steam\\steamapps\\common\\fsx"}}, {Key::kSteam, steam}},
       {steam_dll}, "A:", steamAt + se},
      {"REG_EXPAND_SZ", {{Key::kBoxed, {fsx::kRegExpandSz, "%GAMES%\\FSX\\"}}}, {}, "A:", "boxed FSX E:\\Games\\FSX" + cfg},
      {"REG_SZ is taken as written", {{Key::kBoxed, {fsx::kRegSz, "%GAMES%\\FSX"}}}, {}, "A:", "boxed FSX %GAMES%\\FSX" + cfg},
      {"not text", {{Key::kBoxed, {4, "C:\\FSX"}}}, {}, "A:", ""},
      {"empty", {{Key::kBoxed, {fsx::kRegSz, ""}}, {Key::kSteam, steam}}, {}, "A:", steamAt + se},
      {"no %APPDATA%", {{Key::kBoxed, boxed}}, {}, "", "boxed FSX C:\\FSX  "},
      {"only the installer's key", {{Key::kBoxedSetup, boxed}}, {}, "A:", boxedAt},
      {"the account's key before the installer's", {{Key::kBoxed, boxed}, {Key::kBoxedSetup, {fsx::kRegSz, "E:\\Old FSX"}}},
       {}, "A:", boxedAt},
      {"one folder, only fsx.cfg", {{Key::kBoxedSetup, steam}, {Key::kSteam, steam}}, {steam_dll, "A:\\Microsoft\\FSX\\fsx.cfg"},
       "A:", steamAt + cfg},
      {"one folder, both settings", {{Key::kBoxed, steam}, {Key::kSteam, steam}},
       {steam_dll, "A:\\Microsoft\\FSX\\fsx.cfg", "A:\\Microsoft\\FSX-SE\\fsx_se.cfg"}, "A:", steamAt + se},
  };
  // clang-format on
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fsx::System machine = {'\\',
                           [&](fsx::Key key, fsx::RegistryText* value) {
                             auto found = row.keys.find(key);
                             if (found != row.keys.end()) *value = found->second;
                             return found != row.keys.end();
                           },
                           [](const std::string& text) {
                             std::string out = text;
                             size_t at = out.find("%GAMES%");
                             return at == std::string::npos ? out : out.replace(at, 7, "E:\\Games");
                           },
                           [&] { return std::string(row.app_data); },
                           [&](const std::string& path) { return row.files.count(path) > 0; },
                           [](const std::string& text, fsx::Spelling) { return text; }};
    fsx::Simulators simulators = fsx::FindSimulators(machine, fsx::Spelling::kUtf8);
    EXPECT_EQ(Describe(simulators), row.expected);
    EXPECT_EQ(simulators.app_data, row.app_data);
  }
}

}  // namespace
