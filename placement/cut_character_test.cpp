#include "placement/cut_character.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CutCharacterTest, FindsACharacterCutByTheEndAsTheParserSeesIt) {
  const struct {
    std::string text;
    bool cut;
  } cases[] = {
      {"", false}, {"<a>x</a>", false}, {"<a>\xc3\xa9</a>\xc3\xa9", false},
      {"<a>\xe2\x82\xac", false}, {"<a>\xf0\x9f\x8c\xb2", false},  // whole characters last
      {"<a>\xcf", true}, {"<a>\xe2\x82", true}, {"<a>\xf0\x9f\x8c", true},
      {"<a>\xe2\r\n", true}, {"<a>\xe2\r\r", false},  // CR LF is one byte to the parser
      {std::string("<a>\xcf\0tail", 9), true},         // the parser stops at a zero
      {"<a>\xc1", false}, {"<a>\xf5", false}, {"<a>\x80", false},  // read as one byte
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EndsInCutCharacter(c.text.data(), c.text.size()), c.cut)
        << testing::PrintToString(c.text);
  }
}

}  // namespace
