// Reading placement files into the loader's working set and the store.
//
// A placement file holds, at its top level, an optional Debug element and then
// SimObjectEntry elements:
//   <SimObjectEntry>
//     <Header Dir="..."/>                      first child element, any name
//     <Season Type="SU" SimTitle="..."/>       zero or more
//     <PlacementData Lat="..." Lon="..." Alt="..."/>
//   </SimObjectEntry>
#ifndef BRINDLEWICK_PLACEMENT_LOADER_H_
#define BRINDLEWICK_PLACEMENT_LOADER_H_

#include <stdint.h>

#include <string>
#include <vector>

#include "placement/nesting.h"
#include "placement/text_places.h"

class TiXmlDocument;
class TiXmlElement;

/// The loader's working set: every entry of every file loaded so far. It only
/// grows; after each file that loads, the store is made equal to it.
extern std::vector<std::string> allEntryDirs;
extern std::vector<std::string> allVariantTypes;
extern std::vector<std::string> allVariantTitles;
extern std::vector<double> allEntryLatitudes;
extern std::vector<double> allEntryLongitudes;
extern std::vector<double> allEntryAltitudes;
extern std::vector<int32_t> allVariantCounts;

/// Where each variant of the working set was read, for messages to authors:
/// the line of its Season element, and per file that added variants, the
/// index of its first variant and its bare name, in loading order.
extern std::vector<int> allVariantLines;
struct VariantSource {
  size_t firstVariant;
  std::string file;
};
extern std::vector<VariantSource> variantSources;

/// The file and line variant `variant` of the working set was read from;
/// false when it has none.
bool FindVariantSource(size_t variant, std::string* file, int* line);

/// Loads one placement file, logs its entries and returns its debug flag
/// (false whenever the file cannot be loaded). `path` is a program path with
/// backslashes; it is printed as given.
bool LoadPlacementFile(const char* path);

/// True when the last LoadPlacementFile call could not load its file.
extern bool lastLoadFailed;

/// The same for `name`, as the directory search found it, in `folder`, a
/// program path ending in a backslash.
bool LoadPlacementFile(const std::string& folder, const std::string& name);

/// A node that swallows markup, placed.
struct SwallowPlace {
  TextPlace at;
  int endLine = 0;  // the line where what it reads ends
  SwallowKind kind = SwallowKind::kMarkup;
};

/// A piece of text the parser reads otherwise than XML would, placed.
struct OddityPlace {
  TextPlace at;
  TextOddity kind = TextOddity::kBareAmpersand;
  std::string text;  // what stands there (a reference, a value), as written
};

/// How the XML parser took a placement file. Places are the text's own
/// lines and columns (TextPlaces), the column counted as the document's tab
/// size says.
struct PlacementParse {
  /// Why the parser was not given the file because it cannot take it safely
  /// (nested too deeply, too many attributes on an element, ending inside a
  /// character, not a regular file), or null.
  const char* refusal = nullptr;
  /// The document parsed without an error.
  bool loaded = false;
  /// Where the parser stopped reading before the end of the file without an
  /// error (text outside an element, a comment or CDATA section never closed,
  /// a declaration it cannot read, a zero byte), and why; 0 and kNone when it
  /// read to the end.
  int stopLine = 0;
  int stopColumn = 0;
  ParserStop stopKind = ParserStop::kNone;
  /// The zero byte that cuts the stop's comment or CDATA section short, or 0.
  TextPlace nul;
  /// Every node that swallows markup (ParserWalk::swallows).
  std::vector<SwallowPlace> swallows;
  /// An element named SimObjectEntry stands below the top level.
  bool nestedEntry = false;
  /// Only when asked for (ParsePlacementText).
  std::vector<OddityPlace> oddities;
  /// The parsed text, and where the parser reads it as UTF-8 from (npos:
  /// never): the places of the document's nodes are counted in it.
  std::string text;
  size_t utf8From = std::string::npos;
};

/// The places of `parse`'s text, for its document's nodes.
TextPlaces PlacesOf(const PlacementParse& parse, int tabSize);

/// Why the rest of a file after stopLine is lost: the text of the program's
/// line that says so.
const char* StoppedReason(ParserStop kind);

/// Parses `text`, the file's text as TinyXML's LoadFile hands it to its
/// parser (ParserText), into `document`, unless it is refused first. With
/// `oddities`, they are placed too. The document's tab size counts columns.
PlacementParse ParsePlacementText(std::string text, TiXmlDocument* document, bool oddities = false);

/// Reads the file at `nativePath` and parses it as LoadFile would. A file
/// that cannot be read fails with the error LoadFile gives it.
PlacementParse ParsePlacementFile(const std::string& nativePath, TiXmlDocument* document,
                                  bool oddities = false);

/// The part of LoadPlacementFile after parsing: reads a loaded document into
/// the working set, refreshes the store and returns the debug flag. Where
/// `parse` has a stop, it is reported after the entries.
bool ReadPlacementDocument(const TiXmlDocument& document,
                           const PlacementParse& parse = PlacementParse());

/// Top-level nodes from the first one named "SimObjectEntry" to the end,
/// comments not counted.
int32_t CountObjectEntries(const TiXmlDocument& document);

/// Season elements among the entry's children.
int32_t CountSeasonVariants(const TiXmlElement* entry);

/// Why an entry cannot be read, or null when it can.
const char* FindEntryFault(const TiXmlElement* entry);

/// The elements named SimObjectEntry below `element`, in document order.
std::vector<const TiXmlElement*> NestedEntries(const TiXmlElement* element);

/// The top-level elements before the first entry (all of them when there is
/// none) that hold elements named SimObjectEntry: none of those is read.
std::vector<const TiXmlElement*> EntryWrappers(const TiXmlDocument& document);

/// The elements the loader takes for entries, in order: the n-th is entry n of
/// its messages, whether it is read or skipped.
std::vector<const TiXmlElement*> EntryElements(const TiXmlDocument& document);

/// True when the document's first top-level node named "Debug" is an element.
bool HasDebugFlag(const TiXmlDocument& document);

/// Empties the working set, for reading every file again.
void ClearWorkingSet();

/// The same; tests call it.
void ClearWorkingSetForTesting();

#endif  // BRINDLEWICK_PLACEMENT_LOADER_H_
