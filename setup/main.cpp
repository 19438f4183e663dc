// brindlewick-setup: adds Brindlewick to the simulator's exe.xml, safely.
#include <sstream>

#include "setup/setup_os.h"
#include "setup/setup_run.h"
#include "setup/simconnect_status.h"

int main(int argc, char** argv) {
#if defined(_WIN32)
  simConnectCalls = &simconnect_probe::kWin32Calls;
#endif
  std::ostringstream out, err;
  int code = RunSetup(setup_os::Arguments(argc, argv), out, err);
  setup_os::Print(out.str(), stdout);
  setup_os::Print(err.str(), stderr);
  return code;
}
