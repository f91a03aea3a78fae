#include "text/ascii.h"

#include <gtest/gtest.h>

namespace tellvaro::text {
namespace {

TEST(EqualNoCase, OnlyAsciiLettersFoldUmlautsCompareExactly) {
  struct Case {
    std::string_view a, b;
    bool equal;
  };
  const Case cases[] = {
      {"Text", "tEXT", true},
      {"string.uni", "STRING.UNI", true},
      {"", "", true},
      {"Text", "Tex", false},
      {"Tex", "Text", false},
      {"@", "`", false},  // differ only in the bit that folds letters
      {"[", "{", false},
      {"\xC3\x84", "\xC3\xA4", false},  // Ä / ä in UTF-8
      {"\xC4", "\xE4", false},          // Ä / ä in Windows-1252
      {"Gr\xC3\xB6\xC3\x9F"
       "e",
       "GR\xC3\xB6\xC3\x9F"
       "E",
       true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(equal_no_case(c.a, c.b), c.equal) << c.a << " / " << c.b;
  }
  EXPECT_EQ(ascii_lower("\xC4PFEL-\xC3\x84Z"), "\xC4pfel-\xC3\x84z");
}

TEST(StartsWithNoCase, PrefixInAnyCase) {
  EXPECT_TRUE(starts_with_no_case("date: Thu, 10 Dec", "Date:"));
  EXPECT_TRUE(starts_with_no_case("LIKE '%a%'", "like"));
  EXPECT_FALSE(starts_with_no_case("Dat", "Date:"));
  EXPECT_FALSE(starts_with_no_case("Datum:", "Date:"));
}

TEST(Blanks, SpacesAndTabsTrimmedLineBreaksKept) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"  12.5\t", "12.5"}, {"\t \t", ""}, {"", ""}, {" a b ", "a b"}, {" 1\n", "1\n"},
  };
  for (auto [in, out] : cases) EXPECT_EQ(trim_blanks(in), out) << in;
  EXPECT_TRUE(is_blank_text(" \t "));
  EXPECT_FALSE(is_blank_text("\n"));
  for (char c : {' ', '\t', '\r', '\n'}) EXPECT_TRUE(is_blank(c)) << int(c);
  for (char c : {'\0', '\v', '\f', 'a', '\xA0'}) EXPECT_FALSE(is_blank(c)) << int(c);
}

TEST(AsciiAlnum, DigitsAndLettersOfAsciiOnly) {
  for (char c : {'0', '9', 'A', 'Z', 'a', 'z'}) EXPECT_TRUE(is_ascii_alnum(c)) << c;
  for (char c : {'/', ':', '@', '[', '`', '{', '\xC4', '\xE4', '\xDF'}) {
    EXPECT_FALSE(is_ascii_alnum(c)) << int(c);
  }
}

}  // namespace
}  // namespace tellvaro::text
