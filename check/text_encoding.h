// How TinyXML reads the text of a placement file, and that text as UTF-8.
#ifndef BRINDLEWICK_CHECK_TEXT_ENCODING_H_
#define BRINDLEWICK_CHECK_TEXT_ENCODING_H_

#include <string>

#include "placement/nesting.h"

class TiXmlNode;

/// The encoding the first node of the file at `path` is read in.
ParserEncoding EncodingAtStart(const std::string& path);

/// True when the file at `path` starts with a UTF-16 byte-order mark: the
/// parser, reading bytes, finds no element in it.
bool StartsAsUtf16(const std::string& path);

/// Moves `encoding` past the top-level node `node`.
void PassNode(const TiXmlNode* node, ParserEncoding* encoding);

/// `text` as UTF-8: taken as ISO-8859-1 unless `utf8`, and with U+FFFD for
/// each part of it that is no character (a surrogate, a value above U+10FFFF,
/// a broken or overlong sequence).
std::string Utf8Text(const std::string& text, bool utf8);

#endif  // BRINDLEWICK_CHECK_TEXT_ENCODING_H_
