#include "placement/cut_character.h"

#include <string.h>

#include "text/utf8.h"

// The parser's table is UTF-8's own, but a byte that begins nothing is taken
// as one byte.
size_t AnnouncedLength(unsigned char first) {
  size_t length = Utf8Length(first);
  return length > 0 ? length : 1;
}

bool EndsInCutCharacter(const char* text, size_t size) {
  const char* zero = static_cast<const char*>(memchr(text, 0, size));
  if (zero) size = static_cast<size_t>(zero - text);
  // Only the last three bytes the parser sees can start a character that the
  // end cuts short. Line ends shrink the text (CR LF becomes LF), so the last
  // bytes are collected from the end as the parser would see them.
  unsigned char last[3];
  size_t count = 0;
  for (size_t i = size; i > 0 && count < 3; --i) {
    char c = text[i - 1];
    if (c == '\n' && i >= 2 && text[i - 2] == '\r') --i;  // CR LF: one LF
    last[count++] = static_cast<unsigned char>(c == '\r' ? '\n' : c);
  }
  // last[k] stands k + 1 bytes from the end.
  for (size_t k = 0; k < count; ++k) {
    if (AnnouncedLength(last[k]) > k + 1) return true;
  }
  return false;
}
