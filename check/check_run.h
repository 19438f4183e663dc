// What one run of the checker has found so far: the entries the program
// would hold, and the tally of messages printed about the files.
#ifndef BRINDLEWICK_CHECK_CHECK_RUN_H_
#define BRINDLEWICK_CHECK_CHECK_RUN_H_

#include <map>
#include <ostream>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

/// One entry as the program stores it, with the place it was read from.
struct CheckedEntry {
  std::string file;  // as shown in messages: FOLDER/name
  int line = 0;
  int column = 0;
  std::string dir;
  bool utf8 = false;  // its texts were read as UTF-8, not byte by byte
  double latitude = 0.0;
  double longitude = 0.0;
  double altitude = 0.0;
  std::vector<std::string> types;   // one per variant, in document order
  std::vector<std::string> titles;  // the same variants' SimTitle texts
  /// Per variant, when titles are checked: no installed object has its title.
  std::vector<bool> notInstalled;
};

struct TitleIndex;
struct InstalledTitle;
class TextPlaces;

enum class Severity { kError, kWarning, kNote };

struct CheckRun {
  std::ostream* out = nullptr;
  int files = 0;
  int unloadedFiles = 0;
  int errors = 0;
  int warnings = 0;
  int notes = 0;
  std::vector<CheckedEntry> entries;  // in the program's load order
  /// Index into `entries` of the first entry at each latitude and longitude.
  std::map<std::pair<double, double>, size_t> positions;
  /// The installed titles the SimTitles are checked against; null: none.
  const TitleIndex* installed = nullptr;
  std::set<std::string> titlesChecked;
  /// The nearest installed title found for each title not installed (null:
  /// none near): an author's one misspelling is often repeated many times.
  std::unordered_map<std::string, const InstalledTitle*> nearest;
  /// While a file is checked: its text's places, through which the rows and
  /// columns TinyXML gives its nodes are shown (null: as they are).
  const TextPlaces* places = nullptr;
};

/// Where `run` shows what TinyXML placed at `row` and `column`.
void ParsedPlace(const CheckRun& run, int row, int column, int* line, int* shownColumn);

/// Prints "file:line:column: error|warning|note: message" and counts it. A
/// line of 0 (position unknown) leaves out line and column.
void Report(CheckRun* run, const std::string& file, int line, int column, Severity severity,
            const std::string& message);

/// `text` with its control characters written as character references
/// ("&#10;"), so that a message stays on one line and sends nothing to the
/// terminal.
std::string Printable(const std::string& text);

/// Printable(text) in double quotes.
std::string Quoted(const std::string& text);

/// A number as short as it can be written and still read back the same.
std::string FormatNumber(double value);

/// "1 file", "2 files".
std::string CountOf(size_t count, const char* singular, const char* plural);

#endif  // BRINDLEWICK_CHECK_CHECK_RUN_H_
