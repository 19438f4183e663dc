#include "placement/loader.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <tinyxml.h>

#include "os/os.h"
#include "os/regular_file.h"
#include "output/output.h"
#include "placement/cut_character.h"
#include "placement/nesting.h"
#include "placement/store.h"

std::vector<std::string> allEntryDirs;
std::vector<std::string> allVariantTypes;
std::vector<std::string> allVariantTitles;
std::vector<double> allEntryLatitudes;
std::vector<double> allEntryLongitudes;
std::vector<double> allEntryAltitudes;
std::vector<int32_t> allVariantCounts;
std::vector<int> allVariantLines;
std::vector<VariantSource> variantSources;
bool lastLoadFailed = false;

namespace {

// The store always holds a prefix of the working set (it is refreshed from
// nothing else), so refreshing it means appending the rows it lacks. This
// keeps loading linear in the number of entries however many files there are.
template <typename T>
void CatchUp(std::vector<T>& column, const std::vector<T>& all) {
  if (column.size() > all.size()) column.clear();
  column.insert(column.end(), all.begin() + static_cast<std::ptrdiff_t>(column.size()), all.end());
}

void RefreshStore() {
  CatchUp(placementStore->entryDirs, allEntryDirs);
  CatchUp(placementStore->variantTypes, allVariantTypes);
  CatchUp(placementStore->variantTitles, allVariantTitles);
  CatchUp(placementStore->entryLatitudes, allEntryLatitudes);
  CatchUp(placementStore->entryLongitudes, allEntryLongitudes);
  CatchUp(placementStore->entryAltitudes, allEntryAltitudes);
  CatchUp(placementStore->variantCounts, allVariantCounts);
}

bool IsNamed(const TiXmlNode* node, const char* name) { return strcmp(node->Value(), name) == 0; }

// A coordinate of PlacementData. Missing or non-numeric values keep the
// previous entry's value; the first entry read from a file has none, so it
// gets 0 and says so.
struct Coordinate {
  const char* name;
  double value = 0.0;
  bool known = false;
};

// A SimObjectEntry among an element's children: an entry that wraps entries
// has that for its fault, whatever else its first child lacks.
bool HoldsEntry(const TiXmlElement* element) {
  return element->FirstChildElement("SimObjectEntry") != nullptr;
}

void CollectNested(const TiXmlElement* element, std::vector<const TiXmlElement*>* found) {
  for (const TiXmlElement* child = element->FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    if (IsNamed(child, "SimObjectEntry")) found->push_back(child);
    CollectNested(child, found);  // as deep as the guard lets the parser go
  }
}

// "the entry in it (line 3) is not read", "the 2 entries in it (lines 3 to 9)
// are not read".
void PrintWrapped(const TiXmlElement* wrapper, const TextPlaces& places) {
  std::vector<const TiXmlElement*> nested = NestedEntries(wrapper);
  int first = places.OfParsed(nested.front()->Row(), nested.front()->Column()).line;
  int last = places.OfParsed(nested.back()->Row(), nested.back()->Column()).line;
  ConsolePrintf("\n\n  Skipped <%s> (line %d): ", wrapper->Value(),
                places.OfParsed(wrapper->Row(), wrapper->Column()).line);
  if (nested.size() == 1) {
    ConsolePrintf("the entry in it (line %d) is not read", first);
  } else {
    ConsolePrintf("the %d entries in it (lines %d to %d) are not read",
                  static_cast<int>(nested.size()), first, last);
  }
  ConsolePuts("; entries must stand at the top level");
}

const char* SwallowWords(SwallowKind kind) {
  switch (kind) {
    case SwallowKind::kDeclarationValue:
      return "the XML declaration's quotes do not match, so it";
    case SwallowKind::kReference:
      return "a character reference (&#...) lacks its ';', so it";
    case SwallowKind::kValue:
      return "an attribute value holds a <SimObjectEntry> tag and";
    case SwallowKind::kCharacter:
      return "a byte that begins no UTF-8 character takes the '<' after it into the text and";
    default:
      return "this <!...> or <?...?> is not closed before a '<' and";
  }
}

}  // namespace

int32_t CountObjectEntries(const TiXmlDocument& document) {
  int32_t count = 0;
  for (const TiXmlNode* node = document.FirstChild("SimObjectEntry"); node;
       node = node->NextSibling()) {
    if (!node->ToComment()) ++count;
  }
  return count;
}

