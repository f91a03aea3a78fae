#include "text/number.h"

#include <gtest/gtest.h>

#include "text/error.h"

namespace tellvaro::text {
namespace {

TEST(FormatNumber, ShortestDecimalUpTo15Digits) {
  const std::pair<double, const char*> cases[] = {
      {12.5, "12.5"},
      {3, "3"},
      {0.99, "0.99"},
      {0.1 + 0.2 + 0.3, "0.6"},
      {0, "0"},
      {-0.0, "0"},
      {-2.5, "-2.5"},
      {1e20, "100000000000000000000"},
      {0.0001, "0.0001"},
      {1.0 / 3, "0.333333333333333"},
      {123456789.125, "123456789.125"},
  };
  for (auto [value, text] : cases) EXPECT_EQ(format_number(value), text) << value;
}

TEST(FormatMoney, TwoDecimalsHalfAwayFromZero) {
  const std::pair<double, const char*> cases[] = {
      {0, "0.00"},
      {0.5, "0.50"},
      {12, "12.00"},
      {1.75, "1.75"},
      {1.005, "1.01"},
      {0.125, "0.13"},
      {9.995, "10.00"},
      {99.999, "100.00"},
      {-1.5, "-1.50"},
      {-0.001, "0.00"},
      {1234567.891, "1234567.89"},
  };
  for (auto [value, text] : cases) EXPECT_EQ(format_money(value), text) << value;
}

TEST(ParseNumber, AcceptsDotDecimalsWithBlanks) {
  const std::pair<const char*, double> cases[] = {
      {"12.50", 12.5}, {" 3 ", 3},  {"-0.99", -0.99}, {"+1", 1},
      {".5", 0.5},     {"12.", 12}, {"1e3", 1000},    {"\t7\t", 7},
  };
  for (auto [text, value] : cases) EXPECT_DOUBLE_EQ(parse_number(text), value) << text;
}

TEST(ParseNumber, RefusesWhatIsNoNumber) {
  for (const char* text :
       {"", " ", "abc", "12,50", "1.2.3", "inf", "nan", "0x10", "1e", "--1", "."}) {
    EXPECT_FALSE(try_parse_number(text).has_value()) << text;
  }
  try {
    parse_number("zwölf");
    FAIL();
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "'zwölf' ist keine gültige Zahl.");
  }
}

TEST(ParseSmallInt, RangeAndErrors) {
  EXPECT_EQ(parse_small_int(" 1 "), 1);
  EXPECT_EQ(parse_small_int("-32768"), -32768);
  EXPECT_THROW(parse_small_int("32768"), Error);
  EXPECT_THROW(parse_small_int("1.5"), Error);
  EXPECT_THROW(parse_small_int(""), Error);
}

}  // namespace
}  // namespace tellvaro::text
