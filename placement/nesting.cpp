#include "placement/nesting.h"

#include <stdio.h>
#include <string.h>

namespace {

bool StartsWith(const char* p, const char* end, const char* prefix) {
  size_t n = strlen(prefix);
  return static_cast<size_t>(end - p) >= n && memcmp(p, prefix, n) == 0;
}

// Returns the position just past `terminator`, or `end` when it never comes.
const char* SkipPast(const char* p, const char* end, const char* terminator) {
  size_t n = strlen(terminator);
  for (; p + n <= end; ++p) {
    if (memcmp(p, terminator, n) == 0) return p + n;
  }
  return end;
}

}  // namespace

bool NestingWithin(const char* text, size_t size, int limit) {
  const char* p = text;
  const char* end = text + size;
  int depth = 0;
  while (p < end) {
    if (*p != '<') {
      // Text between tags is most of a file; skip it in one go.
      const char* open = static_cast<const char*>(memchr(p, '<', end - p));
      p = open ? open : end;
      continue;
    }
    if (StartsWith(p, end, "<!--")) {
      p = SkipPast(p + 4, end, "-->");
    } else if (StartsWith(p, end, "<![CDATA[")) {
      p = SkipPast(p + 9, end, "]]>");
    } else if (StartsWith(p, end, "<?") || StartsWith(p, end, "<!")) {
      p = SkipPast(p + 2, end, ">");
    } else if (StartsWith(p, end, "</")) {
      if (depth > 0) --depth;
      p = SkipPast(p + 2, end, ">");
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
      if (last != '/' && ++depth > limit) return false;
      p = q < end ? q + 1 : end;
    }
  }
  return true;
}

bool FileNestingIsSafe(const std::string& nativePath) {
  FILE* file = fopen(nativePath.c_str(), "rb");
  if (!file) return true;
  std::string text;
  // One allocation of the file's size instead of a string grown in steps.
  if (fseek(file, 0, SEEK_END) == 0) {
    long size = ftell(file);
    if (size > 0) text.reserve(static_cast<size_t>(size));
    fseek(file, 0, SEEK_SET);
  }
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
  fclose(file);
  return NestingWithin(text.data(), text.size(), kMaxPlacementNesting);
}