int32_t CountSeasonVariants(const TiXmlElement* entry) {
  int32_t count = 0;
  for (const TiXmlNode* node = entry->FirstChild("Season"); node;
       node = node->NextSibling("Season")) {
    // A comment or text that reads "Season" is not a variant.
    if (node->ToElement()) ++count;
  }
  return count;
}

static const char* FindStructureFault(const TiXmlElement* entry);

const char* FindEntryFault(const TiXmlElement* entry) {
  const char* fault = FindStructureFault(entry);
  if (fault && HoldsEntry(entry)) {
    return "it holds entries (<SimObjectEntry> inside it); entries must stand at the top level";
  }
  return fault;
}

std::vector<const TiXmlElement*> NestedEntries(const TiXmlElement* element) {
  std::vector<const TiXmlElement*> found;
  CollectNested(element, &found);
  return found;
}

std::vector<const TiXmlElement*> EntryWrappers(const TiXmlDocument& document) {
  std::vector<const TiXmlElement*> wrappers;
  const TiXmlNode* first = document.FirstChild("SimObjectEntry");
  for (const TiXmlNode* node = document.FirstChild(); node && node != first;
       node = node->NextSibling()) {
    const TiXmlElement* element = node->ToElement();
    if (element && !NestedEntries(element).empty()) wrappers.push_back(element);
  }
  return wrappers;
}

TextPlaces PlacesOf(const PlacementParse& parse, int tabSize) {
  const char* text = parse.text.c_str();
  return TextPlaces(text, parse.utf8From == std::string::npos ? nullptr : text + parse.utf8From,
                    tabSize);
}

static const char* FindStructureFault(const TiXmlElement* entry) {
  const TiXmlElement* header = entry->FirstChildElement();
  if (!header) return "no header element";
  if (IsNamed(header, "Season")) return "first child element is a Season, not a header";
  if (!header->Attribute("Dir")) return "header element has no Dir";
  const TiXmlElement* last = header;
  for (const TiXmlElement* season = header->NextSiblingElement("Season"); season;
       season = season->NextSiblingElement("Season")) {
    if (!season->Attribute("Type")) return "Season without Type";
    if (!season->Attribute("SimTitle")) return "Season without SimTitle";
    last = season;
  }
  if (!last->NextSiblingElement("PlacementData")) {
    // One between the header and the last Season is not read; its author
    // needs to hear where it must go.
    const TiXmlElement* early = entry->FirstChildElement("PlacementData");
    return early && early != header ? "no PlacementData after the last Season"
                                    : "no PlacementData element";
  }
  return nullptr;
}

std::vector<const TiXmlElement*> EntryElements(const TiXmlDocument& document) {
  std::vector<const TiXmlElement*> entries;
  const TiXmlNode* first = document.FirstChild("SimObjectEntry");
  int32_t count = first ? CountObjectEntries(document) : 0;
  // Nodes that are counted but are not elements (declarations, DOCTYPEs,
  // CDATA) are not entries; every element from the first entry on is.
  const TiXmlElement* entry = nullptr;
  if (first) entry = first->ToElement() ? first->ToElement() : first->NextSiblingElement();
  for (int32_t number = 1; entry && number <= count;
       ++number, entry = entry->NextSiblingElement()) {
    entries.push_back(entry);
  }
  return entries;
}

bool HasDebugFlag(const TiXmlDocument& document) {
  const TiXmlNode* debug = document.FirstChild("Debug");
  return debug && debug->ToElement();
}

// After entry `number`: each entry nested in it, which the walk does not read.
static void PrintNested(const TiXmlElement* entry, int number, const TextPlaces& places) {
  int line = places.OfParsed(entry->Row(), entry->Column()).line;
  bool wrapper = !IsNamed(entry, "SimObjectEntry");
  for (const TiXmlElement* nested : NestedEntries(entry)) {
    ConsolePrintf("\n\n  Skipped entry (line %d): it stands inside ",
                  places.OfParsed(nested->Row(), nested->Column()).line);
    if (wrapper) {
      ConsolePrintf("<%s> (entry %d, line %d); entries must stand at the top level", entry->Value(),
                    number, line);
    } else {
      ConsolePrintf("entry %d (line %d); close that entry before it", number, line);
    }
  }
}

