// How TinyXML reads the text of a placement file, and that text as UTF-8.
#ifndef BRINDLEWICK_CHECK_TEXT_ENCODING_H_
#define BRINDLEWICK_CHECK_TEXT_ENCODING_H_

#include <string>

class TiXmlNode;

/// TinyXML reads a file that begins with a byte order mark as UTF-8 from its
/// start. Otherwise it reads byte by byte until the first top-level
/// declaration, which decides for the rest of the file: UTF-8 when its
/// encoding is empty or begins with "UTF-8" or "UTF8" (any case), byte by
/// byte (ISO-8859-1) when it names anything else.
struct TextEncoding {
  bool utf8 = false;
  bool decided = false;
};

/// The encoding the first node of the file at `path` is read in.
TextEncoding EncodingAtStart(const std::string& path);

/// Moves `encoding` past the top-level node `node`.
void PassNode(const TiXmlNode* node, TextEncoding* encoding);

/// `text` as UTF-8: taken as ISO-8859-1 unless `utf8`, and with U+FFFD for
/// each part of it that is no character (a surrogate, a value above U+10FFFF,
/// a broken or overlong sequence).
std::string Utf8Text(const std::string& text, bool utf8);

#endif  // BRINDLEWICK_CHECK_TEXT_ENCODING_H_
