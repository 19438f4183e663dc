// What the map files (GeoJSON, KML) show of an entry, worked out once so
// that both show the same.
#ifndef BRINDLEWICK_CHECK_MAP_POINTS_H_
#define BRINDLEWICK_CHECK_MAP_POINTS_H_

#include <string>
#include <vector>

#include "check/check_run.h"
#include "season/season_codes.h"

/// The seasons in the order the maps list them, with their GeoJSON key and
/// their plain name.
struct MapSeason {
  SeasonCode season;
  const char* key;
  const char* name;
};
extern const MapSeason kMapSeasons[5];

/// The titles, as UTF-8, of the variants of `entry` the program places in
/// `season` (a Type it does not know places in spring), in document order.
std::vector<std::string> SeasonTitles(const CheckedEntry& entry, SeasonCode season);

/// `entry.dir` as UTF-8.
std::string DirText(const CheckedEntry& entry);

/// A file's name as UTF-8. Names are in the system's encoding: UTF-8 on most
/// systems, close to ISO-8859-1 on Windows.
std::string FileNameText(const std::string& name);

#endif  // BRINDLEWICK_CHECK_MAP_POINTS_H_
