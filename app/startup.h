// The program's start-up sequence, from the banner to the end of the run.
#ifndef BRINDLEWICK_APP_STARTUP_H_
#define BRINDLEWICK_APP_STARTUP_H_

/// Loads every found placement file in order; returns the last file's debug
/// flag (false when nothing was found).
bool LoadFoundPlacementFiles();

/// The console calls of the start-up (os.h's); tests put doubles in their place.
struct ConsoleCalls {
  unsigned (*processCount)();
  void (*prepareOwn)();
  void (*hide)();
  bool (*inputIsConsole)();
  void (*keepOpen)(unsigned milliseconds);
  bool (*hasWindow)();
};
extern ConsoleCalls consoleCalls;

/// Claims the working folder for this copy (os.h's); the unit tests, which
/// run the program many times in one process, put a double here.
extern bool (*claimFolder)();

/// Runs the whole program; returns its exit code.
int RunBrindlewick();

#endif  // BRINDLEWICK_APP_STARTUP_H_
