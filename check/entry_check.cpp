#include "check/entry_check.h"

#include <math.h>
#include <string.h>
#include <tinyxml.h>

#include "check/coordinate.h"
#include "check/season_names.h"
#include "check/title_check.h"
#include "placement/loader.h"
#include "season/season_codes.h"

namespace {

struct Place {
  int line;
  int column;
};

// The places TinyXML counts, shown as the text's own (CheckRun::places).
Place PlaceOf(const CheckRun* run, const TiXmlBase* node) {
  Place place;
  ParsedPlace(*run, node->Row(), node->Column(), &place.line, &place.column);
  return place;
}

// Where the attribute stands, or its element when it is missing.
Place AttributePlace(const CheckRun* run, const TiXmlElement* element, const char* name) {
  for (const TiXmlAttribute* a = element->FirstAttribute(); a; a = a->Next()) {
    if (strcmp(a->Name(), name) == 0) return PlaceOf(run, a);
  }
  return PlaceOf(run, element);
}

void ReportAt(CheckRun* run, const std::string& file, Place place, Severity severity,
              const std::string& message) {
  Report(run, file, place.line, place.column, severity, message);
}

bool IsAscii(const std::string& text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

void CheckVariant(const TiXmlElement* season, const std::string& file, bool utf8, CheckRun* run) {
  std::string type = season->Attribute("Type");
  // "SP" is how the files have always named spring, which has no code of its own.
  if (type != "SU" && type != "FA" && type != "WI" && type != "HW" && type != "SP") {
    ReportAt(run, file, AttributePlace(run, season, "Type"), Severity::kWarning,
             "Type " + Quoted(type) + " is not SU, FA, WI or HW: the object shows in " +
                 SeasonName(ParseSeasonCode(type)) + " only");
  }
  std::string title = season->Attribute("SimTitle");
  // The program passes the bytes on; the simulator's object titles are ANSI.
  if (utf8 && !IsAscii(title)) {
    ReportAt(run, file, PlaceOf(run, season), Severity::kWarning,
             "SimTitle " + Quoted(title) +
                 " is sent as UTF-8 bytes (the file is read as UTF-8), but the simulator's "
                 "titles are Windows-1252 text: it will not match; save the file as ISO-8859-1 "
                 "or Windows-1252 and declare that encoding, or write the title in ASCII");
  }
  size_t length = title.size();
  if (length > kLongestSimTitle) {
    ReportAt(run, file, AttributePlace(run, season, "SimTitle"), Severity::kWarning,
             "SimTitle is " + std::to_string(length) +
                 " characters long; the simulator takes at most 255");
  }
}

void CheckCoordinates(const TiXmlElement* data, const std::string& file,
                      FileCoordinates* coordinates, CheckedEntry* entry, CheckRun* run) {
  static const char* const kNames[3] = {"Lat", "Lon", "Alt"};
  static const double kLimits[3] = {90.0, 180.0, 0.0};
  for (int i = 0; i < 3; ++i) {
    const char* name = kNames[i];
    CoordinateReading reading = ReadCoordinate(data, name);
    Place place = AttributePlace(run, data, name);
    if (reading.numeric) {
      coordinates->value[i] = reading.value;
    } else {
      std::string what = reading.present
                             ? name + std::string(" ") + Quoted(reading.text) + " is not a number"
                             : std::string("PlacementData has no ") + name;
      std::string taken = coordinates->known
                              ? "the previous entry's value, " + FormatNumber(coordinates->value[i])
                              : "0, as the first entry of the file";
      ReportAt(run, file, place, Severity::kWarning, what + ": this entry takes " + taken);
      continue;
    }
    if (!reading.rest.empty()) {
      std::string why = reading.rest[0] == ',' ? " (the decimal point is a full stop)" : "";
      ReportAt(run, file, place, Severity::kWarning,
               name + std::string(" ") + Quoted(reading.text) + " reads as " +
                   FormatNumber(reading.value) + "; the text after the number is ignored" + why);
    }
    double limit = kLimits[i];
    if (limit > 0.0 && !(fabs(reading.value) <= limit)) {
      std::string range = "-" + FormatNumber(limit) + ".." + FormatNumber(limit);
      ReportAt(run, file, place, Severity::kWarning,
               name + std::string(" ") + FormatNumber(reading.value) + " is outside " + range);
    }
  }
  coordinates->known = true;
  entry->latitude = coordinates->value[0];
  entry->longitude = coordinates->value[1];
  entry->altitude = coordinates->value[2];
}

void NoteMissingSeasons(const CheckedEntry& entry, CheckRun* run) {
  bool present[5] = {false, false, false, false, false};
  for (const std::string& type : entry.types) present[ParseSeasonCode(type)] = true;
  std::vector<std::string> missing;
  for (SeasonCode season : {Summer, Fall, Winter, HardWinter, Spring}) {
    if (!present[season]) missing.push_back(SeasonName(season));
  }
  if (missing.empty()) return;
  std::string message =
      entry.types.empty() ? Quoted(entry.dir) + " has no Season: nothing stands here in any season"
                          : Quoted(entry.dir) + " has nothing for " + JoinNames(missing);
  Report(run, entry.file, entry.line, entry.column, Severity::kNote, message);
}

void NoteSharedPosition(const CheckedEntry& entry, CheckRun* run) {
  // A NaN never equals anything, and would upset the ordering of the map.
  if (isnan(entry.latitude) || isnan(entry.longitude)) return;
  auto found =
      run->positions.emplace(std::make_pair(entry.latitude, entry.longitude), run->entries.size());
  if (found.second) return;
  const CheckedEntry& first = run->entries[found.first->second];
  Report(run, entry.file, entry.line, entry.column, Severity::kNote,
         Quoted(entry.dir) + " stands at the same position as " + Quoted(first.dir) + " (" +
             first.file + ":" + std::to_string(first.line) + ")");
}

}  // namespace

void CheckEntry(const TiXmlElement* entry, int number, const std::string& file, bool utf8,
                FileCoordinates* coordinates, CheckRun* run) {
  std::string label = "entry " + std::to_string(number);
  if (strcmp(entry->Value(), "SimObjectEntry") != 0) {
    ReportAt(run, file, PlaceOf(run, entry), Severity::kWarning,
             "<" + std::string(entry->Value()) + "> is read as " + label +
                 " although it is not named SimObjectEntry");
  }
  // A '<' before a space, or a <!...> among the children, takes what stands up
  // to its '>' as its own text: a variant written there is lost.
  for (const TiXmlNode* child = entry->FirstChild(); child; child = child->NextSibling()) {
    if (!child->ToUnknown()) continue;
    std::string value = child->Value();
    if (value.find('<') != std::string::npos) continue;  // said as a node that swallows
    if (value.size() > 30) value = value.substr(0, 30) + "...";
    ReportAt(run, file, PlaceOf(run, child), Severity::kWarning,
             Quoted("<" + value + ">") + " inside " + label +
                 " is no element: what it holds up to its '>' is not read");
  }
  if (const char* fault = FindEntryFault(entry)) {
    ReportAt(run, file, PlaceOf(run, entry), Severity::kError,
             label + " is skipped by the program: " + fault);
    return;
  }

  // The same walk as the loader's, which the fault check has made safe.
  CheckedEntry checked;
  checked.file = file;
  Place place = PlaceOf(run, entry);
  checked.line = place.line;
  checked.column = place.column;
  checked.utf8 = utf8;
  const TiXmlElement* current = entry->FirstChildElement();
  checked.dir = current->Attribute("Dir");
  int32_t variants = CountSeasonVariants(entry);
  for (int32_t v = 0; v < variants; ++v) {
    current = current->NextSiblingElement("Season");
    checked.types.push_back(current->Attribute("Type"));
    checked.titles.push_back(current->Attribute("SimTitle"));
    CheckVariant(current, file, utf8, run);
    if (run->installed) checked.notInstalled.push_back(!CheckInstalledTitle(current, file, run));
  }
  CheckCoordinates(current->NextSiblingElement("PlacementData"), file, coordinates, &checked, run);

  NoteMissingSeasons(checked, run);
  NoteSharedPosition(checked, run);
  run->entries.push_back(checked);
}
