#include "placement/nesting.h"

#include <gtest/gtest.h>

#include <string>

#include "placement/loader.h"
#include "tests/test_support.h"

namespace {

TEST(NestingTest, CountsOnlyWhatOpensElements) {
  const struct {
    const char* text;
    int depth;  // the deepest level, as the parser would see it
  } cases[] = {
      {"", 0},
      {"<a/>", 0},
      {"<a></a>", 1},
      {"<a><b><c/></b></a><d><e></e></d>", 2},
      {"<a x='>' y=\"<b>\"><c></c></a>", 2},
      {"<!-- <a><b><c> --><a/>", 0},
      {"<![CDATA[<a><b>]]><a></a>", 1},
      {"<?xml version='1.0'?><!DOCTYPE x><a>", 1},
      {"</a></a><a>", 1},                // stray closings never go below zero
      {"<a x='unterminated><b><c>", 1},  // the parser fails at the quote
      {"<a><b", 2},                      // an unfinished tag still counts
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    EXPECT_TRUE(NestingWithin(text.data(), text.size(), c.depth)) << text;
    if (c.depth > 0) {
      EXPECT_FALSE(NestingWithin(text.data(), text.size(), c.depth - 1)) << text;
    }
  }
}

TEST(NestingTest, DeepFileFailsToLoadCleanly) {
  testing_support::ResetProgram();
  testing_support::TempFolder folder;
  std::string deep;
  for (int i = 0; i < 200000; ++i) deep += "<SimObjectEntry>";
  folder.Write("deep.xml", deep);
  std::string output =
      testing_support::Capture([] { EXPECT_FALSE(LoadPlacementFile("deep.xml")); });
  EXPECT_EQ(output, "\nResult of \"deep.xml\" Read:Failed to load file \"deep.xml\"\n");

  std::string fine;
  for (int i = 0; i < kMaxPlacementNesting; ++i) fine += "<a>";
  for (int i = 0; i < kMaxPlacementNesting; ++i) fine += "</a>";
  folder.Write("fine.xml", fine);
  output = testing_support::Capture([] { LoadPlacementFile("fine.xml"); });
  EXPECT_EQ(output, "\nResult of \"fine.xml\" Read:\n\n");
}

}  // namespace