bool ReadPlacementDocument(const TiXmlDocument& document, const PlacementParse& parse) {
  bool debugFlag = HasDebugFlag(document);
  TextPlaces places = PlacesOf(parse, document.TabSize());

  Coordinate coordinates[3] = {{"Lat"}, {"Lon"}, {"Alt"}};
  std::vector<const TiXmlElement*> entries = EntryElements(document);
  if (parse.nestedEntry) {
    for (const TiXmlElement* wrapper : EntryWrappers(document)) PrintWrapped(wrapper, places);
  }
  for (size_t index = 0; index < entries.size(); ++index) {
    const TiXmlElement* entry = entries[index];
    int number = static_cast<int>(index + 1);
    if (const char* fault = FindEntryFault(entry)) {
      ConsolePrintf("\n\n  Skipped entry %d (line %d): %s", number,
                    places.OfParsed(entry->Row(), entry->Column()).line, fault);
      if (parse.nestedEntry) PrintNested(entry, number, places);
      continue;
    }
    const TiXmlElement* header = entry->FirstChildElement();
    const char* dir = header->Attribute("Dir");
    allEntryDirs.push_back(dir);
    // A literal, then the text: no format to interpret, once per entry.
    ConsolePuts("\n\n  SimObjEntry: ");
    ConsolePuts(dir);

    int32_t variants = CountSeasonVariants(entry);
    allVariantCounts.push_back(variants);
    const TiXmlElement* current = header;
    for (int32_t v = 0; v < variants; ++v) {
      current = current->NextSiblingElement("Season");
      const char* type = current->Attribute("Type");
      allVariantTypes.push_back(type);
      allVariantTitles.push_back(current->Attribute("SimTitle"));
      allVariantLines.push_back(places.OfParsed(current->Row(), current->Column()).line);
      ConsolePuts("\n\tDetected Season: ");
      ConsolePuts(type);
    }

    const TiXmlElement* data = current->NextSiblingElement("PlacementData");
    for (Coordinate& c : coordinates) {
      if (data->QueryDoubleAttribute(c.name, &c.value) != TIXML_SUCCESS && !c.known) {
        ConsolePrintf("\n\tNo %s given, using 0", c.name);
      }
      c.known = true;
    }
    allEntryLatitudes.push_back(coordinates[0].value);
    allEntryLongitudes.push_back(coordinates[1].value);
    allEntryAltitudes.push_back(coordinates[2].value);
    if (parse.nestedEntry) PrintNested(entry, number, places);
  }

  RefreshStore();
  for (const SwallowPlace& swallow : parse.swallows) {
    ConsolePrintf(
        "\n\n  Swallowed from line %d: %s runs on to line %d; the entries in it are not read",
        swallow.at.line, SwallowWords(swallow.kind), swallow.endLine);
  }
  if (parse.nul.line > 0) {
    ConsolePrintf(
        "\n\n  Stopped reading at line %d: a NUL byte (a character 0) cuts short the %s that "
        "starts at line %d; the rest of the file is not read",
        parse.nul.line, parse.stopKind == ParserStop::kCdata ? "CDATA section" : "comment",
        parse.stopLine);
  } else if (parse.stopLine > 0) {
    ConsolePrintf("\n\n  Stopped reading at line %d: %s", parse.stopLine,
                  StoppedReason(parse.stopKind));
  }
  ConsolePrintf("\n");
  ConsoleFlush();
  ConsolePrintf("\n");
  ConsoleFlush();
  return debugFlag;
}

const char* StoppedReason(ParserStop kind) {
  switch (kind) {
    case ParserStop::kComment:
      return "a comment is never closed (no -->); the rest of the file is not read";
    case ParserStop::kCdata:
      return "a CDATA section is never closed (no ]]>); the rest of the file is not read";
    case ParserStop::kDeclaration:
      return "an XML declaration cannot be read (its quotes or its ?>); "
             "the rest of the file is not read";
    case ParserStop::kNul:
      return "a NUL byte (a character 0) stands here; the rest of the file is not read";
    default:
      return "text outside an element; the rest of the file is not read";
  }
}

