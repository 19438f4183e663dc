#include "check/file_check.h"

#include <ctype.h>
#include <string.h>
#include <tinyxml.h>

#include <vector>

#include "check/entry_check.h"
#include "os/os.h"
#include "placement/loader.h"

namespace {

bool IsNamed(const TiXmlNode* node, const char* name) { return strcmp(node->Value(), name) == 0; }

void ReportAtNode(CheckRun* run, const std::string& file, const TiXmlBase* node, Severity severity,
                  const std::string& message) {
  int line, column;
  ParsedPlace(*run, node->Row(), node->Column(), &line, &column);
  Report(run, file, line, column, severity, message);
}

// A file from which nothing is read, and which wraps no entries (said apart);
// a file holding only Debug is fine as it is.
void ReportNoEntries(const TiXmlDocument& document, const std::string& file, CheckRun* run) {
  for (const TiXmlElement* top = document.FirstChildElement(); top;
       top = top->NextSiblingElement()) {
    if (IsNamed(top, "Debug")) continue;
    ReportAtNode(run, file, top, Severity::kWarning,
                 "no top-level SimObjectEntry: the program reads no entry from this file");
    return;
  }
}

// Entries below the top level are never read: inside a wrapper, or inside an
// entry whose end tag comes after them.
void ReportNested(const TiXmlDocument& document, const std::vector<const TiXmlElement*>& entries,
                  const std::string& file, CheckRun* run) {
  for (const TiXmlElement* wrapper : EntryWrappers(document)) {
    size_t count = NestedEntries(wrapper).size();
    ReportAtNode(run, file, wrapper, Severity::kError,
                 "<" + std::string(wrapper->Value()) + "> holds " +
                     CountOf(count, "entry", "entries") +
                     ", which the program does not read: entries must stand at the top level");
  }
  for (size_t i = 0; i < entries.size(); ++i) {
    int line, column;
    ParsedPlace(*run, entries[i]->Row(), entries[i]->Column(), &line, &column);
    std::string where = "entry " + std::to_string(i + 1) + ", line " + std::to_string(line);
    bool wrapper = !IsNamed(entries[i], "SimObjectEntry");
    for (const TiXmlElement* nested : NestedEntries(entries[i])) {
      ReportAtNode(run, file, nested, Severity::kError,
                   wrapper
                       ? "this entry stands inside <" + std::string(entries[i]->Value()) + "> (" +
                             where + ") and is not read: entries must stand at the top level"
                       : "this entry stands inside " + where +
                             ", and is not read: close that entry before it (its end tag "
                             "comes later or is swallowed)");
    }
  }
}

std::string SwallowMessage(const SwallowPlace& swallow) {
  std::string to = "runs on to line " + std::to_string(swallow.endLine);
  switch (swallow.kind) {
    case SwallowKind::kDeclarationValue:
      return "a value of this XML declaration runs over a '<' or a line break (its quotes do not "
             "match) and " +
             to + ": the program does not read the entries in it";
    case SwallowKind::kReference:
      return "this character reference lacks its ';': the parser " + to +
             ", to the next ';', and takes the digits before it; the program does not read the "
             "entries in it (add the ';')";
    case SwallowKind::kCharacter:
      return "this byte begins no UTF-8 character, yet the parser takes the bytes after it, a '<' "
             "among them, for one: the tag there is read as text (save the file as UTF-8, or "
             "declare its encoding)";
    case SwallowKind::kValue:
      return "this attribute value holds a <SimObjectEntry> tag and " + to +
             ": the program does not read the entries in it (check its quotes)";
    default:
      return "this <!...> or <?...?> is not closed before a '<' and runs on to a later '>' on "
             "line " +
             std::to_string(swallow.endLine) + ": the program does not read the entries in it";
  }
}

std::string OddityMessage(const OddityPlace& oddity) {
  std::string text = Quoted(oddity.text);
  switch (oddity.kind) {
    case TextOddity::kDashesInComment:
      return "\"--\" inside a comment (XML allows none): a comment meant to end at \"->\" runs on "
             "to the next \"-->\" and hides what stands between";
    case TextOddity::kCommentInComment:
      return "\"<!--\" inside a comment: comments do not nest, the first \"-->\" ends both";
    case TextOddity::kBareAmpersand:
      return "a bare '&' is dropped: the program reads the text without it; write &amp;";
    case TextOddity::kUnknownEntity:
      return text +
             " is no entity the program knows: it drops the '&' and keeps the rest; "
             "write &amp; for a '&'";
    case TextOddity::kMisreadReference:
      return "the character reference " + text +
             " is read as another text than XML reads: write its ';' right after the digits, "
             "for a character the file's encoding holds";
    default:
      return "this attribute value holds a '<' (write &lt;): if a quote is missing, the value "
             "runs on over markup, which is not read";
  }
}

const char* StopCause(ParserStop kind) {
  switch (kind) {
    case ParserStop::kComment:
      return "a comment that is never closed (no -->)";
    case ParserStop::kCdata:
      return "a CDATA section that is never closed (no ]]>)";
    case ParserStop::kDeclaration:
      return "an XML declaration that cannot be read (check its quotes and its ?>)";
    case ParserStop::kNul:
      return "a NUL byte (a character 0)";
    default:
      return "text outside an element";
  }
}

// A misspelled first entry, or one whose '<' a space follows, is silently
// passed over: entries start at the first element named SimObjectEntry. What a
// node swallowed before it is said once, at that node.
void ReportPassedOver(const TiXmlDocument& document, const std::string& file,
                      const PlacementParse& parse, CheckRun* run) {
  std::vector<const TiXmlElement*> entries = EntryElements(document);
  for (const TiXmlNode* top = entries.empty() ? nullptr : document.FirstChild();
       top && top != entries[0]; top = top->NextSibling()) {
    int line, column;
    ParsedPlace(*run, top->Row(), top->Column(), &line, &column);
    if (!parse.swallows.empty()) {
      TextPlace first = parse.swallows.front().at;
      if (line > first.line || (line == first.line && column > first.column)) return;
    }
    // A wrapper's entries are said as such.
    if (top->ToElement() && !NestedEntries(top->ToElement()).empty()) continue;
    std::string what;
    if (top->ToElement() && !IsNamed(top, "Debug")) {
      what = "<" + std::string(top->Value()) + ">";
    } else if (top->ToUnknown() && isspace(static_cast<unsigned char>(top->Value()[0]))) {
      what = "a '<' followed by a space";
    } else {
      continue;
    }
    Report(run, file, line, column, Severity::kWarning,
           what +
               " before the first SimObjectEntry is not read (entries start at the first "
               "<SimObjectEntry>)");
    if (top->ToUnknown()) return;  // what follows is that entry's inside
  }
}

}  // namespace

