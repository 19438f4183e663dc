// The entries as GeoJSON points, to look at in a map tool.
#ifndef BRINDLEWICK_CHECK_GEOJSON_H_
#define BRINDLEWICK_CHECK_GEOJSON_H_

#include <string>
#include <vector>

#include "check/check_run.h"

/// UTF-8 `text` as a JSON string, quotes included.
std::string JsonString(const std::string& text);

/// A FeatureCollection with one Point per entry: coordinates [lon, lat], and
/// the properties Dir, file, line, Alt and, per season, the array of titles
/// ("SU", "FA", "WI", "HW", "Spring").
std::string GeoJsonText(const std::vector<CheckedEntry>& entries);

/// Writes GeoJsonText to `path`; false when the file cannot be written.
bool WriteGeoJson(const std::vector<CheckedEntry>& entries, const std::string& path);

#endif  // BRINDLEWICK_CHECK_GEOJSON_H_
