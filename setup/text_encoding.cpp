#include "setup/text_encoding.h"

#include <vector>

#include "text/utf8.h"

namespace setup {
namespace {

// 0x80..0x9F; the five bytes Windows-1252 leaves undefined map to the C1
// controls of the same number, as Windows' own conversion does.
const int kWindows1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool SameName(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    char x = a[i] >= 'A' && a[i] <= 'Z' ? a[i] - 'A' + 'a' : a[i];
    if (x != b[i]) return false;
  }
  return i == a.size() && !b[i];
}

// The code points of UTF-8 `text`; false when it is not UTF-8.
bool CodePoints(const std::string& text, std::vector<int>* points) {
  for (size_t i = 0; i < text.size();) {
    Utf8Char c = ReadUtf8(text.data() + i, text.size() - i);
    if (!c.valid) return false;
    points->push_back(static_cast<int>(c.point));
    i += c.length;
  }
  return true;
}

}  // namespace

Encoding EncodingOf(const std::string& declared, const std::string& bytes) {
  // Expat reads UTF-16 from its byte order mark or from "<" as two bytes.
  if (bytes.size() >= 2 && (bytes.compare(0, 2, "\xFE\xFF") == 0 ||
                            bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes[0] == 0 || bytes[1] == 0))
    return Encoding::kUtf16;
  if (declared.empty() || SameName(declared, "utf-8")) return Encoding::kUtf8;
  if (SameName(declared, "windows-1252")) return Encoding::kWindows1252;
  if (SameName(declared, "iso-8859-1")) return Encoding::kLatin1;
  if (SameName(declared, "us-ascii")) return Encoding::kAscii;
  if (SameName(declared, "utf-16")) return Encoding::kUtf16;
  return Encoding::kOther;
}

const char* EncodingName(Encoding encoding) {
  switch (encoding) {
    case Encoding::kUtf8:
      return "UTF-8";
    case Encoding::kWindows1252:
      return "Windows-1252";
    case Encoding::kLatin1:
      return "ISO-8859-1";
    case Encoding::kAscii:
      return "US-ASCII";
    case Encoding::kUtf16:
      return "UTF-16";
    case Encoding::kOther:
      break;
  }
  return "an encoding this tool does not write";
}

int Windows1252ToUnicode(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : byte;
}

bool EncodeText(const std::string& text, Encoding encoding, std::string* bytes) {
  std::vector<int> points;
  if (!CodePoints(text, &points)) return false;
  if (encoding == Encoding::kUtf8) {
    *bytes = text;
    return true;
  }
  bytes->clear();
  for (int point : points) {
    int byte = -1;
    if (point < 0x80 || (point < 0x100 && encoding == Encoding::kLatin1)) byte = point;
    if (encoding == Encoding::kWindows1252) {
      for (int b = 0x80; b < 0x100 && byte < 0; ++b)
        if (Windows1252ToUnicode(b) == point) byte = b;
    } else if (encoding != Encoding::kAscii && encoding != Encoding::kLatin1) {
      return false;
    }
    if (byte < 0) return false;
    *bytes += static_cast<char>(byte);
  }
  return true;
}

std::string DecodeText(const std::string& bytes, Encoding encoding) {
  if (encoding != Encoding::kWindows1252 && encoding != Encoding::kLatin1) return bytes;
  std::string text;
  for (unsigned char byte : bytes)
    AppendUtf8(encoding == Encoding::kLatin1 ? byte : Windows1252ToUnicode(byte), &text);
  return text;
}

}  // namespace setup
