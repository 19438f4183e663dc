#include "season/season_codes.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Exact matches only: any other text, however close, is Spring. Read as a C
// string, so nothing after a NUL counts.
TEST(SeasonCodesTest, TypeTextsAndMonths) {
  // clang-format off
  const std::pair<std::string, SeasonCode> cases[] = {
      {"SU", Summer}, {"FA", Fall}, {"WI", Winter}, {std::string("HW\0x", 4), HardWinter},
      {"SP", Spring}, {"", Spring}, {"su", Spring}, {"hw", Spring}, {"Fa", Spring}, {"wI", Spring},
      {"FALL", Spring}, {"SUx", Spring}, {"WIN", Spring}, {"HWx", Spring}, {" WI", Spring}, {"H", Spring}};
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(ParseSeasonCode(c.first), c.second) << c.first;

  // Months are compared exactly; anything not 1..8, 11, 12 is Fall.
  // clang-format off
  const std::pair<double, SeasonCode> months[] = {
      {1, HardWinter}, {2, HardWinter}, {3, Spring}, {4, Spring}, {5, Spring}, {6, Summer},
      {7, Summer}, {8, Summer}, {9, Fall}, {10, Fall}, {11, Winter}, {12, HardWinter}, {0, Fall},
      {13, Fall}, {-1, Fall}, {2.5, Fall}, {11.0000001, Fall}, {NAN, Fall}, {INFINITY, Fall}};
  // clang-format on
  for (const auto& c : months) EXPECT_EQ(MonthToSeason(c.first), c.second) << c.first;
}

}  // namespace
