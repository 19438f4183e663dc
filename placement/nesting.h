// A cheap look at how deeply a file's elements nest, taken before the XML
// parser sees the file: TinyXML parses (and frees) nested elements
// recursively, so a hostile file nested deeply enough overflows the stack.
#ifndef BRINDLEWICK_PLACEMENT_NESTING_H_
#define BRINDLEWICK_PLACEMENT_NESTING_H_

#include <stddef.h>

#include <string>

/// Real placement files nest three levels (entry, its children, perhaps one
/// more inside those). 256 leaves authors every freedom they could want while
/// keeping the parser's recursion a small fraction of a 1 MiB thread stack.
const int kMaxPlacementNesting = 256;

/// True when no element in `text` stands more than `limit` levels deep. It
/// errs on the side of counting too deep: every '<' that opens a tag counts
/// unless the tag closes itself, and comments, CDATA, declarations and quoted
/// attribute values are skipped as the parser skips them.
bool NestingWithin(const char* text, size_t size, int limit);

/// Where a scan of a text given in pieces stands between them.
struct NestingScan {
  int limit = kMaxPlacementNesting;
  int depth = 0;
  bool tooDeep = false;
};

/// Scans the next piece of a text as NestingWithin does, carrying the depth
/// in `scan`. Returns how many bytes it took: markup left unfinished at the
/// end is left for the next call, which is given it again in front of the
/// next piece, unless `final` says this is the end of the text. Stops early
/// once the text is too deep.
size_t ScanNesting(const char* text, size_t size, bool final, NestingScan* scan);

/// False for a file nested deeper than kMaxPlacementNesting. A file that
/// cannot be read passes; the parser then reports it as it always does.
bool FileNestingIsSafe(const std::string& nativePath);

#endif  // BRINDLEWICK_PLACEMENT_NESTING_H_
