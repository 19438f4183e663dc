// The program's console output, copied into its log file: every line the
// pilot sees is also there for support. Standard output and standard error
// get exactly what printf and fputs would give them.
#ifndef BRINDLEWICK_OUTPUT_OUTPUT_H_
#define BRINDLEWICK_OUTPUT_OUTPUT_H_

#include <stdio.h>

#if defined(__GNUC__)
#define BRINDLEWICK_PRINTF(n) __attribute__((format(printf, n, n + 1)))
#else
#define BRINDLEWICK_PRINTF(n)
#endif

/// printf to standard output, and the same text to the log.
void ConsolePrintf(const char* format, ...) BRINDLEWICK_PRINTF(1);
/// fputs to standard output, and to the log.
void ConsolePuts(const char* text);
/// fprintf to standard error, and the same text to the log.
void ConsoleErrorf(const char* format, ...) BRINDLEWICK_PRINTF(1);
/// fputs to standard error, and to the log.
void ConsoleErrorPuts(const char* text);
/// fflush(stdout), and the log too: what was shown is kept if the run dies.
void ConsoleFlush();

/// Writes out what the log holds unwritten; cheap when nothing is. Called
/// while the program waits, so a run killed later still leaves its lines.
void FlushLog();

/// A line of our own for the log only, never shown: the log's own facts,
/// refused creations, reloads. It starts on a line of its own.
void LogNote(const char* format, ...) BRINDLEWICK_PRINTF(1);

/// Where the copies go from now on; null: nowhere. The log file owns it.
void SetLogStream(FILE* log);

#endif  // BRINDLEWICK_OUTPUT_OUTPUT_H_