PlacementParse ParsePlacementText(std::string text, TiXmlDocument* document, bool oddities) {
  PlacementParse parse;
  ParserWalk walk = WalkAsParser(text, kMaxPlacementNesting, oddities);
  if (walk.depth > kMaxPlacementNesting) {
    static const std::string deep =
        "its elements nest more than " + std::to_string(kMaxPlacementNesting) + " levels deep";
    parse.refusal = deep.c_str();
    return parse;
  }
  if (walk.attributes > kMaxPlacementAttributes) {
    static const std::string many =
        "an element has more than " + std::to_string(kMaxPlacementAttributes) + " attributes";
    parse.refusal = many.c_str();
    return parse;
  }
  // Only UTF-8 is read by characters; in any other encoding the parser reads
  // byte by byte and cannot step past the end.
  if (walk.utf8 && EndsInCutCharacter(text.data(), text.size())) {
    parse.refusal = "it ends inside a character (a cut UTF-8 sequence)";
    return parse;
  }
  // Parse, not LoadFile, on the text the walk has seen. Where the walk found
  // the parser stops reading without an error, it drops the rest unsaid.
  document->Parse(text.c_str());
  parse.loaded = !document->Error();
  const char* start = text.c_str();
  if (walk.utf8From) parse.utf8From = static_cast<size_t>(walk.utf8From - start);
  if (!parse.loaded) {
    parse.text = std::move(text);  // for the place of the error
    return parse;
  }
  parse.nestedEntry = walk.nestedEntry;
  // Places are rare (a file with none is the rule): counted only when there are some.
  if (walk.stop || !walk.swallows.empty() || !walk.oddities.empty()) {
    TextPlaces places(start, walk.utf8From, document->TabSize());
    if (walk.stop) {
      TextPlace stop = places.Of(walk.stop);
      parse.stopLine = stop.line;
      parse.stopColumn = stop.column;
      parse.stopKind = walk.stopKind;
      if (walk.stopNul) parse.nul = places.Of(walk.stopNul);
    }
    for (const Swallow& swallow : walk.swallows) {
      // One the stop names is said there.
      if (swallow.at == walk.stop) continue;
      parse.swallows.push_back({places.Of(swallow.at), places.Of(swallow.end).line, swallow.kind});
    }
    for (const Oddity& oddity : walk.oddities) {
      size_t length = static_cast<size_t>(oddity.end - oddity.at);
      parse.oddities.push_back(
          {places.Of(oddity.at), oddity.kind, std::string(oddity.at, length < 40 ? length : 40)});
    }
  }
  parse.text = std::move(text);
  return parse;
}

PlacementParse ParsePlacementFile(const std::string& nativePath, TiXmlDocument* document,
                                  bool oddities) {
  std::string text;
  if (!ReadParserText(nativePath, &text)) {
    PlacementParse parse;
    if (errno == os::kNotRegularFile)
      parse.refusal = "it is not a regular file (a pipe or a device)";
    document->LoadFile(static_cast<FILE*>(nullptr));  // sets LoadFile's "cannot open" error
    return parse;
  }
  return ParsePlacementText(std::move(text), document, oddities);
}

// The file at `nativePath`, shown as `path`.
static bool LoadPlacementFileAt(const char* path, const std::string& nativePath);

bool LoadPlacementFile(const char* path) { return LoadPlacementFileAt(path, os::NativePath(path)); }

bool LoadPlacementFile(const std::string& folder, const std::string& name) {
  size_t first = allVariantTitles.size();
  // The name is the system's own: a backslash in it is a letter, not a separator.
  bool debug = LoadPlacementFileAt((folder + name).c_str(), os::NativePath(folder) + name);
  if (allVariantTitles.size() > first) variantSources.push_back({first, name});
  return debug;
}

bool FindVariantSource(size_t variant, std::string* file, int* line) {
  if (variant >= allVariantLines.size()) return false;
  for (size_t i = variantSources.size(); i-- > 0;) {
    if (variantSources[i].firstVariant <= variant) {
      *file = variantSources[i].file;
      *line = allVariantLines[variant];
      return true;
    }
  }
  return false;
}

static bool LoadPlacementFileAt(const char* path, const std::string& nativePath) {
  ConsolePrintf("\nResult of \"%s\" Read:", path);
  TiXmlDocument document(nativePath.c_str());
  PlacementParse parse;
  // The C library opens a folder for reading on some systems; it is no file.
  if (!os::IsDirectory(nativePath)) parse = ParsePlacementFile(nativePath, &document);
  lastLoadFailed = !parse.loaded;
  if (!parse.loaded) {
    ConsolePrintf("Failed to load file \"%s\"\n", path);
    return false;
  }
  return ReadPlacementDocument(document, parse);
}

void ClearWorkingSetForTesting() { ClearWorkingSet(); }

void ClearWorkingSet() {
  allVariantLines.clear();
  variantSources.clear();
  allEntryDirs.clear();
  allVariantTypes.clear();
  allVariantTitles.clear();
  allEntryLatitudes.clear();
  allEntryLongitudes.clear();
  allEntryAltitudes.clear();
  allVariantCounts.clear();
}
