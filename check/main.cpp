// brindlewick-check: reports what Brindlewick will make of a folder of
// placement files, before the simulator runs.
#include <iostream>
#include <string>
#include <vector>

#include "check/checker.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return RunChecker(args, std::cout, std::cerr, true);
}
