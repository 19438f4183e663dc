#include "placement/nesting.h"

#include <gtest/gtest.h>

#include <string>

#include "placement/cut_character.h"
#include "placement/loader.h"
#include "placement/text_places.h"
#include "tests/test_support.h"

namespace {

// The walk must step as TinyXML does, or a deep file walks around it.
TEST(NestingTest, WalksAsTheParserReads) {
  const struct {
    std::string text;
    int depth;  // the deepest element, as the parser builds it
    int stop;   // where the parser reads no further at the top level, or -1
    ParserStop kind = ParserStop::kNone;
  } cases[] = {
      {"", 0, -1},
      {"<a/>", 1, -1},
      {"<a></b><c>", 1, -1},
      {"<a><b><c/></b></a>\n<d><e></e></d>", 3, -1},
      {"<a x='>' y=\"<b>\"><c></c></a>", 2, -1},
      {"<!-- <a><b> --><a/><![CDATA[<a><b>]]><!DOCTYPE <b>", 1, -1},
      // Read as UTF-8 (declared, undeclared or by a byte-order mark), a lead
      // byte takes the quote or the comment's opening with it.
      {"<?xml version='1.0'?><a x='\xe0'y'><b><c>", 3, -1},
      {"<?xml version='1.0'?><a>\xe0<!--<b><c>", 3, -1},
      {"\xef\xbb\xbf<a>\xe0<!--<b><c>", 3, -1},
      {"<?xml encoding='utf8'?><a>\xe0<!--<b>", 2, -1},
      {"<?xml version='1.0'?><a>\xe0\r\n<b><c>", 2, -1},  // CR LF is one byte to the parser
      // Read byte by byte: before a declaration, or in another encoding.
      {"<a>\xe0<!--<b><c>", 1, -1},
      {"<?xml encoding='ISO-8859-1'?><a>\xe0<!--<b><c>", 1, -1},
      // Where the parser gives up, the walk does.
      {"<a x='1' x='2'><b>", 1, -1},
      {"<a>&#12<b>;<c>", 1, -1},
      {"<a>&#12;<b><c>", 3, -1},
      {"<a/>>\n<b><c>", 1, 4, ParserStop::kText},
      {"<a/> \n x<b/>", 1, 7, ParserStop::kText},
      // Or it reads to the end without an error and drops what it read over.
      {"<a/> <!-- x<b/>", 1, 5, ParserStop::kComment},
      {"<a/><![CDATA[x<b/>", 1, 4, ParserStop::kCdata},
      {"<a/><!-- x -->", 1, -1},
      {"<a/><![CDATA[x]]>", 1, -1},  // closed at the very end
      {"<?xml version='1.0\"?><a/>", 0, 0, ParserStop::kDeclaration},
      {"<?xml version<a/>", 0, 0, ParserStop::kDeclaration},
      {"<a/><?xml version='&#1'?><b/>", 1, 4, ParserStop::kDeclaration},
      {std::string("<a/>\n\0<b/>", 10), 1, 5, ParserStop::kNul},  // the parser's text ends there
      {std::string("<a/><!--\0-->", 12), 1, 4, ParserStop::kComment},
  };
  for (const auto& c : cases) {
    std::string text = ParserText(c.text.data(), c.text.size());
    ParserWalk walk = WalkAsParser(text, 10);
    EXPECT_EQ(walk.depth, c.depth) << c.text;
    EXPECT_EQ(walk.stop ? walk.stop - text.c_str() : -1, c.stop) << c.text;
    EXPECT_EQ(walk.stopKind, c.kind) << c.text;
  }
  EXPECT_EQ(WalkAsParser("<a><a><a><a>", 2).depth, 3);  // no further than the limit and one

  // A declaration whose value ran over a '<' or a line break swallowed markup.
  const std::pair<const char*, int> runaways[] = {{"<?xml version='1.0\"?><a x='1'/>", 0},
                                                  {"<a/><?xml version=1.0<b/>", 4},
                                                  {"<?xml version='1\n'?>", 0},
                                                  {"<?xml version='&lt;'?><a/>", -1},
                                                  {"<?xml version\n=\n'1.0'?><a/>", -1},
                                                  {"<a x='<'/>", -1},
                                                  {"<?xml version='1.0'?\n<a/>\n<b/>", 0},
                                                  {"<!DOCTYPE p\n<a/>", 0},
                                                  {"<a/>\n< a <b/>", 5},
                                                  {"< a/><b/>", -1},
                                                  {"<!DOCTYPE x [ <!ENTITY e 'v'> ]>", 0},
                                                  {"<!-- <a/> --><!DOCTYPE p><b/>", -1},
                                                  {"<a><!x <b/></a>", 3},
                                                  // A reference without its ';' runs on.
                                                  {"<a x='&#9'/>\n<b>&#9;</b>", 6},
                                                  {"<a>&#9 x &#9;</a>", -1},
                                                  {"<a x='<SimObjectEntry>'/>", 6},
                                                  {"<a x='<b>'/>", -1}};
  for (const auto& [text, at] : runaways) {
    ParserWalk walk = WalkAsParser(text, 10);
    const char* found = walk.swallows.empty() ? nullptr : walk.swallows.front().at;
    EXPECT_EQ(found ? found - text : -1, at) << text;
  }
  // What the parser reads otherwise than XML does.
  const std::pair<const char*, std::vector<int>> oddities[] = {
      {"<a x='Fish & Chips'>&amp;&lt;&#65;&#x41;</a>", {11}},
      {"<a>&nbsp;&#0;&#65 x&#66;</a>", {3, 9, 13}},
      {"<?xml version='1.0' encoding='ISO-8859-1'?><a>&#233;&#8364;</a>", {52}},
      {"<!-- a -- b <!-- c --><a x='<'/>", {7, 12, 28}},
      {"<!-- a ---> <!-- ------ -->", {7, 17}},
  };
  for (const auto& [text, at] : oddities) {
    std::vector<int> found;
    for (const Oddity& oddity : WalkAsParser(text, 10, true).oddities) {
      found.push_back(static_cast<int>(oddity.at - text));
    }
    EXPECT_EQ(found, at) << text;
  }
  std::string wide = "<a";
  for (int i = 0; i < kMaxPlacementAttributes; ++i) wide += " a" + std::to_string(i) + "=''";
  EXPECT_EQ(WalkAsParser((wide + "/>").c_str(), 10).attributes, kMaxPlacementAttributes);
  EXPECT_EQ(WalkAsParser((wide + " z=''/>").c_str(), 10).attributes, kMaxPlacementAttributes + 1);
}

// A byte that begins no character takes the line break after it into the
// parser's count; places are the file's own, asked for in any order.
TEST(TextPlacesTest, CountsTheTextsOwnLines) {
  const char* text = "<!--\xe9\n-->\n<b/>\t<c/>";
  TextPlaces places(text, text, 4);
  const std::pair<const char*, std::pair<int, int>> at[] = {
      {text + 10, {3, 1}}, {text + 6, {2, 1}}, {text + 15, {3, 9}}, {text + 4, {1, 5}}};
  for (const auto& [p, place] : at) {
    TextPlace found = places.Of(p);
    EXPECT_EQ(std::make_pair(found.line, found.column), place) << p - text;
  }
  const std::pair<std::pair<int, int>, std::pair<int, int>> parsed[] = {
      {{2, 1}, {3, 1}}, {{2, 9}, {3, 9}}, {{1, 1}, {1, 1}}, {{2, 5}, {3, 5}}};
  for (const auto& [row, place] : parsed) {
    TextPlace found = places.OfParsed(row.first, row.second);
    EXPECT_EQ(std::make_pair(found.line, found.column), place) << row.first << ":" << row.second;
  }
}

TEST(CutCharacterTest, FindsACharacterCutByTheEndAsTheParserSeesIt) {
  const std::pair<std::string, bool> cases[] = {
      // the text, and whether it ends cut
      {"", false},
      {"<a>x</a>", false},
      {"<a>\xc3\xa9</a>\xc3\xa9", false},
      {"<a>\xe2\x82\xac", false},
      {"<a>\xf0\x9f\x8c\xb2", false},  // whole characters last
      {"<a>\xcf", true},
      {"<a>\xe2\x82", true},
      {"<a>\xf0\x9f\x8c", true},
      {"<a>\xe2\r\n", true},
      {"<a>\xe2\r\r", false},                   // CR LF is one byte to the parser
      {std::string("<a>\xcf\0tail", 9), true},  // the parser stops at a zero
      {"<a>\xc1", false},
      {"<a>\xf5", false},
      {"<a>\x80", false},  // read as one byte
  };
  for (const auto& [text, cut] : cases) {
    EXPECT_EQ(EndsInCutCharacter(text.data(), text.size()), cut) << testing::PrintToString(text);
  }
}

// A file is read in pieces of 64 KiB: a CR LF split between two is one LF,
// and the text ends at the first zero byte.
TEST(NestingTest, ReadsAFileAsTheParserSeesIt) {
  testing_support::TempFolder folder;
  const std::string a(65535, 'a');
  const std::pair<std::string, std::string> cases[] = {
      // the file, its text
      {a + "\r\nx\r\ry" + std::string(1, '\0') + "z", a + "\nx\n\ny" + std::string(1, '\0')},
      {a + "\r\r\n\n", a + "\n\n\n"}};
  for (const auto& [bytes, text] : cases) {
    folder.Write("f.xml", bytes);
    std::string read;
    ASSERT_TRUE(ReadParserText("f.xml", &read));
    EXPECT_EQ(read, text);
  }
}

TEST(NestingTest, DeepFileFailsToLoadCleanly) {
  testing_support::ResetProgram();
  testing_support::TempFolder folder;
  std::string fine;
  for (int i = 0; i < kMaxPlacementNesting; ++i) fine = "<a>" + fine + "</a>";
  std::string deep(300000, '>');
  for (size_t i = 0; i < deep.size(); i += 3) deep.replace(i, 2, "<b");
  const std::pair<std::string, bool> cases[] = {
      // the text, and whether it loads
      {fine, true},
      {"<a>" + fine + "</a>", false},
      {"<?xml version=\"1.0\"?>\n<SimObjectEntry>\xe0<!--" + deep, false}};
  for (const auto& [text, loads] : cases) {
    folder.Write("f.xml", text);
    EXPECT_EQ(testing_support::Capture([] { LoadPlacementFile("f.xml"); }),
              loads ? "\nResult of \"f.xml\" Read:\n\n"
                    : "\nResult of \"f.xml\" Read:Failed to load file \"f.xml\"\n");
  }
}

}  // namespace
