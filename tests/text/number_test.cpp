#include "text/number.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

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

// The texts do not follow the process locale: a German, Swiss or French desktop writes "1,2"
// through printf. Each locale must exist (scripts/setup makes them); none is skipped.
TEST(NumberTexts, SameUnderEveryLocale) {
  struct Amount {
    double value;
    const char* number;
    const char* money;
  };
  const Amount amounts[] = {
      {0, "0", "0.00"},
      {0.5, "0.5", "0.50"},
      {2.5, "2.5", "2.50"},
      {9.5, "9.5", "9.50"},
      {16.99, "16.99", "16.99"},
      {19.99, "19.99", "19.99"},
      {100, "100", "100.00"},
      {120, "120", "120.00"},
      {1234.5, "1234.5", "1234.50"},
      {99999.99, "99999.99", "99999.99"},
  };
  const std::string before = std::setlocale(LC_ALL, nullptr);
  for (const char* locale : {"C", "de_DE.UTF-8", "de_CH.UTF-8", "fr_FR.UTF-8"}) {
    ASSERT_NE(std::setlocale(LC_ALL, locale), nullptr) << locale << " fehlt";
    for (const Amount& a : amounts) {
      EXPECT_EQ(format_number(a.value), a.number) << locale;
      EXPECT_EQ(format_money(a.value), a.money) << locale;
      EXPECT_EQ(parse_number(a.number), a.value) << locale << " " << a.number;
      EXPECT_EQ(parse_number(a.money), a.value) << locale << " " << a.money;
    }
    EXPECT_EQ(format_int(-1234567), "-1234567") << locale;
    EXPECT_EQ(parse_typed_number("16,99"), 16.99) << locale;
  }
  std::setlocale(LC_ALL, before.c_str());
}

// What a seller types: a point, or one comma and no point; never a grouped number.
TEST(ParseTypedNumber, TakesOneDecimalCommaAndNoGrouping) {
  const std::pair<const char*, double> taken[] = {
      {"16,99", 16.99}, {" 0,5 ", 0.5},  {"-1,5", -1.5},   {",5", 0.5},
      {"12", 12},       {"12.50", 12.5}, {"1.299", 1.299},
  };
  for (auto [text, value] : taken) EXPECT_EQ(parse_typed_number(text), value) << text;
  for (const char* text : {"1.299,00", "1,299,00", "1 299", "16,99 €", ",", "1,2.3", "abc"}) {
    EXPECT_FALSE(try_parse_typed_number(text).has_value()) << text;
  }
  EXPECT_THROW(parse_typed_number("1.299,00"), Error);
  // Files and the server's texts keep the point alone.
  EXPECT_FALSE(try_parse_number("16,99").has_value());
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
