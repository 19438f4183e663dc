#include "placement/nesting.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "os/regular_file.h"
#include "placement/cut_character.h"

namespace {

// The parser's character classes, in the C locale the program runs in.
bool IsWhiteSpace(char c) {
  return isspace(static_cast<unsigned char>(c)) || c == '\n' || c == '\r';
}
bool IsAlpha(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return u >= 127 || isalpha(u);
}
bool IsAlphaNum(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return u >= 127 || isalnum(u);
}
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool StringEqual(const char* p, const char* tag, size_t n, bool ignoreCase) {
  for (size_t i = 0; i < n; ++i) {
    if (!p[i] || (ignoreCase ? Lower(p[i]) != Lower(tag[i]) : p[i] != tag[i])) return false;
  }
  return true;
}

enum class Kind { kNone, kDeclaration, kComment, kCdata, kUnknown, kElement };

// Each step below does what the parser's function of the same name does,
// with null for the parser's null: a failure that ends the parse.
class Walker {
 public:
  Walker(int limit, bool oddities) : limit_(limit), noteOddities_(oddities) {}

  // `endsAtZero`: the file goes on after the text, past a zero byte.
  ParserWalk Walk(const char* p, bool endsAtZero) {
    const char* start = p;
    ParserWalk walk;
    if (!*p) return walk;
    encoding_ = StartEncoding(p);
    if (encoding_.utf8) walk.utf8From = p;
    p = SkipWhiteSpace(p);
    while (p && *p) {
      const char* node = p;
      Kind kind = Identify(p);
      ParserStop stop = ParserStop::kNone;
      if (kind == Kind::kNone) {
        stop = ParserStop::kText;
      } else if (kind == Kind::kDeclaration) {
        p = ParseDeclaration(p);
        if (!p) stop = ParserStop::kDeclaration;
        if (p) Swallows(node, node + 5, p);
      } else if (kind == Kind::kElement) {
        p = ParseElement(p);
      } else {
        bool closed = true;
        p = ParseOther(kind, p, &closed);
        if (!closed) stop = kind == Kind::kComment ? ParserStop::kComment : ParserStop::kCdata;
        if (!closed && endsAtZero) walk.stopNul = start + strlen(start);
      }
      if (stop != ParserStop::kNone) {
        walk.stop = node;
        walk.stopKind = stop;
      }
      if (kind == Kind::kDeclaration && !encoding_.decided) {
        PassDeclaration(declared_.c_str(), &encoding_);
        // The parser counts places on in UTF-8 from where it last placed
        // something in the declaration: its last attribute, or its start.
        if (encoding_.utf8 && p) walk.utf8From = declarationStamp_;
      }
      if (stop != ParserStop::kNone) break;
      p = SkipWhiteSpace(p);
    }
    // Read without a stop to the end of its text, the parser never sees the
    // rest of the file (where it failed instead, the stop does not matter).
    if (!walk.stop && endsAtZero && depth_ <= limit_ &&
        attributesMost_ <= kMaxPlacementAttributes) {
      walk.stop = start + strlen(start);
      walk.stopKind = ParserStop::kNul;
    }
    walk.depth = depth_;
    walk.attributes = attributesMost_;
    walk.utf8 = encoding_.utf8;
    // A declaration is said after a reference in its value that ran over.
    std::stable_sort(swallows_.begin(), swallows_.end(),
                     [](const Swallow& a, const Swallow& b) { return a.at < b.at; });
    walk.swallows = std::move(swallows_);
    walk.nestedEntry = nestedEntry_;
    walk.oddities = std::move(oddities_);
    return walk;
  }

 private:
  // Marks the node at `node` (<!...>, <?...?>, < ...) when its text from
  // `from` to `end` holds a '<': it runs to the first '>', and a DOCTYPE's
  // internal subset, a '<' before a space, or a declaration's words it cannot
  // read take whatever stands up to there.
  void Swallows(const char* node, const char* from, const char* end) {
    if (!memchr(from, '<', static_cast<size_t>(end - from))) return;
    Swallowed(node, end, SwallowKind::kMarkup);
  }

  // A node said already (a declaration's value) runs on to `end` now.
  void Swallowed(const char* node, const char* end, SwallowKind kind) {
    if (!swallows_.empty() && swallows_.back().at == node) {
      if (end > swallows_.back().end) swallows_.back().end = end;
      return;
    }
    swallows_.push_back({node, end, kind});
  }

