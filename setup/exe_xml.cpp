#include "setup/exe_xml.h"

#include <expat.h>

#include <cstring>

namespace setup {
namespace {

struct Open {
  std::string name;
  Span start_tag;
};

struct Reader {
  XML_Parser parser = nullptr;
  ExeXml* doc = nullptr;
  std::vector<Open> open;
  std::string declared;
  std::string* text = nullptr;  // where the current entry field's text goes
};

Span TagHere(XML_Parser parser) {
  Span span;
  span.begin = static_cast<size_t>(XML_GetCurrentByteIndex(parser));
  span.end = span.begin + static_cast<size_t>(XML_GetCurrentByteCount(parser));
  return span;
}

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char**) {
  Reader* r = static_cast<Reader*>(data);
  Open element{name, TagHere(r->parser)};
  size_t depth = r->open.size();
  if (depth == 0) {
    r->doc->root = name;
    r->doc->root_start_tag = element.start_tag;
  } else if (depth == 1) {
    if (r->doc->first_child == 0) r->doc->first_child = element.start_tag.begin;
    r->text = element.name == "Disabled" ? &r->doc->disabled : nullptr;
    if (r->text) r->text->clear();
    if (element.name == "Launch.Addon") {
      r->doc->addons.emplace_back();
      r->doc->addons.back().element.begin = element.start_tag.begin;
    }
  } else if (depth == 2 && r->open[1].name == "Launch.Addon") {
    Addon& addon = r->doc->addons.back();
    r->text = element.name == "Name"         ? &addon.name
              : element.name == "Path"       ? &addon.path
              : element.name == "Disabled"   ? &addon.disabled
              : element.name == "ManualLoad" ? &addon.manual_load
                                             : nullptr;
    if (r->text) r->text->clear();  // a repeated field: the last one counts
    addon.paths += element.name == "Path";
    addon.disableds += element.name == "Disabled";
    addon.manual_loads += element.name == "ManualLoad";
  }
  r->open.push_back(element);
}

void Trim(std::string* text) {
  const char* blank = " \t\r\n";
  size_t first = text->find_first_not_of(blank);
  if (first == std::string::npos) {
    text->clear();
    return;
  }
  *text = text->substr(first, text->find_last_not_of(blank) - first + 1);
}

void XMLCALL OnEnd(void* data, const XML_Char*) {
  Reader* r = static_cast<Reader*>(data);
  Span tag = TagHere(r->parser);
  Open element = r->open.back();
  r->open.pop_back();
  bool empty_tag = tag.end == tag.begin;  // <X/>: expat reports no end tag
  size_t end = empty_tag ? element.start_tag.end : tag.end;
  size_t depth = r->open.size();
  if (depth == 0) {
    r->doc->root_empty_tag = empty_tag;
    r->doc->root_end_tag = tag.begin;
  } else if (depth == 1 && element.name == "Launch.Addon") {
    r->doc->addons.back().element.end = end;
  } else if (depth == 2 && r->text && r->open[1].name == "Launch.Addon") {
    Addon& addon = r->doc->addons.back();
    Trim(r->text);
    Span whole{element.start_tag.begin, end};
    if (r->text == &addon.name) addon.names.push_back(addon.name);
    if (r->text == &addon.path) addon.path_element = whole;
    if (r->text == &addon.disabled) addon.disabled_element = whole;
    if (r->text == &addon.manual_load) addon.manual_load_element = whole;
    r->text = nullptr;
  } else if (depth == 1 && r->text) {
    Trim(r->text);
    r->text = nullptr;
  }
}

void XMLCALL OnText(void* data, const XML_Char* text, int length) {
  Reader* r = static_cast<Reader*>(data);
  if (r->text) r->text->append(text, length);
}

void XMLCALL OnDeclaration(void* data, const XML_Char*, const XML_Char* encoding, int) {
  if (encoding) static_cast<Reader*>(data)->declared = encoding;
}

// An entity's text is parsed where it is referenced, so the elements in it
// have no bytes of their own to splice: such a file is refused, before any
// expansion can grow.
void XMLCALL OnEntity(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                      const XML_Char*, const XML_Char*, const XML_Char*) {
  Reader* r = static_cast<Reader*>(data);
  r->doc->declares_entities = true;
  XML_StopParser(r->parser, XML_FALSE);
}

// Expat does not load an external DTD; it skips the references it cannot
// resolve, so `remove` could take out an entry whose name a validating
// reader spells otherwise.
void XMLCALL OnDoctype(void* data, const XML_Char*, const XML_Char* system_id,
                       const XML_Char* public_id, int) {
  Reader* r = static_cast<Reader*>(data);
  if (!system_id && !public_id) return;
  r->doc->external_dtd = true;
  XML_StopParser(r->parser, XML_FALSE);
}

void XMLCALL OnSkippedEntity(void* data, const XML_Char*, int) {
  Reader* r = static_cast<Reader*>(data);
  r->doc->external_dtd = true;
  XML_StopParser(r->parser, XML_FALSE);
}

// Expat reads UTF-8, UTF-16, ISO-8859-1 and US-ASCII itself; the simulator's
// files declare Windows-1252, a single-byte encoding it takes as a table.
int XMLCALL OnUnknownEncoding(void*, const XML_Char* name, XML_Encoding* info) {
  if (EncodingOf(name, "<?") != Encoding::kWindows1252) return XML_STATUS_ERROR;
  for (int byte = 0; byte < 256; ++byte) info->map[byte] = Windows1252ToUnicode(byte);
  info->data = nullptr;
  info->convert = nullptr;
  info->release = nullptr;
  return XML_STATUS_OK;
}

}  // namespace

