// The simulator's exe.xml, judged by a conforming XML parser (expat), with
// the byte offsets of what the tool may change, so that an edit splices our
// entry in and leaves every other byte as it was.
#ifndef BRINDLEWICK_SETUP_EXE_XML_H_
#define BRINDLEWICK_SETUP_EXE_XML_H_

#include <cstddef>
#include <string>
#include <vector>

#include "setup/text_encoding.h"

namespace setup {

/// Bytes [begin, end) of the file.
struct Span {
  size_t begin = 0;
  size_t end = 0;
};

/// One <Launch.Addon> under the root; texts in UTF-8, trimmed.
struct Addon {
  Span element;
  std::string name;
  std::string path;
  std::string disabled;
  std::string manual_load;
  std::vector<std::string> names;  // every <Name>'s text: a pasted entry may hold two
  int paths = 0;                   // how many <Path>, <Disabled> and <ManualLoad>
  int disableds = 0;
  int manual_loads = 0;
  Span path_element;  // empty when there is no <Path>; the last when repeated
  Span disabled_element;
  Span manual_load_element;
};

struct ExeXml {
  bool well_formed = false;
  // When not well-formed: where (1-based) and the parser's own words.
  int error_code = 0;
  int line = 0;
  int column = 0;
  size_t error_offset = 0;  // the byte the parser stopped at
  std::string message;
  // A DOCTYPE that declares entities: the parser stopped there, since the
  // offsets of expanded text point at the reference, not at the elements.
  bool declares_entities = false;
  // A DOCTYPE naming an external DTD (SYSTEM or PUBLIC), or an entity the
  // parser skipped: a reader that loads the DTD may see other names.
  bool external_dtd = false;

  Encoding encoding = Encoding::kUtf8;
  std::string root;  // the root element's name
  Span root_start_tag;
  bool root_empty_tag = false;  // <SimBase.Document .../>
  size_t root_end_tag = 0;      // where </SimBase.Document> begins
  size_t first_child = 0;       // the root's first child element; 0 when none
  std::string disabled;         // the root's own <Disabled>: True starts nothing
  std::vector<Addon> addons;
};

/// Parses `bytes` as the XML standard defines well-formed: no repair.
ExeXml ReadExeXml(const std::string& bytes);

/// A plain sentence on what usually causes the error `doc` reports for
/// `bytes`, and how to mend it.
const char* LikelyCause(const ExeXml& doc, const std::string& bytes);

}  // namespace setup

#endif  // BRINDLEWICK_SETUP_EXE_XML_H_
