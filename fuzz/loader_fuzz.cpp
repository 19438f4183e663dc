// Fuzzes the placement loader: the input is one or more placement files,
// separated by a line "%%FILE%%". Each goes the program's way (the parser
// text, the guard, TinyXML's Parse, the reading). Besides the sanitizers:
// - the guard's walk must agree with what TinyXML built: the depth of the
//   elements in the document equals the depth the walk measured; the walk
//   stops at text at the top level exactly where the parser stopped without an
//   error, and where it finds the parser reads no further for another cause
//   (a comment or CDATA never closed, a declaration it cannot read), the
//   parser read to the end, its last node is of that kind and starts there;
//   where it finds a zero byte ends the parser's text, the parser read to it;
//   the first top-level unknown node whose text holds a '<' is where the walk
//   found the first node that swallows markup, unless a declaration it found
//   to swallow markup stands there or before;
// - after each file the store equals the working set and keeps its shape.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <tinyxml.h>

#include <string>

#include "placement/cut_character.h"
#include "placement/loader.h"
#include "placement/nesting.h"
#include "placement/store.h"

namespace {

bool StoreEqualsWorkingSet(const PlacementStore& s) {
  return s.entryDirs == allEntryDirs && s.variantTypes == allVariantTypes &&
         s.variantTitles == allVariantTitles &&
         s.entryLatitudes.size() == allEntryLatitudes.size() &&
         s.entryLongitudes.size() == allEntryLongitudes.size() &&
         s.entryAltitudes.size() == allEntryAltitudes.size() && s.variantCounts == allVariantCounts;
}

// How deep elements nest in what TinyXML built (the parser links every element
// it began, even one it failed on). Recursion is safe: the guard let it through.
int ElementDepth(const TiXmlNode* node) {
  int deepest = 0;
  for (const TiXmlNode* child = node->FirstChild(); child; child = child->NextSibling()) {
    int depth = ElementDepth(child);
    if (depth > deepest) deepest = depth;
  }
  return deepest + (node->ToElement() ? 1 : 0);
}

bool Before(int line, int column, const TiXmlNode* node) {
  return line < node->Row() || (line == node->Row() && column < node->Column());
}

// A declaration among `node` and its descendants at that line and column.
bool DeclarationAt(const TiXmlNode* node, int line, int column) {
  if (node->ToDeclaration() && node->Row() == line && node->Column() == column) return true;
  for (const TiXmlNode* child = node->FirstChild(); child; child = child->NextSibling()) {
    if (DeclarationAt(child, line, column)) return true;
  }
  return false;
}

// The walk's node that swallows markup against what the parser built.
bool RunawayAgrees(const TiXmlDocument& document, const ParserWalk& walk,
                   const PlacementParse& parse) {
  const TiXmlNode* unknown = document.FirstChild();
  for (; unknown; unknown = unknown->NextSibling()) {
    if (unknown->ToUnknown() && strchr(unknown->Value(), '<')) break;
  }
  if (!walk.runaway) return !unknown;
  if (parse.runawayLine == 0) return true;  // the node is the stop, said as such
  int line = parse.runawayLine;
  int column = parse.runawayColumn;
  if (strncasecmp(walk.runaway, "<?xml", 5) != 0) {
    return unknown && unknown->Row() == line && unknown->Column() == column;
  }
  return DeclarationAt(&document, line, column) && (!unknown || Before(line, column, unknown));
}

void LoadOne(const std::string& bytes) {
  std::string text = ParserText(bytes.data(), bytes.size());
  ParserWalk walk = WalkAsParser(text, kMaxPlacementNesting);
  TiXmlDocument document;
  PlacementParse parse = ParsePlacementText(text, &document);
  if (parse.refusal) return;
  // The parse again, to see where it stopped; the guard has let it through.
  TiXmlDocument again;
  const char* stop = again.Parse(text.c_str());
  if (stop && !*stop) stop = nullptr;
  // A document in error has no stop to compare (text first of all is one).
  bool agree = walk.depth == ElementDepth(&again);
  if (agree && !again.Error()) {
    const TiXmlNode* last = again.LastChild();
    switch (walk.stopKind) {
      case ParserStop::kNone:  // and no zero byte cut the text short
        agree = !stop && strlen(text.c_str()) == text.size();
        break;
      case ParserStop::kText:
        agree = walk.stop == stop;
        break;
      case ParserStop::kComment:
        agree = !stop && last->ToComment();
        break;
      case ParserStop::kCdata:
        agree = !stop && last->ToText() && last->ToText()->CDATA();
        break;
      case ParserStop::kDeclaration:
        agree = !stop && last->ToDeclaration();
        break;
      case ParserStop::kNul:  // read to the end of its text, which a zero byte ended
        agree = !stop && walk.stop == text.c_str() + strlen(text.c_str()) &&
                walk.stop != text.c_str() + text.size();
        break;
    }
    // The stop is where the parser placed that node.
    if (agree && walk.stopKind > ParserStop::kText && walk.stopKind != ParserStop::kNul) {
      agree = parse.stopLine == last->Row() && parse.stopColumn == last->Column();
    }
  }
  if (agree && !again.Error()) agree = RunawayAgrees(again, walk, parse);
  if (!agree) {
    fprintf(stderr,
            "guard and parser disagree: depth %d against %d, stop %ld (kind %d) against %ld\n",
            walk.depth, ElementDepth(&again), walk.stop ? long(walk.stop - text.c_str()) : -1L,
            static_cast<int>(walk.stopKind), stop ? long(stop - text.c_str()) : -1L);
    abort();
  }
  if (!parse.loaded) return;
  ReadPlacementDocument(document, parse);
  if (!StoreIsConsistent(*placementStore) || !StoreEqualsWorkingSet(*placementStore)) abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The loader logs every entry; the log is not what is under test here.
  if (!freopen("/dev/null", "w", stdout)) abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ClearWorkingSetForTesting();
  delete placementStore;
  placementStore = CreatePlacementStore();

  std::string input(reinterpret_cast<const char*>(data), size);
  const std::string separator = "\n%%FILE%%\n";
  size_t start = 0;
  while (true) {
    size_t next = input.find(separator, start);
    LoadOne(input.substr(start, next == std::string::npos ? std::string::npos : next - start));
    if (next == std::string::npos) break;
    start = next + separator.size();
  }
  return 0;
}
