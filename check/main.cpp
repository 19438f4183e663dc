// brindlewick-check: reports what Brindlewick will make of a folder of
// placement files, before the simulator runs.
#include <iostream>
#include <string>
#include <vector>

#include "check/checker.h"
#include "os/os.h"
#include "version.h"

namespace {

int CheckerMain(const std::vector<std::string>& args) {
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

}  // namespace

#if defined(_WIN32)
// The wide arguments: the C library's narrow ones put best-fit look-alikes in
// paths the code page cannot hold ("\u0141\u00f3d\u017a" becomes "L\u00f3dz",
// another folder). Every value is a path, "--sim=FOLDER" too.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    std::wstring arg = argv[i];
    size_t equals = arg.compare(0, 2, L"--") == 0 ? arg.find(L'=') : std::wstring::npos;
    if (equals == std::wstring::npos) {
      args.push_back(os::AnsiPath(arg));
    } else {
      args.push_back(os::AnsiPath(arg.substr(0, equals + 1)) +
                     os::AnsiPath(arg.substr(equals + 1)));
    }
  }
  return CheckerMain(args);
}
#else
int main(int argc, char** argv) {
  return CheckerMain(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
}
#endif
