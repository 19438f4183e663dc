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
#include <vector>

/// Real placement files nest three levels (entry, its children, perhaps one
/// more inside those). 256 leaves authors every freedom they could want while
/// keeping the parser's recursion a small fraction of a 1 MiB thread stack.
const int kMaxPlacementNesting = 256;

/// TinyXML looks for a repeated attribute by comparing each with all before
/// it: an element with tens of thousands stalls it for seconds. Real entries
/// have a handful.
const int kMaxPlacementAttributes = 1000;

/// The text as TinyXML's LoadFile hands a file's bytes to its parser: up to
/// the first zero byte, with CR LF and a lone CR each turned into one LF. A
/// zero byte is kept as the last one of the string: the parser's text ends
/// there, and the walk must know the file went on.
std::string ParserText(const char* bytes, size_t size);

/// ParserText of the file at `nativePath`; false, with errno set, when it
/// cannot be read or is not a regular file (os::OpenRegularFile).
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

/// Why the parser reads nothing of a text after some point, though it reports
/// no error.
enum class ParserStop {
  kNone,
  kText,         // text outside an element: Parse returns where it stands
  kComment,      // a comment never closed takes the rest of the text
  kCdata,        // a CDATA section never closed: the parse ends there
  kDeclaration,  // a declaration it cannot read: the parse ends there
  kNul,          // a zero byte ends the parser's text before the file's end
};

/// A node that swallows markup: what it reads runs on over text that an
/// author means as markup, and what stands there is not read as such.
enum class SwallowKind {
  kMarkup,            // <!...>, <?...?> or < ... holding a '<' before its '>'
  kDeclarationValue,  // a declaration's value over a '<' or a line break
  kReference,         // &#... whose jump to a later ';' passes a quote, '<' or line break
  kValue,             // an attribute value holding a <SimObjectEntry start tag
  kCharacter,         // a UTF-8 lead byte whose character takes a '<' with it
};

struct Swallow {
  const char* at;   // where the node starts
  const char* end;  // where what it reads ends
  SwallowKind kind;
};

/// What TinyXML reads otherwise than XML would, found only when asked for:
/// none of it stops the parser.
enum class TextOddity {
  kDashesInComment,   // "--" inside a comment
  kCommentInComment,  // "<!--" inside a comment
  kBareAmpersand,     // a '&' that starts no reference: the parser drops it
  kUnknownEntity,     // &name; of no entity the parser knows: it drops the '&'
  kMisreadReference,  // a character reference the parser reads as another text
  kLessThanInValue,   // an attribute value holding a '<'
};

struct Oddity {
  const char* at;
  const char* end;  // the end of what is odd (a reference's ';', a value's end)
  TextOddity kind;
};

/// What the walk saw of a parser text.
struct ParserWalk {
  /// How deep the parser's elements nest, counted no further than limit + 1
  /// (the walk stops there). A top-level element stands at depth 1.
  int depth = 0;
  /// The most attributes of one element, counted no further than
  /// kMaxPlacementAttributes + 1 (the walk stops there).
  int attributes = 0;
  /// The parser reads the text after its first declaration as UTF-8.
  bool utf8 = false;
  /// Where the parser starts reading UTF-8 (the start, or the end of the
  /// first top-level declaration), or null when it never does.
  const char* utf8From = nullptr;
  /// Where, at the top level, the parser reads no further (the start of the
  /// text or the node that ends it), and why; null and kNone when it reads to
  /// the end.
  const char* stop = nullptr;
  ParserStop stopKind = ParserStop::kNone;
  /// The zero byte that ends the text inside a comment or CDATA section the
  /// stop names, or null: it, not the node, cuts the file short.
  const char* stopNul = nullptr;
  /// Every node that swallows markup, in the order of the text.
  std::vector<Swallow> swallows;
  /// An element named SimObjectEntry stands below the top level.
  bool nestedEntry = false;
  /// Filled only when the walk is asked for them.
  std::vector<Oddity> oddities;
};

/// Walks `text` (a parser text, NUL-terminated) as TinyXML parses it;
/// `oddities`: notes them too.
ParserWalk WalkAsParser(const char* text, int limit, bool oddities = false);

/// The same for a parser text that may end in the zero byte of its file
/// (ParserText): the parser stops there, as at a stop of kNul.
ParserWalk WalkAsParser(const std::string& text, int limit, bool oddities = false);

#endif  // BRINDLEWICK_PLACEMENT_NESTING_H_