  void Note(const char* at, const char* end, TextOddity kind) {
    if (noteOddities_) oddities_.push_back({at, end, kind});
  }

  const char* SkipWhiteSpace(const char* p) const {
    if (!p || !*p) return nullptr;
    while (*p) {
      if (encoding_.utf8 && IsZeroWidthMark(p)) {
        p += 3;
      } else if (IsWhiteSpace(*p)) {
        ++p;
      } else {
        break;
      }
    }
    return p;
  }

  // One character of text or of a value: in UTF-8 as long as its first byte
  // says, whatever the bytes after it are.
  const char* GetChar(const char* p, std::string* value) {
    size_t length = encoding_.utf8 ? AnnouncedLength(static_cast<unsigned char>(*p)) : 1;
    if (length == 1) {
      if (*p == '&') return GetEntity(p, value);
      if (value) value->push_back(*p);
      return p + 1;
    }
    // The parser steps over the whole length even past the end of the text;
    // a text ending so is refused (EndsInCutCharacter), the walk stops there.
    for (size_t i = 0; i < length; ++i) {
      if (!p[i]) return p + i;
      // A lead byte that begins no character here takes a tag's '<' with it.
      if (p[i] == '<') swallows_.push_back({p, p + length, SwallowKind::kCharacter});
      if (value) value->push_back(p[i]);
    }
    return p + length;
  }

  // A value is only kept for a declaration's encoding, which is read before
  // the encoding is known: one byte per character.
  const char* GetEntity(const char* p, std::string* value) {
    if (p[1] == '#' && p[2]) {
      unsigned long code = 0;
      unsigned mult = 1;
      bool hex = p[2] == 'x';
      if (hex && !p[3]) return nullptr;
      const char* q = strchr(p + (hex ? 3 : 2), ';');
      if (!q) return nullptr;
      const char* after = q + 1;
      const char* digits = p + (hex ? 3 : 2);
      for (--q; *q != (hex ? 'x' : '#'); --q) {
        int digit;
        if (*q >= '0' && *q <= '9') {
          digit = *q - '0';
        } else if (hex && *q >= 'a' && *q <= 'f') {
          digit = *q - 'a' + 10;
        } else if (hex && *q >= 'A' && *q <= 'F') {
          digit = *q - 'A' + 10;
        } else {
          return nullptr;
        }
        code += mult * digit;
        mult *= hex ? 16 : 10;
      }
      // Without its ';' the reference runs on to a later one, taking the
      // digits of another reference there for its own.
      if (q + 1 != digits) {
        if (std::string_view(p, static_cast<size_t>(after - p)).find_first_of("\"'<\n") !=
            std::string_view::npos) {
          swallows_.push_back({p, after, SwallowKind::kReference});
        } else {
          Note(p, after, TextOddity::kMisreadReference);
        }
      } else if (noteOddities_ &&
                 (after - digits > 8 || code == 0 || code > 0x10FFFF ||
                  (code >= 0xD800 && code <= 0xDFFF) || (!encoding_.utf8 && code > 0xFF))) {
        // No character, or, read byte by byte, one the parser cuts to a byte.
        Note(p, after, TextOddity::kMisreadReference);
      }
      if (value) value->push_back(static_cast<char>(code));
      return after;
    }
    static const char* const kNamed[][2] = {
        {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}};
    for (const auto& named : kNamed) {
      size_t n = strlen(named[0]);
      if (strncmp(named[0], p, n) == 0) {
        if (value) value->push_back(named[1][0]);
        return p + n;
      }
    }
    if (noteOddities_) {
      const char* name = ReadName(p + 1);
      if (name && *name == ';') {
        Note(p, name + 1, TextOddity::kUnknownEntity);
      } else {
        Note(p, p + 1, TextOddity::kBareAmpersand);
      }
    }
    return p + 1;  // an unknown entity: the parser keeps nothing of the '&'
  }

  static const char* ReadName(const char* p) {
    if (!p || !*p || !(IsAlpha(*p) || *p == '_')) return nullptr;
    while (*p && (IsAlphaNum(*p) || strchr("_-.:", *p))) ++p;
    return p;
  }

