// Lines and columns of a parser text as an editor counts them. TinyXML counts
// its own: reading UTF-8, it steps over as many bytes as a lead byte
// announces, line breaks included, so after a byte that is no character in a
// file read as UTF-8 its rows drift from the file's lines. Every place the
// program or the checker shows is counted here from the text itself.
#ifndef BRINDLEWICK_PLACEMENT_TEXT_PLACES_H_
#define BRINDLEWICK_PLACEMENT_TEXT_PLACES_H_

#include <stddef.h>

#include <vector>

/// A line and a column, both from 1.
struct TextPlace {
  int line = 0;
  int column = 0;
};

class TextPlaces {
 public:
  /// `text` is NUL-terminated and outlives this. The parser reads it as UTF-8
  /// from `utf8From` on (null: never); a tab steps to the next multiple of
  /// `tabSize` as the parser's columns do.
  TextPlaces(const char* text, const char* utf8From, int tabSize);

  /// Where `at` stands: a line break starts a line, a character (a UTF-8 one
  /// where the parser reads UTF-8, but never across a line break) is one
  /// column, a byte-order mark none.
  TextPlace Of(const char* at) const;

  /// Where the node or attribute stands that TinyXML placed at `row` and
  /// `column` (its Row() and Column()).
  TextPlace OfParsed(int row, int column) const;

 private:
  // One step of the parser's count from p; true when it stepped over a
  // line break inside a character.
  const char* Step(const char* p, int* row, int* column, bool* swallowedBreak) const;
  void CountAsParser() const;

  const char* text_;
  const char* utf8From_;
  int tabSize_;
  // Built at the first OfParsed: where each of the parser's rows starts, or
  // nothing when its rows are the text's lines.
  mutable bool counted_ = false;
  mutable std::vector<const char*> rowStarts_;
  // Places are mostly asked for in the order of the text: each count goes on
  // from the last one, so that many places in a long file cost one pass.
  mutable const char* at_ = nullptr;
  mutable TextPlace place_;
  mutable const char* parsedAt_ = nullptr;
  mutable int parsedRow_ = 0;
  mutable int parsedColumn_ = 0;
};

#endif  // BRINDLEWICK_PLACEMENT_TEXT_PLACES_H_
