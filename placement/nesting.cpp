#include "placement/nesting.h"

#include <stdio.h>
#include <string.h>

namespace {

bool StartsWith(const char* p, const char* end, const char* prefix) {
  size_t n = strlen(prefix);
  return static_cast<size_t>(end - p) >= n && memcmp(p, prefix, n) == 0;
}

// Returns the position just past `terminator`, or null when it never comes.
const char* FindPast(const char* p, const char* end, const char* terminator) {
  size_t n = strlen(terminator);
  for (; p + n <= end; ++p) {
    if (memcmp(p, terminator, n) == 0) return p + n;
  }
  return nullptr;
}

// Telling the kinds of markup apart takes at most this many bytes ("<![CDATA[").
const ptrdiff_t kLongestOpening = 9;

}  // namespace

size_t ScanNesting(const char* text, size_t size, bool final, NestingScan* scan) {
  const char* p = text;
  const char* end = text + size;
  while (p < end) {
    if (*p != '<') {
      // Text between tags is most of a file; skip it in one go.
      const char* open = static_cast<const char*>(memchr(p, '<', end - p));
      p = open ? open : end;
      continue;
    }
    if (!final && end - p < kLongestOpening) break;
    const char* next;  // just past this piece of markup; null when it is unfinished
    if (StartsWith(p, end, "<!--")) {
      next = FindPast(p + 4, end, "-->");
    } else if (StartsWith(p, end, "<![CDATA[")) {
      next = FindPast(p + 9, end, "]]>");
    } else if (StartsWith(p, end, "<?") || StartsWith(p, end, "<!")) {
      next = FindPast(p + 2, end, ">");
    } else if (StartsWith(p, end, "</")) {
      next = FindPast(p + 2, end, ">");
      if ((next || final) && scan->depth > 0) --scan->depth;
    } else {
      // An opening tag: find its end, stepping over quoted values.
      const char* q = p + 1;
      char last = 0;
      while (q < end && *q != '>') {
        if (*q == '"' || *q == '\'') {
          const char* close = static_cast<const char*>(memchr(q + 1, *q, end - q - 1));
          q = close ? close : end;
        }
        if (q < end) last = *q++;
      }
      next = q < end ? q + 1 : nullptr;
      if ((next || final) && last != '/' && ++scan->depth > scan->limit) {
        scan->tooDeep = true;
        break;
      }
    }
    // Unfinished markup waits for more text; at the end it runs to the end.
    if (!next && !final) break;
    p = next ? next : end;
  }
  return static_cast<size_t>(p - text);
}

bool NestingWithin(const char* text, size_t size, int limit) {
  NestingScan scan;
  scan.limit = limit;
  ScanNesting(text, size, true, &scan);
  return !scan.tooDeep;
}

bool FileNestingIsSafe(const std::string& nativePath) {
  FILE* file = fopen(nativePath.c_str(), "rb");
  if (!file) return true;
  // Read in pieces, not whole: a large file held whole costs a fresh block
  // of memory for every page of it, which costs more than the scan itself.
  const size_t kPiece = 65536;
  char piece[kPiece];
  std::string carried;  // unfinished markup from the pieces before
  NestingScan scan;
  scan.limit = kMaxPlacementNesting;
  bool final = false;
  while (!final && !scan.tooDeep) {
    const char* text = piece;
    size_t size;
    if (carried.size() < kPiece) {
      size = fread(piece, 1, kPiece, file);
      final = size < kPiece;
      if (!carried.empty()) {
        carried.append(piece, size);
        text = carried.data();
        size = carried.size();
      }
    } else {
      // Markup longer than a piece is scanned again with what follows;
      // reading as much again as is carried keeps that linear in the file.
      size_t kept = carried.size();
      carried.resize(2 * kept);
      size_t got = fread(&carried[kept], 1, kept, file);
      carried.resize(kept + got);
      final = got < kept;
      text = carried.data();
      size = carried.size();
    }
    size_t used = ScanNesting(text, size, final, &scan);
    if (text == carried.data()) {
      carried.erase(0, used);
    } else {
      carried.assign(text + used, size - used);
    }
  }
  fclose(file);
  return !scan.tooDeep;
}
