#include "text/utf8.h"

namespace {

// The length a lead byte announces and the range its second byte must fall
// in, which rules out overlong forms, surrogates and values above U+10FFFF.
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

size_t Utf8Length(unsigned char lead) { return LeadOf(lead).length; }

Utf8Char ReadUtf8(const char* text, size_t size) {
  unsigned char first = static_cast<unsigned char>(text[0]);
  Lead lead = LeadOf(first);
  Utf8Char c;
  c.point = lead.length == 1 ? first : first & (0x7Fu >> lead.length);
  for (; c.length < lead.length && c.length < size; ++c.length) {
    unsigned char next = static_cast<unsigned char>(text[c.length]);
    bool fits = c.length == 1 ? next >= lead.low && next <= lead.high : (next & 0xC0) == 0x80;
    if (!fits) break;
    c.point = c.point << 6 | (next & 0x3Fu);
  }
  c.valid = lead.length > 0 && c.length == lead.length;
  return c;
}

void AppendUtf8(unsigned long point, std::string* out) {
  if (point < 0x80) {
    out->push_back(static_cast<char>(point));
  } else if (point < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (point >> 6)));
    out->push_back(static_cast<char>(0x80 | (point & 0x3F)));
  } else if (point < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (point >> 12)));
    out->push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (point & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (point >> 18)));
    out->push_back(static_cast<char>(0x80 | ((point >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (point & 0x3F)));
  }
}
