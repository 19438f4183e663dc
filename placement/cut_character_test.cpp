#include "placement/cut_character.h"

#include <gtest/gtest.h>

#include <string>

#include "placement/loader.h"
#include "tests/test_support.h"

namespace {

TEST(CutCharacterTest, FindsACharacterCutByTheEndAsTheParserSeesIt) {
  const struct {
    std::string text;
    bool cut;
  } cases[] = {
      {"", false},
      {"<a>x</a>", false},
      {"<a>\xc3\xa9</a>\xc3\xa9", false},       // whole two-byte character last
      {"<a>\xe2\x82\xac", false},               // whole three-byte character last
      {"<a>\xf0\x9f\x8c\xb2", false},           // whole four-byte character last
      {"<a>\xcf", true},                        // two-byte start, nothing after
      {"<a>\xe2\x82", true},                    // three-byte start, one after
      {"<a>\xf0\x9f\x8c", true},                // four-byte start, two after
      {"<a>\xe2\r\n", true},                    // CR LF is one byte to the parser
      {"<a>\xe2\r\r", false},                   // two CRs are two LFs
      {std::string("<a>\xcf\0tail", 9), true},  // the parser stops at a zero
      {std::string("<a>\xcf\0", 5), true},
      {"<a>\xc1", false},  // 0x80 to 0xC1 and 0xF5 up are read as one byte
      {"<a>\xf5", false},
      {"<a>\x80", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EndsInCutCharacter(c.text.data(), c.text.size()), c.cut)
        << testing::PrintToString(c.text);
  }
}

// Such a file once made the parser read past the end of its buffer.
TEST(CutCharacterTest, FileEndingInACutCharacterFailsToLoadCleanly) {
  testing_support::ResetProgram();
  testing_support::TempFolder folder;
  folder.Write("cut.xml", "<?xml version=\"1.0\"?>\n<SimObjectEntry>O\xcf");
  std::string output = testing_support::Capture([] { EXPECT_FALSE(LoadPlacementFile("cut.xml")); });
  EXPECT_EQ(output, "\nResult of \"cut.xml\" Read:Failed to load file \"cut.xml\"\n");
}

}  // namespace
