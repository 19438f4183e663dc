// The stand-in's command line.
#ifndef BRINDLEWICK_TOOLS_SIM_STANDIN_OPTIONS_H_
#define BRINDLEWICK_TOOLS_SIM_STANDIN_OPTIONS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "tools/sim_standin/scenario.h"
#include "tools/sim_standin/session.h"

namespace standin {

struct Options {
  uint16_t port = 0;  // 0: the system picks a free one
  std::string portFile;
  std::string transcriptFile;
  std::vector<Step> scenario;  // from --scenario or --scenario-file
  std::vector<std::string> refusedTitles;
  std::string simFolder;   // --sim: only the titles installed there can be created
  std::string titlesFile;  // --titles: only the titles listed there
  uint32_t timeoutSeconds = 0;        // 0: run until the scenario ends the run
  uint32_t maxObjects = kMaxObjects;  // standing objects per client
  bool help = false;
};

extern const char kUsage[];

/// Reads the arguments after the program name. On a mistake returns false
/// and puts what to fix into `error`.
bool ParseOptions(const std::vector<std::string>& arguments, Options* options, std::string* error);

}  // namespace standin

#endif  // BRINDLEWICK_TOOLS_SIM_STANDIN_OPTIONS_H_
