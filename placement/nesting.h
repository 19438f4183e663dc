// A look at how deeply a file's elements nest, taken before the XML parser
// sees the file: TinyXML parses (and frees) nested elements recursively, so a
// hostile file nested deeply enough overflows the stack.
//
// The look is a walk through the text that steps exactly as TinyXML 2.6's
// parser steps: it decides the encoding as the parser does (a UTF-8 byte-order
// mark, then the first declaration), steps over a whole character where the
// parser reads one by its first byte, and takes comments, CDATA, declarations,
// quoted values and entities where the parser takes them. A scan that merely
// looked for '<' could be led to believe it stood inside a value or a comment
// while the parser went on reading elements.
#ifndef BRINDLEWICK_PLACEMENT_NESTING_H_
#define BRINDLEWICK_PLACEMENT_NESTING_H_

#include <stddef.h>

#include <string>

/// Real placement files nest three levels (entry, its children, perhaps one
/// more inside those). 256 leaves authors every freedom they could want while
/// keeping the parser's recursion a small fraction of a 1 MiB thread stack.
const int kMaxPlacementNesting = 256;

/// The text as TinyXML's LoadFile hands a file's bytes to its parser: up to
/// the first zero byte, with CR LF and a lone CR each turned into one LF.
std::string ParserText(const char* bytes, size_t size);

/// ParserText of the file at `nativePath`; false when it cannot be read.
bool ReadParserText(const std::string& nativePath, std::string* text);

/// How TinyXML decides the encoding it reads a text in. A byte-order mark
/// means UTF-8 from the start. Otherwise it reads byte by byte until the
/// first top-level declaration, which decides for the rest: UTF-8 when its
/// encoding is empty or begins with "UTF-8" or "UTF8" (any case), byte by
/// byte (ISO-8859-1) when it names anything else.
struct ParserEncoding {
  bool utf8 = false;
  bool decided = false;
};

/// The encoding at the start of `text` (NUL-terminated, or 3 bytes at least).
ParserEncoding StartEncoding(const char* text);

/// Moves `encoding` past a top-level declaration whose encoding is `declared`.
void PassDeclaration(const char* declared, ParserEncoding* encoding);

/// True at a UTF-8 byte-order mark, U+FFFE or U+FFFF: reading UTF-8, the
/// parser skips them as white space and counts no column for them.
bool IsZeroWidthMark(const char* p);

/// What the walk saw of a parser text.
struct ParserWalk {
  /// How deep the parser's elements nest, counted no further than limit + 1
  /// (the walk stops there). A top-level element stands at depth 1.
  int depth = 0;
  /// The parser reads the text after its first declaration as UTF-8.
  bool utf8 = false;
  /// Where the parser stops at the top level before the end of the text (text
  /// outside an element), or null.
  const char* stop = nullptr;
};

/// Walks `text` (a parser text, NUL-terminated) as TinyXML parses it.
ParserWalk WalkAsParser(const char* text, int limit);

#endif  // BRINDLEWICK_PLACEMENT_NESTING_H_
