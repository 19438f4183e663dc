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

// Line and column of `at` in `text`, counted as the parser counts them for
// its nodes: a tab to the next tab stop, a UTF-8 character as one column and
// its byte-order marks as none.
void TextPosition(const char* text, const char* at, bool utf8, int tabSize, int* lineAt,
                  int* columnAt) {
  int line = 1;
  int column = 0;
  for (const char* p = text; p < at && *p;) {
    const unsigned char* u = reinterpret_cast<const unsigned char*>(p);
    if (*p == '\n') {
      ++line;
      column = 0;
      ++p;
    } else if (*p == '\t') {
      column = tabSize > 0 ? (column / tabSize + 1) * tabSize : column + 1;
      ++p;
    } else if (utf8 && IsZeroWidthMark(p)) {
      p += 3;
    } else {
      p += utf8 ? AnnouncedLength(u[0]) : 1;
      ++column;
    }
  }
  *lineAt = line;
  *columnAt = column + 1;
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

const char* FindEntryFault(const TiXmlElement* entry) {
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

bool ReadPlacementDocument(const TiXmlDocument& document, const PlacementParse& parse) {
  bool debugFlag = HasDebugFlag(document);

  Coordinate coordinates[3] = {{"Lat"}, {"Lon"}, {"Alt"}};
  std::vector<const TiXmlElement*> entries = EntryElements(document);
  for (size_t index = 0; index < entries.size(); ++index) {
    const TiXmlElement* entry = entries[index];
    int number = static_cast<int>(index + 1);
    if (const char* fault = FindEntryFault(entry)) {
      ConsolePrintf("\n\n  Skipped entry %d (line %d): %s", number, entry->Row(), fault);
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
      allVariantLines.push_back(current->Row());
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
  }

  RefreshStore();
  if (parse.runawayLine > 0 && !parse.runawayInValue) {
    ConsolePrintf(
        "\n\n  Stopped reading at line %d: this <!...> or <?...?> runs on to a later '>' and "
        "swallows what stands there; no entry in it is read",
        parse.runawayLine);
  } else if (parse.runawayLine > 0) {
    ConsolePrintf(
        "\n\n  Stopped reading at line %d: the XML declaration's quotes do not match, so it "
        "runs on to a later quote; no entry in what it swallows is read",
        parse.runawayLine);
  }
  if (parse.stopLine > 0) {
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

PlacementParse ParsePlacementText(const std::string& text, TiXmlDocument* document) {
  PlacementParse parse;
  ParserWalk walk = WalkAsParser(text, kMaxPlacementNesting);
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
  if (!parse.loaded) return parse;
  int tabSize = document->TabSize();
  if (walk.stop) {
    TextPosition(text.c_str(), walk.stop, walk.stopUtf8, tabSize, &parse.stopLine,
                 &parse.stopColumn);
    parse.stopKind = walk.stopKind;
  }
  if (walk.runaway && walk.runaway != walk.stop) {
    TextPosition(text.c_str(), walk.runaway, walk.runawayUtf8, tabSize, &parse.runawayLine,
                 &parse.runawayColumn);
    parse.runawayInValue = walk.runawayInValue;
  }
  return parse;
}

PlacementParse ParsePlacementFile(const std::string& nativePath, TiXmlDocument* document) {
  std::string text;
  if (!ReadParserText(nativePath, &text)) {
    PlacementParse parse;
    if (errno == os::kNotRegularFile)
      parse.refusal = "it is not a regular file (a pipe or a device)";
    document->LoadFile(static_cast<FILE*>(nullptr));  // sets LoadFile's "cannot open" error
    return parse;
  }
  return ParsePlacementText(text, document);
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
