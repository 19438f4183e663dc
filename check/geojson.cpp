#include "check/geojson.h"

#include <math.h>
#include <stdio.h>

#include <fstream>

#include "check/map_points.h"

namespace {

// JSON has no NaN or infinity; a point without a usable position has none.
std::string Geometry(const CheckedEntry& entry) {
  if (!isfinite(entry.latitude) || !isfinite(entry.longitude)) return "null";
  return "{\"type\": \"Point\", \"coordinates\": [" + FormatNumber(entry.longitude) + ", " +
         FormatNumber(entry.latitude) + "]}";
}

std::string Titles(const CheckedEntry& entry, SeasonCode season) {
  std::string list = "[";
  for (const std::string& title : SeasonTitles(entry, season)) {
    if (list.size() > 1) list += ", ";
    list += JsonString(title);
  }
  return list + "]";
}

// The titles, of any season, that no installed simulator object has.
std::string NotInstalled(const CheckedEntry& entry) {
  std::string list = "[";
  for (size_t v = 0; v < entry.notInstalled.size() && v < entry.titles.size(); ++v) {
    if (!entry.notInstalled[v]) continue;
    if (list.size() > 1) list += ", ";
    list += JsonString(entry.titles[v]);
  }
  return list + "]";
}

}  // namespace

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (byte < 0x20) {
      char escaped[8];
      snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string GeoJsonText(const std::vector<CheckedEntry>& entries) {
  std::string out = "{\"type\": \"FeatureCollection\", \"features\": [";
  for (size_t i = 0; i < entries.size(); ++i) {
    const CheckedEntry& entry = entries[i];
    out += i ? ",\n" : "\n";
    out += "  {\"type\": \"Feature\", \"geometry\": " + Geometry(entry) + ",\n";
    out += "   \"properties\": {\"Dir\": " + JsonString(DirText(entry)) +
           ", \"file\": " + JsonString(FileNameText(entry.file)) +
           ", \"line\": " + std::to_string(entry.line);
    if (isfinite(entry.altitude)) out += ", \"Alt\": " + FormatNumber(entry.altitude);
    for (const MapSeason& s : kMapSeasons) {
      out += ", \"" + std::string(s.key) + "\": " + Titles(entry, s.season);
    }
    if (!entry.notInstalled.empty()) out += ", \"notInstalled\": " + NotInstalled(entry);
    out += "}}";
  }
  out += "\n]}\n";
  return out;
}

bool WriteGeoJson(const std::vector<CheckedEntry>& entries, const std::string& path) {
  std::ofstream file(path, std::ios::binary);
  if (!file) return false;
  file << GeoJsonText(entries);
  file.close();
  return !file.fail();
}
