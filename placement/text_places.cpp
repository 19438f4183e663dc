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
  if (!at_ || at < at_) {
    at_ = text_;
    place_ = {1, 0};
  }
  // From the last place: across the line breaks first, then along the line.
  const char* p = at_;
  for (const char* n;
       p < at && (n = static_cast<const char*>(memchr(p, '\n', static_cast<size_t>(at - p))));) {
    ++place_.line;
    place_.column = 0;
    p = n + 1;
  }
  int row = 0;
  bool ignored = false;
  while (p < at && *p) {
    const char* next = Step(p, &row, &place_.column, &ignored);
    // A character is never counted across a line break.
    const char* brk =
        static_cast<const char*>(memchr(p + 1, '\n', static_cast<size_t>(next - p - 1)));
    p = brk ? brk : next;
    if (brk) break;  // at stands inside the broken character, before the break
  }
  at_ = p;
  return {place_.line, place_.column + 1};
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
  // Step along the parser's row to its column, on from the last place asked
  // for when it stands before on the same row; the parser placed the node at
  // the first step that reached it.
  if (!parsedAt_ || parsedRow_ != row - 1 || parsedColumn_ > column - 1) {
    parsedAt_ = rowStarts_[static_cast<size_t>(row - 1)];
    parsedRow_ = row - 1;
    parsedColumn_ = 0;
  }
  const char* p = parsedAt_;
  int r = parsedRow_;
  int c = parsedColumn_;
  bool ignored = false;
  while (*p && c < column - 1 && r == row - 1) {
    parsedAt_ = p;
    parsedColumn_ = c;
    p = Step(p, &r, &c, &ignored);
  }
  // A character that begins no character took the node's '<' into its step:
  // the parser counted on past it, but the node starts there.
  if (p - parsedAt_ > 1) {
    const char* lt = static_cast<const char*>(
        memchr(parsedAt_ + 1, '<', static_cast<size_t>(p - parsedAt_ - 1)));
    if (lt) return Of(lt);
  }
  return Of(p);
}
