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
//   every top-level unknown node whose text holds a '<' is among the nodes
//   the walk found to swallow markup (unless it is the stop);
// - after each file the store equals the working set and keeps its shape;
// - no entry is lost without a word, seen without TinyXML: every
//   <SimObjectEntry start tag in the raw bytes outside comments and CDATA
//   sections stands on the line of an entry read, or is covered by a line of
//   the log (Skipped, Stopped reading, Swallowed, Failed to load).
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <tinyxml.h>

#include <map>
#include <string>
#include <vector>

#include "placement/cut_character.h"
#include "placement/loader.h"
#include "placement/nesting.h"
#include "placement/store.h"
#include "placement/text_places.h"

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

// Every top-level unknown node holding a '<' is a node the walk found to
// swallow markup, at the same place.
bool SwallowsAgree(const TiXmlDocument& document, const ParserWalk& walk,
                   const PlacementParse& parse) {
  TextPlaces places = PlacesOf(parse, document.TabSize());
  for (const TiXmlNode* node = document.FirstChild(); node; node = node->NextSibling()) {
    if (!node->ToUnknown() || !strchr(node->Value(), '<')) continue;
    TextPlace at = places.OfParsed(node->Row(), node->Column());
    if (at.line == parse.stopLine && at.column == parse.stopColumn) continue;
    bool found = false;
    for (const SwallowPlace& swallow : parse.swallows) {
      found = found || (swallow.at.line == at.line && swallow.at.column == at.column);
    }
    if (!found) return false;
  }
  return walk.swallows.size() >= parse.swallows.size();
}

// The lines of the <SimObjectEntry start tags in the raw bytes, outside
// comments and CDATA sections, as XML reads them; CR LF, CR and LF each end
// a line. Nothing of the parser is used here.
std::vector<int> RawEntryLines(const std::string& bytes) {
  std::vector<int> lines;
  int line = 1;
  size_t size = bytes.size();
  auto skipTo = [&](size_t from, const char* end) {
    size_t found = bytes.find(end, from);
    size_t stop = found == std::string::npos ? size : found + strlen(end);
    for (size_t k = from; k < stop; ++k) {
      if (bytes[k] == '\n' || (bytes[k] == '\r' && (k + 1 >= size || bytes[k + 1] != '\n'))) {
        ++line;
      }
    }
    return stop;
  };
  for (size_t i = 0; i < size;) {
    if (bytes.compare(i, 4, "<!--") == 0) {
      i = skipTo(i + 4, "-->");
    } else if (bytes.compare(i, 9, "<![CDATA[") == 0) {
      i = skipTo(i + 9, "]]>");
    } else {
      if (bytes.compare(i, 15, "<SimObjectEntry") == 0 &&
          (i + 15 >= size || strchr(" \t\r\n/>", bytes[i + 15]))) {
        lines.push_back(line);
      }
      char c = bytes[i++];
      if (c == '\n' || (c == '\r' && (i >= size || bytes[i] != '\n'))) ++line;
    }
  }
  return lines;
}

// What the log says is lost: whole lines, and lines from one on.
struct Covered {
  bool all = false;
  int from = 0;  // 0: none
  std::vector<std::pair<int, int>> ranges;
  std::map<int, int> skipped;  // line: Skipped lines naming it
  bool Covers(int line) const {
    if (all || (from > 0 && line >= from)) return true;
    for (const auto& r : ranges) {
      if (line >= r.first && line <= r.second) return true;
    }
    return false;
  }
};

Covered ReadLog(const std::string& log) {
  Covered covered;
  size_t at = 0;
  while (at < log.size()) {
    size_t end = log.find('\n', at);
    if (end == std::string::npos) end = log.size();
    std::string l = log.substr(at, end - at);
    at = end + 1;
    int a = 0, b = 0, n = 0;
    if (l.find("Failed to load file") != std::string::npos) {
      covered.all = true;
    } else if (sscanf(l.c_str(), "  Stopped reading at line %d:", &a) == 1) {
      if (covered.from == 0 || a < covered.from) covered.from = a;
    } else if (sscanf(l.c_str(), "  Swallowed from line %d:", &a) == 1) {
      size_t to = l.find("runs on to line ");
      if (to != std::string::npos) b = atoi(l.c_str() + to + 16);
      covered.ranges.push_back({a, b});
    } else if (sscanf(l.c_str(), "  Skipped entry %d (line %d):", &n, &a) == 2 ||
               sscanf(l.c_str(), "  Skipped entry (line %d):", &a) == 1) {
      ++covered.skipped[a];
    } else if (l.compare(0, 11, "  Skipped <") == 0) {  // a wrapper, whatever its name
      size_t in = l.find("(lines ");
      if (in != std::string::npos && sscanf(l.c_str() + in, "(lines %d to %d)", &a, &b) == 2) {
        covered.ranges.push_back({a, b});
      } else if ((in = l.find("in it (line ")) != std::string::npos) {
        a = atoi(l.c_str() + in + 12);
        covered.ranges.push_back({a, a});
      }
    }
  }
  return covered;
}

// Each raw start tag is read or said; what stands on one line is counted.
void CheckNothingLostUnsaid(const std::string& bytes, const std::string& log,
                            const TiXmlDocument* document, const PlacementParse& parse) {
  Covered covered = ReadLog(log);
  std::map<int, int> read;  // line: entries named SimObjectEntry read from it
  if (document) {
    TextPlaces places = PlacesOf(parse, document->TabSize());
    for (const TiXmlElement* entry : EntryElements(*document)) {
      if (!FindEntryFault(entry) && strcmp(entry->Value(), "SimObjectEntry") == 0) {
        ++read[places.OfParsed(entry->Row(), entry->Column()).line];
      }
    }
  }
  std::map<int, int> tags;
  for (int line : RawEntryLines(bytes)) ++tags[line];
  for (const auto& [line, count] : tags) {
    if (covered.Covers(line)) continue;
    if (count <= read[line] + covered.skipped[line]) continue;
    fprintf(stderr,
            "an entry is lost without a word: %d start tag(s) on line %d, %d read, %d said\n%s\n",
            count, line, read[line], covered.skipped[line], log.c_str());
    abort();
  }
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
      TextPlace at = PlacesOf(parse, again.TabSize()).OfParsed(last->Row(), last->Column());
      agree = parse.stopLine == at.line && parse.stopColumn == at.column;
    }
  }
  if (agree && !again.Error()) agree = SwallowsAgree(again, walk, parse);
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

// The program's way, its log captured: LoadPlacementFile's steps after the
// file is read.
void LoadAndListen(const std::string& bytes) {
  char* log = nullptr;
  size_t length = 0;
  FILE* memory = open_memstream(&log, &length);
  if (!memory) abort();
  FILE* console = stdout;
  stdout = memory;
  TiXmlDocument document;
  PlacementParse parse = ParsePlacementText(ParserText(bytes.data(), bytes.size()), &document);
  if (parse.loaded) {
    ReadPlacementDocument(document, parse);
  } else {
    printf("Failed to load file \"f.xml\"\n");
  }
  fclose(memory);
  stdout = console;
  CheckNothingLostUnsaid(bytes, std::string(log, length), parse.loaded ? &document : nullptr,
                         parse);
  free(log);
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
    std::string file =
        input.substr(start, next == std::string::npos ? std::string::npos : next - start);
    LoadOne(file);
    LoadAndListen(file);
    if (next == std::string::npos) break;
    start = next + separator.size();
  }
  return 0;
}
