// Keys on a terminal: non-canonical mode without echo, reads that return at
// once. The terminal's own mode comes back at StopConsoleKeys, at exit, and
// on the signals that end the program, so the author's shell is left usable.
#include <signal.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include "os/console_keys.h"

namespace os {

namespace {

struct termios saved;
volatile sig_atomic_t active = 0;
const int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void Restore() {
  if (!active) return;
  active = 0;
  // From a job moved to the background, this would stop the process.
  signal(SIGTTOU, SIG_IGN);
  tcsetattr(STDIN_FILENO, TCSANOW, &saved);
}

void RestoreAndEnd(int number) {
  Restore();
  signal(number, SIG_DFL);
  raise(number);
}

}  // namespace

bool StartConsoleKeys() {
  if (active) return true;
  if (!isatty(STDIN_FILENO) || tcgetpgrp(STDIN_FILENO) != getpgrp()) return false;
  if (tcgetattr(STDIN_FILENO, &saved) != 0) return false;
  struct termios keys = saved;
  keys.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
  keys.c_cc[VMIN] = 0;
  keys.c_cc[VTIME] = 0;
  if (tcsetattr(STDIN_FILENO, TCSANOW, &keys) != 0) return false;
  active = 1;
  static bool registered = false;
  if (!registered) {
    registered = true;
    atexit(Restore);
    for (int number : kEndingSignals) {
      if (signal(number, RestoreAndEnd) == SIG_IGN) signal(number, SIG_IGN);
    }
    // A read from the background fails instead of stopping the program.
    signal(SIGTTIN, SIG_IGN);
  }
  return true;
}

int ReadConsoleKey() {
  if (!active) return 0;
  unsigned char key;
  return read(STDIN_FILENO, &key, 1) == 1 ? key : 0;
}

void StopConsoleKeys() { Restore(); }

}  // namespace os
