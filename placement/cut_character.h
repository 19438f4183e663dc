// A look at how a file ends, taken before the XML parser sees it. TinyXML
// reads a UTF-8 character by the length its first byte announces and steps
// over that whole length even when the text ends sooner; in a file whose last
// character is cut short it then reads on past the end of its buffer.
#ifndef BRINDLEWICK_PLACEMENT_CUT_CHARACTER_H_
#define BRINDLEWICK_PLACEMENT_CUT_CHARACTER_H_

#include <stddef.h>

#include <string>

/// True when `text`, taken as TinyXML takes a file (up to the first zero
/// byte, with CR LF and a lone CR each read as one LF), ends inside a
/// character whose first byte (0xC2 to 0xF4) announces 2 to 4 bytes. Such a
/// file is never well-formed where the parser reads characters (text and
/// attribute values), so refusing it loses nothing that could load.
bool EndsInCutCharacter(const char* text, size_t size);

/// EndsInCutCharacter for a whole file, read in pieces so that a large file
/// never has to be held at once. A file that cannot be read is not cut.
bool FileEndsInCutCharacter(const std::string& nativePath);

#endif  // BRINDLEWICK_PLACEMENT_CUT_CHARACTER_H_
