#include "placement/text_places.h"

#include <string.h>

#include "placement/cut_character.h"
#include "placement/nesting.h"

TextPlaces::TextPlaces(const char* text, const char* utf8From, int tabSize)
    : text_(text), utf8From_(utf8From), tabSize_(tabSize) {}

const char* TextPlaces::Step(const char* p, int* row, int* column, bool* swallowedBreak) const {
  const unsigned char* u = reinterpret_cast<const unsigned char*>(p);
  bool utf8 = utf8From_ && p >= utf8From_;
  if (*p == '\n') {
    ++*row;
    *column = 0;
    return p + 1;
  }
  if (*p == '\t') {
    *column = tabSize_ > 0 ? (*column / tabSize_ + 1) * tabSize_ : *column + 1;
    return p + 1;
  }
  if (utf8 && IsZeroWidthMark(p)) return p + 3;
  size_t length = utf8 ? AnnouncedLength(u[0]) : 1;
  ++*column;
  for (size_t i = 1; i < length; ++i) {
    if (!p[i]) return p + i;
    if (p[i] == '\n') *swallowedBreak = true;
  }
  return p + length;
}

TextPlace TextPlaces::Of(const char* at) const {
  int line = 1;
  const char* lineStart = text_;
  for (const char* p = text_; p < at;) {
    const char* n = static_cast<const char*>(memchr(p, '\n', static_cast<size_t>(at - p)));
    if (!n) break;
    ++line;
    lineStart = p = n + 1;
  }
  int row = 0;
  int column = 0;
  bool ignored = false;
  for (const char* p = lineStart; p < at && *p && *p != '\n';) {
    const char* next = Step(p, &row, &column, &ignored);
    // A character is never counted across a line break.
    const char* brk = static_cast<const char*>(memchr(p + 1, '\n', static_cast<size_t>(next - p - 1)));
    p = brk ? brk : next;
  }
  return {line, column + 1};
}

void TextPlaces::CountAsParser() const {
  counted_ = true;
  int row = 0;
  int column = 0;
  bool drift = false;
  std::vector<const char*> starts = {text_};
  for (const char* p = text_; *p;) {
    int before = row;
    p = Step(p, &row, &column, &drift);
    if (row != before) starts.push_back(p);
  }
  if (drift) rowStarts_ = std::move(starts);
}

TextPlace TextPlaces::OfParsed(int row, int column) const {
  if (!counted_) CountAsParser();
  if (rowStarts_.empty() || row < 1 || static_cast<size_t>(row) > rowStarts_.size()) {
    return {row, column};
  }
  // Step along the parser's row to its column; the parser placed the node
  // at the first step that reached it.
  const char* p = rowStarts_[static_cast<size_t>(row - 1)];
  int r = row - 1;
  int c = 0;
  bool ignored = false;
  while (*p && c < column - 1 && r == row - 1) p = Step(p, &r, &c, &ignored);
  return Of(p);
}
