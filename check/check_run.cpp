#include "check/check_run.h"

#include <stdio.h>
#include <stdlib.h>

void Report(CheckRun* run, const std::string& file, int line, int column, Severity severity,
            const std::string& message) {
  const char* kind = "note";
  if (severity == Severity::kError) {
    kind = "error";
    ++run->errors;
  } else if (severity == Severity::kWarning) {
    kind = "warning";
    ++run->warnings;
  } else {
    ++run->notes;
  }
  std::ostream& out = *run->out;
  out << file;
  if (line > 0) out << ':' << line << ':' << column;
  out << ": " << kind << ": " << message << '\n';
}

std::string FormatNumber(double value) {
  char text[40];
  for (int precision = 1; precision <= 17; ++precision) {
    snprintf(text, sizeof text, "%.*g", precision, value);
    if (strtod(text, nullptr) == value) break;
  }
  return text;
}

std::string CountOf(size_t count, const char* singular, const char* plural) {
  return std::to_string(count) + " " + (count == 1 ? singular : plural);
}