  const char* ReadText(const char* p, bool trim, const char* end, std::string* value) {
    size_t n = strlen(end);
    if (trim) p = SkipWhiteSpace(p);
    while (p && *p && !StringEqual(p, end, n, false)) {
      p = trim && IsWhiteSpace(*p) ? p + 1 : GetChar(p, value);
    }
    if (p && *p) p += n;
    return p && *p ? p : nullptr;
  }

  // `valueAt`, when given, gets where the value starts (past its quote).
  const char* ParseAttribute(const char* p, std::string_view* name, std::string* value,
                             const char** valueAt = nullptr) {
    p = SkipWhiteSpace(p);
    if (!p || !*p) return nullptr;
    const char* start = p;
    p = ReadName(p);
    if (!p || !*p) return nullptr;
    *name = std::string_view(start, static_cast<size_t>(p - start));
    p = SkipWhiteSpace(p);
    if (!p || !*p || *p != '=') return nullptr;
    p = SkipWhiteSpace(p + 1);
    if (!p || !*p) return nullptr;
    if (valueAt) *valueAt = *p == '\'' || *p == '"' ? p + 1 : p;
    if (*p == '\'') return ReadText(p + 1, false, "'", value);
    if (*p == '"') return ReadText(p + 1, false, "\"", value);
    for (; *p && !IsWhiteSpace(*p) && *p != '/' && *p != '>'; ++p) {
      if (*p == '\'' || *p == '"') return nullptr;
      if (value) value->push_back(*p);
    }
    return p;
  }

  Kind Identify(const char* p) const {
    if (*p != '<') return Kind::kNone;
    if (StringEqual(p, "<?xml", 5, true)) return Kind::kDeclaration;
    if (StringEqual(p, "<!--", 4, false)) return Kind::kComment;
    if (StringEqual(p, "<![CDATA[", 9, false)) return Kind::kCdata;
    if (StringEqual(p, "<!", 2, false)) return Kind::kUnknown;
    return IsAlpha(p[1]) || p[1] == '_' ? Kind::kElement : Kind::kUnknown;
  }

  // The value of its encoding attribute goes into declared_.
  const char* ParseDeclaration(const char* p) {
    const char* start = p;
    declared_.clear();
    declarationStamp_ = p;
    p += 5;
    while (p && *p) {
      if (*p == '>') return p + 1;
      p = SkipWhiteSpace(p);
      if (!p || !*p) break;
      std::string_view name;
      std::string ignored;
      const char* value = p;
      if (StringEqual(p, "version", 7, true) || StringEqual(p, "standalone", 10, true)) {
        declarationStamp_ = p;  // the parser places each attribute it reads
        p = ParseAttribute(p, &name, &ignored, &value);
      } else if (StringEqual(p, "encoding", 8, true)) {
        declarationStamp_ = p;
        declared_.clear();
        p = ParseAttribute(p, &name, &declared_, &value);
      } else {
        while (*p && *p != '>' && !IsWhiteSpace(*p)) ++p;
        continue;
      }
      // A value read over a '<' or a line break took markup with it; white
      // space around the '=' may hold line breaks as XML allows.
      if (p && std::string_view(value, p - value).find_first_of("<\n") != std::string_view::npos) {
        Swallowed(start, p, SwallowKind::kDeclarationValue);
      }
    }
    return nullptr;
  }

  // Comments, CDATA and unknown markup (DOCTYPE and the like): never nested.
  // `closed` is false for a comment or CDATA section the text ends inside.
  const char* ParseOther(Kind kind, const char* p, bool* closed) {
    *closed = true;
    const char* node = p;
    if (kind == Kind::kDeclaration) {
      p = ParseDeclaration(p);
      if (p) Swallows(node, node + 5, p);
      return p;
    }
    if (kind == Kind::kUnknown) {
      for (++p; *p && *p != '>'; ++p) {
      }
      if (*p) ++p;
      Swallows(node, node + 1, p);
      return p;
    }
    const char* end = kind == Kind::kComment ? "-->" : "]]>";
    bool dashes = false;  // said once a comment: a row of them is one mistake
    for (p += kind == Kind::kComment ? 4 : 9; *p && !StringEqual(p, end, 3, false); ++p) {
      // XML allows no "--" in a comment: a comment meant to end at "->" or
      // "- ->" runs on, and so does one an author nests in another.
      if (noteOddities_ && kind == Kind::kComment) {
        if (p[0] == '-' && p[1] == '-' && !(p[-1] == '!' && p[-2] == '<')) {
          if (!dashes) Note(p, p + 2, TextOddity::kDashesInComment);
          dashes = true;
        } else if (StringEqual(p, "<!--", 4, false)) {
          Note(p, p + 4, TextOddity::kCommentInComment);
        }
      }
    }
    *closed = *p != 0;
    if (kind == Kind::kComment) return *p ? p + 3 : p;
    return ReadText(p, false, end, nullptr);
  }

