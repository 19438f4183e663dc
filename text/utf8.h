// UTF-8 read strictly and written: the rules of the encoding in one place,
// for the program, the checker and the setup tool alike.
#ifndef BRINDLEWICK_TEXT_UTF8_H_
#define BRINDLEWICK_TEXT_UTF8_H_

#include <stddef.h>

#include <string>

/// The length in bytes of the sequence `lead` begins: 1 to 4, or 0 for a
/// byte that begins none (0x80 to 0xC1, 0xF5 to 0xFF).
size_t Utf8Length(unsigned char lead);

/// One character read from the start of a text.
struct Utf8Char {
  /// A well-formed sequence: complete, not overlong, no surrogate, nothing
  /// above U+10FFFF.
  bool valid = false;
  /// Valid: the sequence's length. Otherwise the broken part: the first byte
  /// and the continuation bytes after it that still fit (at least 1).
  size_t length = 1;
  unsigned long point = 0;  // valid: the code point
};

/// Reads the character at the start of `text`, `size` (at least 1) bytes long.
Utf8Char ReadUtf8(const char* text, size_t size);

/// Appends `point` as UTF-8, 1 to 4 bytes; whether it is a character is the
/// caller's business.
void AppendUtf8(unsigned long point, std::string* out);

#endif  // BRINDLEWICK_TEXT_UTF8_H_
