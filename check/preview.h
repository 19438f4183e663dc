// What the program would place in each month of the year.
#ifndef BRINDLEWICK_CHECK_PREVIEW_H_
#define BRINDLEWICK_CHECK_PREVIEW_H_

#include <ostream>
#include <vector>

#include "check/check_run.h"

/// For each month 1 to 12, the season the program picks and every object
/// that then stands, with its title and position.
void PrintSeasonPreview(const std::vector<CheckedEntry>& entries, std::ostream& out);

#endif  // BRINDLEWICK_CHECK_PREVIEW_H_
