// brindlewick-setup: makes the simulator start Brindlewick through its
// exe.xml (install), takes our entry out again (remove), or reports (status).
#ifndef BRINDLEWICK_SETUP_SETUP_RUN_H_
#define BRINDLEWICK_SETUP_SETUP_RUN_H_

#include <ostream>
#include <string>
#include <vector>

#include "setup/setup_os.h"

/// Runs the command line `args` (without the program name); returns the exit
/// code: 0 done or nothing to do, 1 refused (the output says why), 2 the file
/// could not be read or parsed. All texts are UTF-8.
int RunSetup(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

/// The same, with the file operations of an edit going through `files`.
int RunSetup(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
             setup_os::Files& files);

#endif  // BRINDLEWICK_SETUP_SETUP_RUN_H_