  // The start tag at p; null when the parser fails on it.
  const char* ParseStartTag(const char* p, std::string_view* name, bool* hasContent) {
    p = SkipWhiteSpace(p + 1);
    const char* start = p;
    p = ReadName(p);
    if (!p || !*p) return nullptr;
    *name = std::string_view(start, static_cast<size_t>(p - start));
    attributes_.clear();
    while (true) {
      p = SkipWhiteSpace(p);
      if (!p || !*p) return nullptr;
      if (*p == '/') {
        *hasContent = false;
        return p[1] == '>' ? p + 2 : nullptr;
      }
      if (*p == '>') {
        *hasContent = true;
        return p + 1;
      }
      std::string_view attribute;
      const char* value = nullptr;
      p = ParseAttribute(p, &attribute, nullptr, &value);
      if (!p || !*p) return nullptr;
      // What a reference or character in it that ran on took is said already;
      // a start tag elsewhere in the value is not.
      if (memchr(value, '<', static_cast<size_t>(p - value))) {
        size_t inner = swallows_.size();
        while (inner > 0 && swallows_[inner - 1].at >= value) --inner;
        bool entry = false;
        const char* from = value;
        for (size_t k = inner; k <= swallows_.size(); ++k) {
          const char* to = k < swallows_.size() ? swallows_[k].at : p;
          if (from < to &&
              std::string_view(from, static_cast<size_t>(to - from)).find("<SimObjectEntry") !=
                  std::string_view::npos) {
            entry = true;
          }
          if (k < swallows_.size() && swallows_[k].end > from) from = swallows_[k].end;
        }
        if (entry) {
          swallows_.push_back({value, p, SwallowKind::kValue});
        } else if (inner == swallows_.size()) {
          Note(value, p, TextOddity::kLessThanInValue);
        }
      }
      for (std::string_view seen : attributes_) {
        if (seen == attribute) return nullptr;  // the parser refuses a repeated attribute
      }
      attributes_.push_back(attribute);
      int count = static_cast<int>(attributes_.size());
      if (count > attributesMost_) attributesMost_ = count;
      if (count > kMaxPlacementAttributes) return nullptr;
    }
  }

  // An element's content from p up to a child element's '<' or the "</" of
  // an end tag; null when the parser fails on it or the text ends.
  const char* ReadContent(const char* p) {
    for (p = SkipWhiteSpace(p); p && *p; p = SkipWhiteSpace(p)) {
      if (*p != '<') {
        p = ReadText(p, true, "<", nullptr);
        if (p) --p;  // back onto the '<'
        continue;
      }
      if (p[1] == '/') return p;
      Kind kind = Identify(p);
      if (kind == Kind::kElement) return p;
      bool closed;
      p = ParseOther(kind, p, &closed);
    }
    return nullptr;
  }

  // The parser recurses into each child element; the walk keeps the names of
  // the open elements on a stack instead, so it cannot overflow itself.
  const char* ParseElement(const char* p) {
    open_.clear();
    while (true) {
      // The parser has made a node of the element at p, whether it parses or not.
      int depth = static_cast<int>(open_.size()) + 1;
      if (depth > depth_) depth_ = depth;
      if (depth > limit_) return nullptr;
      std::string_view name;
      bool hasContent = false;
      p = ParseStartTag(p, &name, &hasContent);
      if (!p) return nullptr;
      if (depth > 1 && name == "SimObjectEntry") nestedEntry_ = true;
      if (hasContent) open_.push_back(name);
      // Read the innermost open element on, closing elements as their end
      // tags come, until a child element starts.
      bool child = false;
      while (!open_.empty() && !child) {
        p = ReadContent(p);
        if (!p) return nullptr;
        child = p[1] != '/';
        if (child) break;
        std::string_view closing = open_.back();
        if (!StringEqual(p + 2, closing.data(), closing.size(), false)) return nullptr;
        p = SkipWhiteSpace(p + 2 + closing.size());
        if (!p || *p != '>') return nullptr;
        ++p;
        open_.pop_back();
      }
      if (!child) return p;
    }
  }

