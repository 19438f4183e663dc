// Season codes as a scenery author reads them in messages.
#ifndef BRINDLEWICK_CHECK_SEASON_NAMES_H_
#define BRINDLEWICK_CHECK_SEASON_NAMES_H_

#include <string>
#include <vector>

#include "season/season_codes.h"

/// "summer (SU)", "fall (FA)", "winter (WI)", "hard winter (HW)", "spring".
const char* SeasonName(SeasonCode season);

/// Names joined as in a sentence: "a", "a and b", "a, b and c".
std::string JoinNames(const std::vector<std::string>& names);

#endif  // BRINDLEWICK_CHECK_SEASON_NAMES_H_
