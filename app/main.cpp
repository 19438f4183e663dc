// Brindlewick: places the current season's objects into the running simulator.
#include "app/startup.h"

#if defined(_WIN32)
// The wide console entry; the program reads no arguments.
int wmain() { return RunBrindlewick(); }
#else
int main() { return RunBrindlewick(); }
#endif
