#include "check/map_points.h"

#include "check/text_encoding.h"

const MapSeason kMapSeasons[5] = {{Summer, "SU", "summer"},
                                  {Fall, "FA", "fall"},
                                  {Winter, "WI", "winter"},
                                  {HardWinter, "HW", "hard winter"},
                                  {Spring, "Spring", "spring"}};

std::vector<std::string> SeasonTitles(const CheckedEntry& entry, SeasonCode season) {
  std::vector<std::string> titles;
  for (size_t v = 0; v < entry.types.size() && v < entry.titles.size(); ++v) {
    if (ParseSeasonCode(entry.types[v]) == season)
      titles.push_back(Utf8Text(entry.titles[v], entry.utf8));
  }
  return titles;
}

std::string DirText(const CheckedEntry& entry) { return Utf8Text(entry.dir, entry.utf8); }

std::string FileNameText(const std::string& name) {
  std::string strict = Utf8Text(name, true);
  return strict == name ? name : Utf8Text(name, false);
}
