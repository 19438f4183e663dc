#include "tools/sim_standin/wire.h"

#include <gtest/gtest.h>

namespace standin {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(Wire, NumbersAreLittleEndian) {
  Bytes out;
  PutU32(&out, 0x0A0B0C0D);
  PutI32(&out, -2);
  PutF64(&out, 1.0);   // 0x3FF0000000000000
  PutF32(&out, 1.0f);  // 0x3F800000
  EXPECT_EQ(out, (Bytes{0x0D, 0x0C, 0x0B, 0x0A, 0xFE, 0xFF, 0xFF, 0xFF, 0,    0,
                        0,    0,    0,    0,    0xF0, 0x3F, 0,    0,    0x80, 0x3F}));
  Reader reader(out.data(), out.size());
  EXPECT_EQ(reader.U32(), 0x0A0B0C0Du);
  EXPECT_EQ(reader.U32(), 0xFFFFFFFEu);
  EXPECT_EQ(reader.F64(), 1.0);
  EXPECT_EQ(reader.F32(), 1.0f);
  EXPECT_TRUE(reader.ok());
}

TEST(Wire, FixedStringsArePaddedAndKeepRoomForTheNul) {
  struct Case {
    std::string text;
    size_t width;
    Bytes expected;
  } cases[] = {
      {"", 4, {0, 0, 0, 0}},
      {"ab", 4, {'a', 'b', 0, 0}},
      {"abc", 4, {'a', 'b', 'c', 0}},
      {"abcdef", 4, {'a', 'b', 'c', 0}},
      {std::string("\xE9t\xE9", 3), 5, {0xE9, 't', 0xE9, 0, 0}},
  };
  for (const Case& c : cases) {
    Bytes out;
    PutFixedString(&out, c.text, c.width);
    EXPECT_EQ(out, c.expected) << c.text;
  }
}

TEST(Wire, ReadingAFixedStringStopsAtTheNulOrTheWidth) {
  Bytes bytes = {'a', 'b', 0, 'z', 'c', 'd', 'e', 'f'};
  Reader reader(bytes.data(), bytes.size());
  EXPECT_EQ(reader.FixedString(4), "ab");
  EXPECT_EQ(reader.FixedString(4), "cdef");  // no NUL: the whole field
  EXPECT_EQ(reader.position(), 8u);
  EXPECT_TRUE(reader.ok());
}

TEST(Wire, ReadingPastTheEndGivesZerosAndIsNoticed) {
  Bytes bytes = {1, 2, 3, 4, 5, 6};
  Reader reader(bytes.data(), bytes.size());
  EXPECT_EQ(reader.U32(), 0x04030201u);
  EXPECT_EQ(reader.U32(), 0u);
  EXPECT_FALSE(reader.ok());
  EXPECT_EQ(reader.F64(), 0.0);
  EXPECT_EQ(reader.FixedString(256), "");
}

}  // namespace
}  // namespace standin
