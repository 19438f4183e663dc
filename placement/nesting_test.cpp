#include "placement/nesting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
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

// The file is scanned in pieces; markup cut by a piece's end is carried
// into the next. Whatever the cut, the answer is the whole text's.
bool ScanInPieces(const std::string& whole, size_t piece, int limit) {
  NestingScan scan;
  scan.limit = limit;
  std::string text;
  size_t at = 0;
  bool final = false;
  while (!final && !scan.tooDeep) {
    size_t n = std::min(piece, whole.size() - at);
    text.append(whole, at, n);
    at += n;
    final = at == whole.size();
    text.erase(0, ScanNesting(text.data(), text.size(), final, &scan));
  }
  return !scan.tooDeep;
}

TEST(NestingTest, PiecesAgreeWithTheWholeText) {
  // Whole markup, and pieces of it that a cut may leave.
  const char* const kWhole[] = {
      "<a>",       "</a>",        "<b/>", "<c x='>' y=\"/\">", "<!-- <a> -->", "<![CDATA[<a>]]>",
      "<?p <a>?>", "<!DOCTYPE d>"};
  const char* const kCut[] = {"<!--", "-->", "<![CDATA[", "]]>", "<!", "<![CD",
                              "'",    "\"",  ">",         "<",   "/",  "x"};
  std::mt19937 random(2026);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    for (int i = static_cast<int>(random() % 30); i > 0; --i) {
      text += random() % 2 ? kWhole[random() % 8] : kCut[random() % 12];
    }
    for (int limit = 0; limit <= 3; ++limit) {
      bool whole = NestingWithin(text.data(), text.size(), limit);
      for (size_t piece : {1, 2, 3, 5, 9, 10, 64}) {
        ASSERT_EQ(ScanInPieces(text, piece, limit), whole)
            << "\"" << text << "\" in pieces of " << piece << ", limit " << limit;
      }
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

  // Files are read in pieces of 64 KiB: markup longer than a piece is seen
  // whole, and depth found only later in the file still counts.
  std::string quoted = "<a v='" + std::string(100000, '<') + "'/>" + fine;
  folder.Write("quoted.xml", quoted);
  output = testing_support::Capture([] { LoadPlacementFile("quoted.xml"); });
  EXPECT_EQ(output, "\nResult of \"quoted.xml\" Read:\n\n");
  std::string late = "<!--" + std::string(100000, '<') + "-->" + fine + "<a>" + fine;
  folder.Write("late.xml", late);
  output = testing_support::Capture([] { LoadPlacementFile("late.xml"); });
  EXPECT_EQ(output, "\nResult of \"late.xml\" Read:Failed to load file \"late.xml\"\n");
}

}  // namespace
