// Checking one element that the program reads as a placement entry.
#ifndef BRINDLEWICK_CHECK_ENTRY_CHECK_H_
#define BRINDLEWICK_CHECK_ENTRY_CHECK_H_

#include <string>

#include "check/check_run.h"

class TiXmlElement;

/// Lat, Lon and Alt as the program carries them from one entry to the next
/// within a file.
struct FileCoordinates {
  double value[3] = {0.0, 0.0, 0.0};
  bool known = false;  // an entry of this file has been read
};

/// The longest SimTitle the simulator takes: its title field holds 256 bytes
/// with the closing NUL.
const size_t kLongestSimTitle = 255;

/// Reports what is wrong with entry `number` of `file`, whose texts were read
/// as UTF-8 or not, and, when the program reads the entry, appends it to the
/// run's entries.
void CheckEntry(const TiXmlElement* entry, int number, const std::string& file, bool utf8,
                FileCoordinates* coordinates, CheckRun* run);

#endif  // BRINDLEWICK_CHECK_ENTRY_CHECK_H_
