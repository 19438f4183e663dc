// brindlewick-check: reports what Brindlewick will make of a folder of
// placement files, before the simulator runs.
#include <iostream>
#include <string>
#include <vector>

#include "check/checker.h"
#include "os/os.h"

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
  return RunChecker(args, std::cout, std::cerr, true);
}
#else
int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return RunChecker(args, std::cout, std::cerr, true);
}
#endif
