#include "check/text_encoding.h"

#include <stdio.h>
#include <tinyxml.h>

#include "os/regular_file.h"
#include "text/utf8.h"

ParserEncoding EncodingAtStart(const std::string& path) {
  char start[4] = {0, 0, 0, 0};
  if (FILE* file = os::OpenRegularFile(path)) {
    if (fread(start, 1, 3, file) != 3) start[0] = 0;
    fclose(file);
  }
  return StartEncoding(start);
}

bool StartsAsUtf16(const std::string& path) {
  unsigned char start[2] = {0, 0};
  if (FILE* file = os::OpenRegularFile(path)) {
    if (fread(start, 1, 2, file) != 2) start[0] = 0;
    fclose(file);
  }
  return (start[0] == 0xFF && start[1] == 0xFE) || (start[0] == 0xFE && start[1] == 0xFF);
}

void PassNode(const TiXmlNode* node, ParserEncoding* encoding) {
  if (const TiXmlDeclaration* declaration = node->ToDeclaration()) {
    PassDeclaration(declaration->Encoding(), encoding);
  }
}

std::string Utf8Text(const std::string& text, bool utf8) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    if (!utf8) {
      AppendUtf8(static_cast<unsigned char>(text[i++]), &out);
      continue;
    }
    // A broken sequence is replaced as far as it went right: its lead byte
    // and the continuation bytes that fit, with one U+FFFD.
    Utf8Char c = ReadUtf8(text.data() + i, text.size() - i);
    if (c.valid) {
      out.append(text, i, c.length);
    } else {
      out += "\xEF\xBF\xBD";
    }
    i += c.length;
  }
  return out;
}
