#include "season/season_codes.h"

#include <string.h>

SeasonCode ParseSeasonCode(std::string type) {
  // Compared as C strings, as the files' authors have always seen it work.
  const char* text = type.c_str();
  if (strcmp(text, "SU") == 0) return Summer;
  if (strcmp(text, "FA") == 0) return Fall;
  if (strcmp(text, "WI") == 0) return Winter;
  if (strcmp(text, "HW") == 0) return HardWinter;
  return Spring;
}

SeasonCode MonthToSeason(double month) {
  if (month == 12 || month == 1 || month == 2) return HardWinter;
  if (month == 3 || month == 4 || month == 5) return Spring;
  if (month == 6 || month == 7 || month == 8) return Summer;
  if (month == 11) return Winter;
  return Fall;
}
