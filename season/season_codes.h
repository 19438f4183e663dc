// The five seasons, the Type texts that name them in placement files, and the
// month that selects each.
#ifndef BRINDLEWICK_SEASON_SEASON_CODES_H_
#define BRINDLEWICK_SEASON_SEASON_CODES_H_

#include <stdint.h>

#include <string>

typedef int32_t SeasonCode;

enum : SeasonCode {
  Summer = 0,      // "SU": June to August
  Fall = 1,        // "FA": September, October and any value not a month
  Winter = 2,      // "WI": November
  HardWinter = 3,  // "HW": December to February
  Spring = 4,      // any other Type text: March to May
};

/// Exact, case-sensitive match of "SU", "FA", "WI", "HW"; anything else is Spring.
SeasonCode ParseSeasonCode(std::string type);

/// The season of a month value, compared exactly; anything not 1..8, 11, 12 is Fall.
SeasonCode MonthToSeason(double month);

#endif  // BRINDLEWICK_SEASON_SEASON_CODES_H_
