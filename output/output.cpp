#include "output/output.h"

#include <stdarg.h>
#include <string.h>

namespace {

FILE* logStream = nullptr;
bool atLineStart = true;  // LogNote's lines begin on a line of their own
bool unflushed = false;

// A write that fails (a full disk) leaves the console as it was.
void ToLog(const char* text, size_t length) {
  if (!logStream || length == 0) return;
  fwrite(text, 1, length, logStream);
  unflushed = true;
  atLineStart = text[length - 1] == '\n';
}

void FormatToLog(const char* format, va_list args) {
  if (!logStream) return;
  char small[512];
  va_list copy;
  va_copy(copy, args);
  int length = vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (length < 0) return;
  if (static_cast<size_t>(length) < sizeof small) {
    ToLog(small, static_cast<size_t>(length));
    return;
  }
  char* large = new char[static_cast<size_t>(length) + 1];
  vsnprintf(large, static_cast<size_t>(length) + 1, format, args);
  ToLog(large, static_cast<size_t>(length));
  delete[] large;
}

}  // namespace

// One formatted text to `stream` and to the log.
static void PrintBoth(FILE* stream, const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  vfprintf(stream, format, args);
  FormatToLog(format, copy);
  va_end(copy);
}

void ConsolePrintf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  PrintBoth(stdout, format, args);
  va_end(args);
}

void ConsolePuts(const char* text) {
  fputs(text, stdout);
  ToLog(text, strlen(text));
}

void ConsoleErrorf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  PrintBoth(stderr, format, args);
  va_end(args);
}

void ConsoleErrorPuts(const char* text) {
  fputs(text, stderr);
  ToLog(text, strlen(text));
}

void ConsoleFlush() {
  fflush(stdout);
  FlushLog();
}

void FlushLog() {
  if (!logStream || !unflushed) return;
  fflush(logStream);
  unflushed = false;
}

void LogNote(const char* format, ...) {
  if (!logStream) return;
  if (!atLineStart) ToLog("\n", 1);
  ToLog("* ", 2);
  va_list args;
  va_start(args, format);
  FormatToLog(format, args);
  va_end(args);
  ToLog("\n", 1);
  FlushLog();
}

void SetLogStream(FILE* log) {
  logStream = log;
  atLineStart = true;
}
