#include "check/text_encoding.h"

#include <stdio.h>
#include <tinyxml.h>

namespace {

bool StartsWithIgnoringCase(const char* text, const char* start) {
  for (; *start; ++text, ++start) {
    char c = (*text >= 'a' && *text <= 'z') ? static_cast<char>(*text - 32) : *text;
    if (c != *start) return false;
  }
  return true;
}

// The length a lead byte announces and the range its second byte must fall
// in, which rules out overlong forms, surrogates and values above U+10FFFF;
// a length of 0 for a byte that starts nothing.
struct Lead {
  size_t length;
  unsigned char low;
  unsigned char high;
};

Lead LeadOf(unsigned char byte) {
  if (byte < 0x80) return {1, 0, 0};
  if (byte < 0xC2) return {0, 0, 0};
  if (byte < 0xE0) return {2, 0x80, 0xBF};
  if (byte == 0xE0) return {3, 0xA0, 0xBF};
  if (byte == 0xED) return {3, 0x80, 0x9F};
  if (byte < 0xF0) return {3, 0x80, 0xBF};
  if (byte == 0xF0) return {4, 0x90, 0xBF};
  if (byte < 0xF4) return {4, 0x80, 0xBF};
  if (byte == 0xF4) return {4, 0x80, 0x8F};
  return {0, 0, 0};
}

}  // namespace

TextEncoding EncodingAtStart(const std::string& path) {
  TextEncoding encoding;
  unsigned char start[3] = {0, 0, 0};
  if (FILE* file = fopen(path.c_str(), "rb")) {
    encoding.decided =
        fread(start, 1, 3, file) == 3 && start[0] == 0xEF && start[1] == 0xBB && start[2] == 0xBF;
    fclose(file);
  }
  encoding.utf8 = encoding.decided;
  return encoding;
}

void PassNode(const TiXmlNode* node, TextEncoding* encoding) {
  const TiXmlDeclaration* declaration = node->ToDeclaration();
  if (encoding->decided || !declaration) return;
  const char* name = declaration->Encoding();
  encoding->decided = true;
  encoding->utf8 =
      !*name || StartsWithIgnoringCase(name, "UTF-8") || StartsWithIgnoringCase(name, "UTF8");
}

std::string Utf8Text(const std::string& text, bool utf8) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    unsigned char byte = static_cast<unsigned char>(text[i]);
    if (!utf8) {
      if (byte >= 0x80) out.push_back(static_cast<char>(0xC0 | (byte >> 6)));
      out.push_back(static_cast<char>(byte < 0x80 ? byte : 0x80 | (byte & 0x3F)));
      ++i;
      continue;
    }
    // A broken sequence is replaced as far as it went right: its lead byte
    // and the continuation bytes that fit, with one U+FFFD.
    Lead lead = LeadOf(byte);
    size_t used = 1;
    for (; used < lead.length && i + used < text.size(); ++used) {
      unsigned char next = static_cast<unsigned char>(text[i + used]);
      bool fits = used == 1 ? next >= lead.low && next <= lead.high : (next & 0xC0) == 0x80;
      if (!fits) break;
    }
    if (lead.length > 0 && used == lead.length) {
      out.append(text, i, used);
    } else {
      out += "\xEF\xBF\xBD";
    }
    i += used;
  }
  return out;
}
