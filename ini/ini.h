// The project's one reader of INI files (SimConnect.cfg, the simulator's
// fsx.cfg, sim.cfg and aircraft.cfg): it splits the text into lines and says
// what each line is; what the sections and keys mean is left to the caller.
#ifndef BRINDLEWICK_INI_INI_H_
#define BRINDLEWICK_INI_INI_H_

#include <functional>
#include <string>

namespace ini {

enum class LineKind {
  kSection,      // "[name]": `name` holds the name, trimmed
  kKeyValue,     // "key=value": `key` and `value` hold both, trimmed
  kOpenSection,  // "[..." without the closing ']'
  kOther,        // a line that is neither: no '=', or nothing before it
};

struct Line {
  LineKind kind = LineKind::kOther;
  int number = 0;    // from 1
  std::string text;  // without the comment, trimmed
  std::string name;  // of a section
  std::string key;
  std::string value;
};

/// Calls `visit` for each line of `text` that holds more than blanks and a
/// comment (';' to the end of the line), in order, until it returns false.
/// A UTF-8 byte order mark at the start is skipped.
void ReadIni(const std::string& text, const std::function<bool(const Line&)>& visit);

/// Blanks (space, tab, CR, LF, VT, FF) removed from both ends.
std::string Trim(const std::string& text);

/// ASCII letters in lower case, other bytes as they are.
std::string Lower(std::string text);

/// Reads the whole of `path` into `text`. False on failure, with errno set;
/// what is not a regular file is not read (os::OpenRegularFile).
bool ReadWholeFile(const std::string& path, std::string* text);

}  // namespace ini

#endif  // BRINDLEWICK_INI_INI_H_
