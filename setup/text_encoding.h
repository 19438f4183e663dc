// The encodings an exe.xml is written in, between the file's bytes and the
// UTF-8 the tool works in.
#ifndef BRINDLEWICK_SETUP_TEXT_ENCODING_H_
#define BRINDLEWICK_SETUP_TEXT_ENCODING_H_

#include <string>

namespace setup {

enum class Encoding { kUtf8, kWindows1252, kLatin1, kAscii, kUtf16, kOther };

/// The encoding an XML declaration names (empty: none), seen through the
/// file's first bytes: a UTF-16 file is UTF-16 whatever it declares.
Encoding EncodingOf(const std::string& declared, const std::string& bytes);

/// The name written in messages ("Windows-1252").
const char* EncodingName(Encoding encoding);

/// Windows-1252's code point for byte `byte`, as Windows maps it.
int Windows1252ToUnicode(unsigned char byte);

/// UTF-8 `text` in `encoding`; false when a character has no place in it (or
/// the text is not UTF-8).
bool EncodeText(const std::string& text, Encoding encoding, std::string* bytes);

/// `bytes` in `encoding` as UTF-8 (only for showing them).
std::string DecodeText(const std::string& bytes, Encoding encoding);

}  // namespace setup

#endif  // BRINDLEWICK_SETUP_TEXT_ENCODING_H_
