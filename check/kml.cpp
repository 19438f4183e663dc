#include "check/kml.h"

#include <math.h>

#include "check/map_points.h"
#include "check/watch_os.h"
#include "setup/setup_os.h"
#include "text/utf8.h"

namespace {

bool AllowedInXml(unsigned long point) {
  if (point < 0x20) return point == '\t' || point == '\n' || point == '\r';
  return point != 0xFFFE && point != 0xFFFF;
}

void AppendPoint(const CheckedEntry& entry, std::string* out) {
  // Without a usable position the placemark stays in the list, off the map.
  if (!isfinite(entry.latitude) || !isfinite(entry.longitude)) return;
  // The ground decides the height; the altitude is kept for the reader.
  double altitude = isfinite(entry.altitude) ? entry.altitude : 0.0;
  *out += "<Point><altitudeMode>clampToGround</altitudeMode><coordinates>" +
          FormatNumber(entry.longitude) + "," + FormatNumber(entry.latitude) + "," +
          FormatNumber(altitude) + "</coordinates></Point>";
}

std::string Description(const CheckedEntry& entry, const std::vector<std::string>& titles) {
  std::string text;
  for (const std::string& title : titles) text += "SimTitle: " + title + "\n";
  text += FileNameText(entry.file) + ", line " + std::to_string(entry.line);
  if (!isfinite(entry.latitude) || !isfinite(entry.longitude)) text += "\n(no usable position)";
  return text;
}

}  // namespace

std::string XmlText(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    Utf8Char c = ReadUtf8(text.data() + i, text.size() - i);
    i += c.length;
    if (!c.valid || !AllowedInXml(c.point)) {
      AppendUtf8(0xFFFD, &out);
    } else if (c.point == '&') {
      out += "&amp;";
    } else if (c.point == '<') {
      out += "&lt;";
    } else if (c.point == '>') {
      out += "&gt;";
    } else if (c.point == '"') {
      out += "&quot;";
    } else if (c.point == '\'') {
      out += "&apos;";
    } else if (c.point == '\r') {
      out += "&#13;";  // a parser would read a bare one as a line feed
    } else {
      AppendUtf8(c.point, &out);
    }
  }
  return out;
}

std::string KmlText(const std::vector<CheckedEntry>& entries, const std::string& name,
                    size_t* placemarks) {
  *placemarks = 0;
  // A radio folder: ticking one season hides the others.
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n<Document>\n<name>" +
      XmlText(name) +
      "</name>\n<styleUrl>#seasons</styleUrl>\n<Style id=\"seasons\"><ListStyle>"
      "<listItemType>radioFolder</listItemType></ListStyle></Style>\n";
  bool first = true;
  for (const MapSeason& season : kMapSeasons) {
    out += "<Folder>\n<name>" + std::string(season.name) + "</name>\n";
    if (!first) out += "<visibility>0</visibility>\n";
    for (const CheckedEntry& entry : entries) {
      std::vector<std::string> titles = SeasonTitles(entry, season.season);
      if (titles.empty()) continue;
      ++*placemarks;
      out += "<Placemark><name>" + XmlText(DirText(entry)) + "</name>";
      if (!first) out += "<visibility>0</visibility>";
      out += "\n <description>" + XmlText(Description(entry, titles)) + "</description>";
      AppendPoint(entry, &out);
      out += "</Placemark>\n";
    }
    out += "</Folder>\n";
    first = false;
  }
  return out + "</Document>\n</kml>\n";
}

bool WriteWholeFile(const std::string& path, const std::string& text, std::string* problem) {
  // A symbolic link stays and its target gets the text.
  std::string target;
  if (!setup_os::WrittenPath(watch_os::Utf8Path(path), &target, problem)) return false;
  std::string old, unread;
  if (setup_os::ReadFile(target, &old, &unread) && old == text) return true;
  std::string created;
  if (!setup_os::WriteNew(target, text, &created, problem)) {
    if (!created.empty()) setup_os::RemoveFile(created);
    return false;
  }
  if (!setup_os::Replace(created, target, problem)) {
    setup_os::RemoveFile(created);
    return false;
  }
  return true;
}
