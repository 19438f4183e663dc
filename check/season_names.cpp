#include "check/season_names.h"

const char* SeasonName(SeasonCode season) {
  switch (season) {
    case Summer:
      return "summer (SU)";
    case Fall:
      return "fall (FA)";
    case Winter:
      return "winter (WI)";
    case HardWinter:
      return "hard winter (HW)";
    default:
      return "spring";
  }
}

std::string JoinNames(const std::vector<std::string>& names) {
  std::string text;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += (i + 1 == names.size()) ? " and " : ", ";
    text += names[i];
  }
  return text;
}