ExeXml ReadExeXml(const std::string& bytes) {
  ExeXml doc;
  Reader reader;
  reader.doc = &doc;
  reader.parser = XML_ParserCreate(nullptr);
  XML_SetUserData(reader.parser, &reader);
  XML_SetElementHandler(reader.parser, OnStart, OnEnd);
  XML_SetCharacterDataHandler(reader.parser, OnText);
  XML_SetXmlDeclHandler(reader.parser, OnDeclaration);
  XML_SetUnknownEncodingHandler(reader.parser, OnUnknownEncoding, nullptr);
  XML_SetEntityDeclHandler(reader.parser, OnEntity);
  XML_SetStartDoctypeDeclHandler(reader.parser, OnDoctype);
  XML_SetSkippedEntityHandler(reader.parser, OnSkippedEntity);
  // One call with the whole text: byte offsets then count from its start.
  if (XML_Parse(reader.parser, bytes.data(), static_cast<int>(bytes.size()), XML_TRUE) ==
      XML_STATUS_OK) {
    doc.well_formed = true;
  } else {
    XML_Error code = XML_GetErrorCode(reader.parser);
    doc.error_code = code;
    doc.line = static_cast<int>(XML_GetCurrentLineNumber(reader.parser));
    doc.column = static_cast<int>(XML_GetCurrentColumnNumber(reader.parser)) + 1;
    XML_Index at = XML_GetCurrentByteIndex(reader.parser);
    doc.error_offset = at > 0 ? static_cast<size_t>(at) : 0;
    doc.message = XML_ErrorString(code);
  }
  XML_ParserFree(reader.parser);
  doc.encoding = EncodingOf(reader.declared, bytes);
  return doc;
}

const char* LikelyCause(const ExeXml& doc, const std::string& bytes) {
  size_t at = doc.error_offset;
  bool high_byte = at < bytes.size() && static_cast<unsigned char>(bytes[at]) >= 0x80;
  // Blank lines, a stray letter, a comment or a second byte-order mark
  // before the declaration, and no element: the declaration itself is sound.
  // Checked first: a second byte-order mark is high bytes too.
  size_t declaration = bytes.find("<?xml");
  size_t bom = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  bool element_before = false;
  for (size_t lt = bytes.find('<'); lt < declaration && !element_before;
       lt = bytes.find('<', lt + 1))
    element_before = lt + 1 < bytes.size() && bytes[lt + 1] != '!' && bytes[lt + 1] != '?';
  if (declaration != std::string::npos && declaration > bom && at <= declaration && !element_before)
    return "The file does not begin with <?xml: delete what stands before <?xml on the first "
           "line (blank lines too).";
  if (doc.error_code == XML_ERROR_INVALID_TOKEN && high_byte && doc.encoding == Encoding::kUtf8)
    return "A letter written in Windows-1252 in a file read as UTF-8: add "
           "encoding=\"Windows-1252\" to the first line (<?xml version=\"1.0\" "
           "encoding=\"Windows-1252\"?>).";
  switch (doc.error_code) {
    case XML_ERROR_TAG_MISMATCH:
      return "An element is not closed before the one around it ends: often an entry lacks "
             "its </Launch.Addon>.";
    case XML_ERROR_JUNK_AFTER_DOC_ELEMENT:
      return "Something stands after the end of the root element: often an entry added "
             "after </SimBase.Document>, or the <SimBase.Document> start tag is missing.";
    case XML_ERROR_MISPLACED_XML_PI:
      return "A second <?xml ...?> declaration: another file was pasted into this one.";
    case XML_ERROR_INVALID_TOKEN:
      return "A character that cannot stand here: often \"--\" inside a comment, or a bare "
             "\"<\" or \"&\" in a text (write &lt; and &amp;).";
    case XML_ERROR_NO_ELEMENTS:
    case XML_ERROR_UNCLOSED_TOKEN:
    case XML_ERROR_PARTIAL_CHAR:
      return "The file ends too early: it was cut short, or </SimBase.Document> is missing.";
    case XML_ERROR_UNDEFINED_ENTITY:
    case XML_ERROR_BAD_CHAR_REF:
      return "An \"&\" that starts no known character name: write a plain & as &amp;.";
    case XML_ERROR_UNKNOWN_ENCODING:
      return "The first line names an encoding this tool does not know: write Windows-1252 "
             "there (encoding=\"Windows-1252\"), the encoding of the simulator's own files.";
    case XML_ERROR_AMPLIFICATION_LIMIT_BREACH:
      return "Entities that grow too large: it uses entities this tool does not expand.";
    case XML_ERROR_INCORRECT_ENCODING:
      return "The encoding declared on the first line is not the one the file is written "
             "in; the simulator's own files use Windows-1252.";
    default:
      return "The file is not well-formed XML; compare it with the example in README.txt.";
  }
}

}  // namespace setup