void CheckPlacementDocument(const TiXmlDocument& document, const std::string& file,
                            const std::string& lastFile, ParserEncoding encoding, CheckRun* run) {
  if (HasDebugFlag(document) && !lastFile.empty()) {
    const TiXmlNode* debug = document.FirstChild("Debug");
    ReportAtNode(run, file, debug, Severity::kWarning,
                 "Debug has no effect here: only the last file, " + lastFile +
                     ", decides whether the console stays open");
  }
  std::vector<const TiXmlElement*> entries = EntryElements(document);
  bool wrapped = !EntryWrappers(document).empty();
  if (entries.empty() && !wrapped) ReportNoEntries(document, file, run);
  ReportNested(document, entries, file, run);
  FileCoordinates coordinates;
  const TiXmlNode* node = document.FirstChild();
  for (size_t i = 0; i < entries.size(); ++i) {
    for (; node != entries[i]; node = node->NextSibling()) PassNode(node, &encoding);
    CheckEntry(entries[i], static_cast<int>(i + 1), file, encoding.utf8, &coordinates, run);
  }
}

void CheckPlacementFile(const std::string& file, const std::string& lastFile, CheckRun* run) {
  ++run->files;
  TiXmlDocument document(file.c_str());
  // Columns count characters, a tab as one, as editors do when they jump to a
  // column; the tab size changes nothing else in parsing.
  document.SetTabSize(1);
  bool isFolder = os::IsDirectory(file);
  // The parser is not even tried on what the program refuses up front.
  PlacementParse parse;
  if (!isFolder) parse = ParsePlacementFile(file, &document, true);
  TextPlaces places = PlacesOf(parse, document.TabSize());
  run->places = &places;
  const char* refusal = parse.refusal;
  if (!parse.loaded) {
    ++run->unloadedFiles;
    // TinyXML calls such a file empty; its author needs to hear the encoding.
    bool utf16 = !isFolder && !refusal && StartsAsUtf16(file);
    std::string why = isFolder  ? "it is a folder"
                      : refusal ? refusal
                      : utf16   ? "it is UTF-16 text; save it as UTF-8 or Windows-1252/ISO-8859-1"
                                : document.ErrorDesc();
    bool parsed = !isFolder && !refusal && !utf16;
    int line = 0;
    int column = 0;
    if (parsed) ParsedPlace(*run, document.ErrorRow(), document.ErrorCol(), &line, &column);
    // The parser's text ends at a zero byte: what it failed on may be only that.
    size_t nul = strlen(parse.text.c_str());
    if (parsed && nul < parse.text.size()) {
      why += " (a NUL byte, a character 0, at line " +
             std::to_string(places.Of(parse.text.c_str() + nul).line) +
             " ends the text the program reads)";
    }
    Report(run, file, line, column, Severity::kError, "the file does not load: " + why);
    run->places = nullptr;
    return;
  }
  ReportPassedOver(document, file, parse, run);
  CheckPlacementDocument(document, file, lastFile, EncodingAtStart(file), run);
  for (const SwallowPlace& swallow : parse.swallows) {
    Report(run, file, swallow.at.line, swallow.at.column, Severity::kError,
           SwallowMessage(swallow));
  }
  for (const OddityPlace& oddity : parse.oddities) {
    Report(run, file, oddity.at.line, oddity.at.column, Severity::kWarning, OddityMessage(oddity));
  }
  if (parse.nul.line > 0) {
    Report(run, file, parse.nul.line, parse.nul.column, Severity::kError,
           std::string("a NUL byte (a character 0) cuts short the ") +
               (parse.stopKind == ParserStop::kCdata ? "CDATA section" : "comment") +
               " that starts at line " + std::to_string(parse.stopLine) +
               ": the program stops reading the file here and reads no entry after it");
    run->places = nullptr;
    return;
  }
  if (parse.stopLine > 0) {
    Report(run, file, parse.stopLine, parse.stopColumn, Severity::kError,
           std::string(StopCause(parse.stopKind)) +
               ": the program stops reading the file here and reads no entry after it");
  }
  run->places = nullptr;
}
