// brindlewick-setup: adds Brindlewick to the simulator's exe.xml, safely.
#include <sstream>

#include "os/os.h"
#include "setup/setup_os.h"
#include "setup/setup_run.h"
#include "setup/simconnect_status.h"
#include "version.h"

int main(int argc, char** argv) {
#if defined(_WIN32)
  simConnectCalls = &simconnect_probe::kWin32Calls;
#endif
  std::vector<std::string> args = setup_os::Arguments(argc, argv);
  for (const std::string& arg : args) {
    if (arg == "--version") {
      setup_os::Print("brindlewick-setup " BRINDLEWICK_VERSION "\n", stdout);
      return 0;
    }
  }
  // Double-clicked, the tool has a console of its own that closes with it:
  // it shows the status and stays until the pilot has read it.
  const bool doubleClicked = args.empty() && os::ConsoleProcessCount() == 1;
  if (doubleClicked) args.push_back("status");
  std::ostringstream out, err;
  int code = RunSetup(args, out, err);
  if (doubleClicked)
    out << "\nCommands, from a command prompt in this folder: brindlewick-setup install | "
           "remove | status (brindlewick-setup alone explains them)\n";
  setup_os::Print(out.str(), stdout);
  setup_os::Print(err.str(), stderr);
  if (doubleClicked && os::StandardInputIsConsole()) {
    fflush(stdout);
    fputs(os::kKeepOpenPrompt, stderr);
    os::KeepConsoleOpen(os::kKeepOpenMilliseconds);
  }
  return code;
}
