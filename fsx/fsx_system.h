// What the simulator finder asks of Windows, as a table of calls so the
// decisions in fsx_location.cpp can be tried against a stand-in machine.
// Texts are UTF-8 here; each implementation converts at its edge.
#ifndef BRINDLEWICK_FSX_FSX_SYSTEM_H_
#define BRINDLEWICK_FSX_FSX_SYSTEM_H_

#include <functional>
#include <string>

#include "fsx/fsx_location.h"

namespace fsx {

// The values that name a simulator's folder: the boxed edition's AppPath
// (written when it first runs under the account), the Steam Edition's own
// AppPath, and the boxed installer's SetupPath for the whole machine.
enum class Key { kBoxed, kSteam, kBoxedSetup };

struct KeyPlace {
  bool machine;     // HKEY_LOCAL_MACHINE (its 32-bit view), else HKEY_CURRENT_USER
  const char* key;  // under the hive
  const char* value;
};

/// Where `key` lies in the registry.
KeyPlace PlaceOf(Key key);

// Registry value types, as winnt.h numbers them.
const unsigned long kRegSz = 1;
const unsigned long kRegExpandSz = 2;

struct RegistryText {
  unsigned long type = 0;
  std::string text;  // up to the first NUL, or all of it when it has none
};

struct System {
  char separator;
  /// The value PlaceOf(`key`) names; false when the key or value is missing.
  std::function<bool(Key key, RegistryText* value)> app_path;
  /// `text` with its %VARIABLES% replaced, for a REG_EXPAND_SZ value.
  std::function<std::string(const std::string& text)> expand;
  /// %APPDATA%; empty where there is none.
  std::function<std::string()> app_data;
  /// True when `path` names a file or a folder.
  std::function<bool(const std::string& path)> exists;
  /// UTF-8 `text` as `spelling` spells it.
  std::function<std::string(const std::string& text, Spelling spelling)> spell;
};

/// This machine's calls.
const System& ThisSystem();

Simulators FindSimulators(const System& system, Spelling spelling);

}  // namespace fsx

#endif  // BRINDLEWICK_FSX_FSX_SYSTEM_H_
