// brindlewick-check: reports what Brindlewick will make of a folder of
// placement files, before the simulator runs.
#include <iostream>
#include <string>
#include <vector>

#include "check/checker.h"
#include "os/os.h"
#include "version.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  for (const std::string& arg : args) {
    if (arg == "--") break;
    if (arg == "--version") {
      std::cout << "brindlewick-check " BRINDLEWICK_VERSION "\n";
      return 0;
    }
  }
  // Double-clicked, the checker has a console of its own that closes with
  // it: it checks the placement folder beside it and stays to be read.
  const bool doubleClicked = args.empty() && os::ConsoleProcessCount() == 1;
  if (doubleClicked && !os::EnterProgramFolder())
    std::cerr << "Cannot enter the folder of brindlewick-check; checking the working folder.\n";
  int code = RunChecker(args, std::cout, std::cerr, true);
  if (doubleClicked && os::StandardInputIsConsole()) {
    std::cout.flush();
    std::cerr << os::kKeepOpenPrompt;
    std::cerr.flush();
    os::KeepConsoleOpen(os::kKeepOpenMilliseconds);
  }
  return code;
}
