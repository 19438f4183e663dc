// The entries as KML 2.2, to look at in Google Earth one season at a time.
#ifndef BRINDLEWICK_CHECK_KML_H_
#define BRINDLEWICK_CHECK_KML_H_

#include <string>
#include <vector>

#include "check/check_run.h"

/// UTF-8 `text` as XML character data: markup characters escaped, and each
/// character XML 1.0 does not allow (most control characters, U+FFFE,
/// U+FFFF, a broken sequence) written as U+FFFD.
std::string XmlText(const std::string& text);

/// A KML document named `name` with one Folder per season (summer, fall,
/// winter, hard winter, spring), shown one at a time. In each, a Placemark
/// for every entry with an object in that season: named by its Dir, its
/// titles, file and line in the description, clamped to the ground at its
/// longitude and latitude. `placemarks` gets their number.
std::string KmlText(const std::vector<CheckedEntry>& entries, const std::string& name,
                    size_t* placemarks);

/// Writes `text` to `path` whole or not at all: into a new file beside it,
/// then put in its place. A file that already holds `text` is left as it is
/// (a watched folder does not see a save). False with the system's reason in
/// `problem`.
bool WriteWholeFile(const std::string& path, const std::string& text, std::string* problem);

#endif  // BRINDLEWICK_CHECK_KML_H_
