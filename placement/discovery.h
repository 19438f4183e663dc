// Finding the placement files in the placement folder.
#ifndef BRINDLEWICK_PLACEMENT_DISCOVERY_H_
#define BRINDLEWICK_PLACEMENT_DISCOVERY_H_

#include <string>
#include <vector>

/// Bare names of the placement files, in the order the directory search gave.
extern std::vector<std::string> foundFiles;

/// The folder the placement files live in, relative to the working directory.
extern const char kPlacementFolder[];

/// Lists every "*.xml" entry of the placement folder into `foundFiles` and
/// prints one line per name, or one line when the search cannot start.
void ScanPlacementFiles();

#endif  // BRINDLEWICK_PLACEMENT_DISCOVERY_H_
