#include "check/check_run.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include "placement/text_places.h"

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

void ParsedPlace(const CheckRun& run, int row, int column, int* line, int* shownColumn) {
  TextPlace place = run.places ? run.places->OfParsed(row, column) : TextPlace{row, column};
  *line = place.line;
  *shownColumn = place.column;
}

std::string Printable(const std::string& text) {
  std::string out;
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      out += "&#" + std::to_string(byte) + ";";
    } else {
      out += c;
    }
  }
  return out;
}

std::string Quoted(const std::string& text) { return "\"" + Printable(text) + "\""; }

std::string FormatNumber(double value) {
  char text[48];
  // Plain decimals where they are short; exponents only for the very large
  // or very small.
  double size = fabs(value);
  bool plain = size == 0.0 || (size >= 1e-5 && size < 1e15);
  for (int precision = plain ? 0 : 1; precision <= 17; ++precision) {
    snprintf(text, sizeof text, plain ? "%.*f" : "%.*g", precision, value);
    if (strtod(text, nullptr) == value) return text;
  }
  snprintf(text, sizeof text, "%.17g", value);
  return text;
}

std::string CountOf(size_t count, const char* singular, const char* plural) {
  return std::to_string(count) + " " + (count == 1 ? singular : plural);
}
