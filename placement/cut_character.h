// A look at how a file ends, taken before the XML parser sees it. TinyXML
// reads a UTF-8 character by the length its first byte announces and steps
// over that whole length even when the text ends sooner; in a file whose last
// character is cut short it then reads on past the end of its buffer.
#ifndef BRINDLEWICK_PLACEMENT_CUT_CHARACTER_H_
#define BRINDLEWICK_PLACEMENT_CUT_CHARACTER_H_

#include <stddef.h>

/// True when `text`, taken as TinyXML takes a file (up to the first zero
/// byte, with CR LF and a lone CR each read as one LF), ends inside a
/// character whose first byte (0xC2 to 0xF4) announces 2 to 4 bytes. Such a
/// file is never well-formed where the parser reads characters (text and
/// attribute values), so refusing it loses nothing that could load.
bool EndsInCutCharacter(const char* text, size_t size);

/// The length in bytes of a character that the parser, reading UTF-8, takes
/// `first` to begin (its own table: 0xC2 to 0xF4 announce 2 to 4, others 1).
size_t AnnouncedLength(unsigned char first);

#endif  // BRINDLEWICK_PLACEMENT_CUT_CHARACTER_H_
