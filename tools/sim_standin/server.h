// The stand-in's network side: listens on 127.0.0.1, serves one client at a
// time, plays the scenario for it, and reports on standard output.
#ifndef BRINDLEWICK_TOOLS_SIM_STANDIN_SERVER_H_
#define BRINDLEWICK_TOOLS_SIM_STANDIN_SERVER_H_

#include "tools/sim_standin/options.h"

namespace standin {

/// Runs until the scenario quits or vanishes (0), the timeout passes (3), or
/// the port cannot be opened (1).
int RunServer(const Options& options);

}  // namespace standin

#endif  // BRINDLEWICK_TOOLS_SIM_STANDIN_SERVER_H_
