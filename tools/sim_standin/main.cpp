// sim-standin: a stand-in for Microsoft Flight Simulator X that speaks the
// server side of SimConnect on 127.0.0.1, for tests of Brindlewick.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/sim_standin/options.h"
#include "tools/sim_standin/server.h"

int main(int argc, char** argv) {
  std::signal(SIGPIPE, SIG_IGN);
  // Line by line, so a test reading the account live sees each step at once.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  standin::Options options;
  std::string error;
  if (!standin::ParseOptions(std::vector<std::string>(argv + 1, argv + argc), &options, &error)) {
    std::fprintf(stderr, "sim-standin: %s\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(standin::kUsage, stdout);
    return 0;
  }
  return standin::RunServer(options);
}
