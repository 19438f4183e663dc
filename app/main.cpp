// Brindlewick: places the current season's objects into the running simulator.
#include "app/startup.h"
#include "output/log_file.h"

namespace {

// Every run leaves its log for support; one that cannot be written is no
// reason to stop.
int RunLogged() {
  StartProgramLog(log_os::Folder());
  int code = RunBrindlewick();
  EndProgramLog(code);
  return code;
}

}  // namespace

#if defined(_WIN32)
// The wide console entry; the program reads no arguments.
int wmain() { return RunLogged(); }
#else
int main() { return RunLogged(); }
#endif
