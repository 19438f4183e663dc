#include "season/season_codes.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(SeasonCodesTest, TypeTexts) {
  const struct {
    const char* text;
    SeasonCode code;
  } cases[] = {{"SU", Summer}, {"FA", Fall},    {"WI", Winter},  {"HW", HardWinter},
               {"SP", Spring}, {"XX", Spring},  {"", Spring},    {"su", Spring},
               {"Su", Spring}, {" SU", Spring}, {"SU ", Spring}, {"SUMMER", Spring},
               {"S", Spring}};
  for (const auto& c : cases) EXPECT_EQ(ParseSeasonCode(c.text), c.code) << "'" << c.text << "'";
  // Compared as a C string: text after an embedded NUL is not seen.
  EXPECT_EQ(ParseSeasonCode(std::string("SU\0x", 4)), Summer);
}

TEST(SeasonCodesTest, Months) {
  const struct {
    double month;
    SeasonCode code;
  } cases[] = {{1, HardWinter}, {2, HardWinter},    {3, Spring}, {4, Spring},     {5, Spring},
               {6, Summer},     {7, Summer},        {8, Summer}, {9, Fall},       {10, Fall},
               {11, Winter},    {12, HardWinter},   {0, Fall},   {13, Fall},      {-1, Fall},
               {2.5, Fall},     {11.0000001, Fall}, {NAN, Fall}, {INFINITY, Fall}};
  for (const auto& c : cases) EXPECT_EQ(MonthToSeason(c.month), c.code) << c.month;
}

}  // namespace