  int limit_;
  int depth_ = 0;
  ParserEncoding encoding_;
  std::vector<std::string_view> open_;
  std::vector<std::string_view> attributes_;
  int attributesMost_ = 0;
  std::string declared_;
  const char* declarationStamp_ = nullptr;
  bool noteOddities_;
  bool nestedEntry_ = false;
  std::vector<Swallow> swallows_;
  std::vector<Oddity> oddities_;
};

}  // namespace

ParserEncoding StartEncoding(const char* text) {
  const unsigned char* u = reinterpret_cast<const unsigned char*>(text);
  ParserEncoding encoding;
  encoding.utf8 = encoding.decided = u[0] == 0xEF && u[1] == 0xBB && u[2] == 0xBF;
  return encoding;
}

bool IsZeroWidthMark(const char* p) {
  const unsigned char* u = reinterpret_cast<const unsigned char*>(p);
  return u[0] == 0xEF &&
         ((u[1] == 0xBB && u[2] == 0xBF) || (u[1] == 0xBF && (u[2] == 0xBE || u[2] == 0xBF)));
}

void PassDeclaration(const char* declared, ParserEncoding* encoding) {
  if (encoding->decided) return;
  encoding->decided = true;
  encoding->utf8 = !*declared || StringEqual(declared, "utf-8", 5, true) ||
                   StringEqual(declared, "utf8", 4, true);
}

namespace {

// Appends `size` bytes to `text` as the parser sees them, runs at a time;
// false once a zero byte ends the text. `cr` carries a CR that ended the
// previous piece (already written as LF) so that an LF after it is dropped.
bool AppendParserText(const char* bytes, size_t size, bool* cr, std::string* text) {
  const char* p = bytes;
  const char* end = bytes + size;
  if (*cr && p < end && *p == '\n') ++p;
  *cr = false;
  const char* zero = static_cast<const char*>(memchr(p, 0, static_cast<size_t>(end - p)));
  if (zero) end = zero;
  while (p < end) {
    const char* at = static_cast<const char*>(memchr(p, '\r', static_cast<size_t>(end - p)));
    if (!at) {
      text->append(p, end);
      break;
    }
    text->append(p, at);
    text->push_back('\n');
    p = at + 1;
    if (p == end) *cr = !zero;
    if (p < end && *p == '\n') ++p;
  }
  if (zero) text->push_back('\0');
  return !zero;
}

}  // namespace

std::string ParserText(const char* bytes, size_t size) {
  std::string text;
  text.reserve(size);
  bool cr = false;
  AppendParserText(bytes, size, &cr, &text);
  return text;
}

bool ReadParserText(const std::string& nativePath, std::string* text) {
  FILE* file = os::OpenRegularFile(nativePath);
  if (!file) return false;
  // Each piece goes into the text as it is read; room for the whole file is
  // made at once where its size is known, sparing the copies of growing.
  std::string read;
  if (fseek(file, 0, SEEK_END) == 0) {
    long size = ftell(file);
    if (size > 0) read.reserve(static_cast<size_t>(size));
    rewind(file);
  }
  char piece[65536];
  size_t got;
  bool cr = false;
  bool open = true;  // no zero byte yet; after one the rest is read for errors only
  while ((got = fread(piece, 1, sizeof piece, file)) > 0) {
    if (open) open = AppendParserText(piece, got, &cr, &read);
  }
  bool failed = ferror(file) != 0;
  fclose(file);
  if (failed) return false;
  *text = std::move(read);
  return true;
}

ParserWalk WalkAsParser(const char* text, int limit, bool oddities) {
  return Walker(limit, oddities).Walk(text, false);
}

ParserWalk WalkAsParser(const std::string& text, int limit, bool oddities) {
  return Walker(limit, oddities).Walk(text.c_str(), strlen(text.c_str()) < text.size());
}
