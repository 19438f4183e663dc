// The checker from command line to exit code.
#ifndef BRINDLEWICK_CHECK_CHECKER_H_
#define BRINDLEWICK_CHECK_CHECKER_H_

#include <ostream>
#include <string>
#include <vector>

/// Exit codes.
const int kCheckClean = 0;
const int kCheckFoundErrors = 1;
const int kCheckCannotRun = 2;  // folder unreadable, output unwritable, bad command line

/// Runs the checker on `args` (without the program name); messages go to
/// `out`, a wrong command line to `err`. Returns the exit code.
int RunChecker(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

/// The same; with `findSimulator`, and neither --sim nor --titles, the titles
/// are checked against the simulator this machine has installed, if any (the
/// program does this; the unit tests must not depend on the machine).
int RunChecker(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               bool findSimulator);

#endif  // BRINDLEWICK_CHECK_CHECKER_H_
