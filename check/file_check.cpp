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

// A file from which nothing is read most often wraps its entries in an
// element of its own; a file holding only Debug is fine as it is.
void ReportNoEntries(const TiXmlDocument& document, const std::string& file, CheckRun* run) {
  for (const TiXmlElement* top = document.FirstChildElement(); top;
       top = top->NextSiblingElement()) {
    if (IsNamed(top, "Debug")) continue;
    std::string message = "no top-level SimObjectEntry: the program reads no entry from this file";
    if (top->FirstChildElement("SimObjectEntry")) {
      message += " (entries inside <" + std::string(top->Value()) +
                 "> are not read; they must stand at the top level)";
    }
    Report(run, file, top->Row(), top->Column(), Severity::kWarning, message);
    return;
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
    if (parse.runawayLine > 0 &&
        (top->Row() > parse.runawayLine ||
         (top->Row() == parse.runawayLine && top->Column() > parse.runawayColumn))) {
      return;
    }
    std::string what;
    if (top->ToElement() && !IsNamed(top, "Debug")) {
      what = "<" + std::string(top->Value()) + ">";
    } else if (top->ToUnknown() && isspace(static_cast<unsigned char>(top->Value()[0]))) {
      what = "a '<' followed by a space";
    } else {
      continue;
    }
    Report(run, file, top->Row(), top->Column(), Severity::kWarning,
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
    Report(run, file, debug->Row(), debug->Column(), Severity::kWarning,
           "Debug has no effect here: only the last file, " + lastFile +
               ", decides whether the console stays open");
  }
  std::vector<const TiXmlElement*> entries = EntryElements(document);
  if (entries.empty()) ReportNoEntries(document, file, run);
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
  if (!isFolder) parse = ParsePlacementFile(file, &document);
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
    int line = parsed ? document.ErrorRow() : 0;
    int column = parsed ? document.ErrorCol() : 0;
    Report(run, file, line, column, Severity::kError, "the file does not load: " + why);
    return;
  }
  ReportPassedOver(document, file, parse, run);
  CheckPlacementDocument(document, file, lastFile, EncodingAtStart(file), run);
  if (parse.runawayLine > 0 && !parse.runawayInValue) {
    Report(run, file, parse.runawayLine, parse.runawayColumn, Severity::kError,
           "this <!...> or <?...?> is not closed before a '<' (it runs on to a later '>'): the "
           "program does not read what it swallows");
  } else if (parse.runawayLine > 0) {
    Report(run, file, parse.runawayLine, parse.runawayColumn, Severity::kError,
           "a value of this XML declaration runs over a '<' or a line break (its quotes do not "
           "match): the program does not read what it swallows");
  }
  if (parse.stopLine > 0) {
    Report(run, file, parse.stopLine, parse.stopColumn, Severity::kError,
           std::string(StopCause(parse.stopKind)) +
               ": the program stops reading the file here and reads no entry after it");
  }
}
