#include "simconnect/wire.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

std::string Hex(const uint8_t* bytes, size_t from, size_t to) {
  std::string text;
  char pair[4];
  for (size_t i = from; i < to; ++i) {
    snprintf(pair, sizeof pair, i + 1 < to ? "%02X " : "%02X", bytes[i]);
    text += pair;
  }
  return text;
}

DWORD Dword(const uint8_t* at) { return at[0] | at[1] << 8 | at[2] << 16 | DWORD{at[3]} << 24; }

bool AllZero(const uint8_t* bytes, size_t from, size_t to) {
  for (size_t i = from; i < to; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

TEST(WireTest, OpenMatchesTheSp2Layout) {
  wire::Packet p;
  wire::EncodeOpen(&p, 1, "System Event");
  ASSERT_EQ(p.size, 296u);
  EXPECT_EQ(Hex(p.bytes, 0, 16), "28 01 00 00 04 00 00 00 01 00 00 F0 01 00 00 00");
  EXPECT_STREQ(reinterpret_cast<const char*>(p.bytes + 16), "System Event");
  EXPECT_TRUE(AllZero(p.bytes, 16 + 12, 272));
  EXPECT_EQ(Hex(p.bytes, 272, 296),
            "00 00 00 00 00 58 53 46 0A 00 00 00 00 00 00 00 4B EF 00 00 00 00 00 00");
}

// Header and every payload field of the other five packets.
TEST(WireTest, EachPacketHasItsSizeFunctionAndFields) {
  SIMCONNECT_DATA_INITPOSITION at = {1.0, -2.5, 100.0, 0.0, 0.0, 90.0, 1, 0xFFFFFFFFu};
  struct Case {
    DWORD size, function;
    std::vector<std::pair<size_t, DWORD>> dwords;  // offset, value
  };
  wire::Packet p[5];
  wire::EncodeAddToDataDefinition(&p[0], 2, 7, "ZULU MONTH OF YEAR", "Number",
                                  SIMCONNECT_DATATYPE_FLOAT64, 0.5f, SIMCONNECT_UNUSED);
  wire::EncodeSubscribeToSystemEvent(&p[1], 3, 9, "SimStart");
  wire::EncodeRequestDataOnSimObjectType(&p[2], 4, 1, 2, 0, SIMCONNECT_SIMOBJECT_TYPE_BOAT);
  wire::EncodeAICreateSimulatedObject(&p[3], 5, "Tree Oak", at, 12);
  wire::EncodeAIRemoveObject(&p[4], 6, 0x01020304u, 13);
  const Case cases[5] = {
      {544, 0x0C, {{16, 7}, {532, 4}, {536, 0x3F000000u}, {540, 0xFFFFFFFFu}}},
      {276, 0x17, {{16, 9}}},
      {32, 0x0F, {{16, 1}, {20, 2}, {24, 0}, {28, 4}}},
      {332,
       0x2A,
       {{272, 0},
        {276, 0x3FF00000u},
        {284, 0xC0040000u},
        {316, 0x40568000u},
        {320, 1},
        {324, 0xFFFFFFFFu},
        {328, 12}}},
      {24, 0x2C, {{16, 0x01020304u}, {20, 13}}},
  };
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    ASSERT_EQ(p[i].size, cases[i].size);
    EXPECT_EQ(Dword(p[i].bytes), cases[i].size);
    EXPECT_EQ(Dword(p[i].bytes + 4), 4u);
    EXPECT_EQ(Dword(p[i].bytes + 8), 0xF0000000u | cases[i].function);
    EXPECT_EQ(Dword(p[i].bytes + 12), static_cast<DWORD>(i + 2));
    for (const auto& field : cases[i].dwords) {
      EXPECT_EQ(Dword(p[i].bytes + field.first), field.second) << "offset " << field.first;
    }
  }
  EXPECT_STREQ(reinterpret_cast<const char*>(p[0].bytes + 20), "ZULU MONTH OF YEAR");
  EXPECT_STREQ(reinterpret_cast<const char*>(p[0].bytes + 276), "Number");
  EXPECT_STREQ(reinterpret_cast<const char*>(p[1].bytes + 20), "SimStart");
  EXPECT_STREQ(reinterpret_cast<const char*>(p[3].bytes + 16), "Tree Oak");
}

TEST(WireTest, StringsAreCutToLeaveTheirZeroAndNullIsAllZeros) {
  std::string longTitle(300, 'x');
  wire::Packet p;
  wire::EncodeAICreateSimulatedObject(&p, 1, longTitle.c_str(), SIMCONNECT_DATA_INITPOSITION(), 2);
  EXPECT_EQ(strlen(reinterpret_cast<const char*>(p.bytes + 16)), 255u);
  EXPECT_EQ(p.bytes[271], 0);
  EXPECT_EQ(Dword(p.bytes + 328), 2u);  // the field after the string is intact

  wire::EncodeAddToDataDefinition(&p, 1, 0, "PLANE LATITUDE", nullptr, 4, 0, 0);
  EXPECT_TRUE(AllZero(p.bytes, 276, 532));
}

// Builds a server message of `size` bytes (at least 12) and kind `id`.
std::vector<uint8_t> Message(DWORD size, DWORD id) {
  std::vector<uint8_t> bytes(size < 12 ? 12 : size, 0);
  DWORD header[3] = {size, 4, id};
  memcpy(bytes.data(), header, sizeof header);
  return bytes;
}

// Feeds `chunks` one read each and collects the sizes of the messages out.
struct Feed {
  wire::Inbox inbox;
  std::vector<DWORD> sizes;
  bool malformed = false;

  explicit Feed(DWORD max = wire::kDefaultMaxReceiveSize) { wire::ResetInbox(&inbox, max); }
  void Read(const std::vector<uint8_t>& chunk) {
    size_t room;
    uint8_t* space = wire::InboxSpace(&inbox, &room);
    ASSERT_LE(chunk.size(), room);
    memcpy(space, chunk.data(), chunk.size());
    wire::InboxReceived(&inbox, chunk.size());
    SIMCONNECT_RECV* message;
    DWORD size;
    for (;;) {
      wire::Next next = wire::NextMessage(&inbox, &message, &size);
      if (next == wire::Next::kMalformed) malformed = true;
      if (next != wire::Next::kMessage) break;
      DWORD declared = message->dwSize;  // packed: copy before gtest binds a reference
      ASSERT_EQ(declared, size);
      sizes.push_back(size);
    }
  }
};

std::vector<uint8_t> Join(std::vector<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(WireTest, MergedMessagesComeOutOneByOne) {
  Feed feed;
  feed.Read(Join({Message(308, 2), Message(24, 4), Message(20, 12), Message(12, 3)}));
  EXPECT_EQ(feed.sizes, (std::vector<DWORD>{308, 24, 20, 12}));
  EXPECT_FALSE(feed.malformed);
}

TEST(WireTest, SplitMessagesWaitForTheirLastByte) {
  std::vector<uint8_t> all = Join({Message(48, 9), Message(20, 12), Message(24, 1)});
  for (size_t cut : {1, 3, 4, 47, 48, 50, 67, 70}) {
    SCOPED_TRACE(cut);
    Feed feed;
    feed.Read(std::vector<uint8_t>(all.begin(), all.begin() + cut));
    feed.Read(std::vector<uint8_t>(all.begin() + cut, all.end()));
    EXPECT_EQ(feed.sizes, (std::vector<DWORD>{48, 20, 24}));
  }
  Feed bytewise;
  for (uint8_t byte : all) bytewise.Read({byte});
  EXPECT_EQ(bytewise.sizes, (std::vector<DWORD>{48, 20, 24}));
}

TEST(WireTest, BadSizesLoseTheStreamAsSoonAsTheSizeIsIn) {
  for (DWORD size : {0u, 4u, 11u, 309u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(size);
    Feed feed(308);
    feed.Read(
        Join({Message(12, 3),
              {uint8_t(size), uint8_t(size >> 8), uint8_t(size >> 16), uint8_t(size >> 24)}}));
    EXPECT_EQ(feed.sizes, std::vector<DWORD>{12});
    EXPECT_TRUE(feed.malformed);
  }
  Feed exact(308);
  exact.Read(Message(308, 2));
  EXPECT_EQ(exact.sizes, std::vector<DWORD>{308});

  Feed text;
  const char* garbage = "GET / HTTP/1.1\r\n";
  text.Read(std::vector<uint8_t>(garbage, garbage + strlen(garbage)));
  EXPECT_TRUE(text.malformed);
}

TEST(WireTest, MessagesShortForTheirKindAreSkipped) {
  struct Case {
    DWORD id, smallest;
  } cases[] = {{1, 24}, {2, 308}, {3, 12}, {4, 24}, {8, 48}, {9, 48}, {12, 20}, {99, 12}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    Feed feed;
    std::vector<std::vector<uint8_t>> parts;
    // Below 12 is no message at all (see above).
    if (c.smallest > 12) parts.push_back(Message(c.smallest - 1, c.id));
    parts.push_back(Message(c.smallest, c.id));
    parts.push_back(Message(12, 0));
    feed.Read(Join(parts));
    EXPECT_EQ(feed.sizes, (std::vector<DWORD>{c.smallest, 12}));
    EXPECT_FALSE(feed.malformed);
  }
}

}  // namespace
