// The native build, for the tests: no registry and no %APPDATA%. The setup
// tool's tests name the simulator's folder in BRINDLEWICK_SIMULATOR_FOLDER, in
// the place of the boxed edition's AppPath.
#include <sys/stat.h>

#include <cstdlib>

#include "fsx/fsx_system.h"

namespace fsx {

namespace {

bool AppPath(Key key, RegistryText* value) {
  const char* folder = std::getenv("BRINDLEWICK_SIMULATOR_FOLDER");
  if (key != Key::kBoxed || !folder) return false;
  value->type = kRegSz;
  value->text = folder;
  return true;
}

bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

}  // namespace

const System& ThisSystem() {
  static const System system = {'/',
                                AppPath,
                                [](const std::string& text) { return text; },
                                [] { return std::string(); },
                                Exists,
                                [](const std::string& text, Spelling) { return text; }};
  return system;
}

}  // namespace fsx
