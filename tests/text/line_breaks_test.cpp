#include "text/line_breaks.h"

#include <gtest/gtest.h>

namespace tellvaro::text {
namespace {

TEST(CrlfLineBreaks, EveryBreakOfATextViewBecomesCrLfAndNothingElseChanges) {
  struct Case {
    std::string_view in, out;
  };
  const Case cases[] = {
      {"", ""},
      {"eine Zeile", "eine Zeile"},
      {"a\nb", "a\r\nb"},
      {"a\r\nb", "a\r\nb"},  // already stored form: not doubled
      {"a\r\n\nb\n", "a\r\n\r\nb\r\n"},
      {"\n\n", "\r\n\r\n"},
      {"a\xE2\x80\xA9"
       "b",
       "a\r\nb"},  // paragraph separator, as a raw text view holds it
      {"a\xE2\x80\xA8"
       "b",
       "a\r\nb"},                      // line separator
      {"\xE2\x80\xA9\n", "\r\n\r\n"},  // two breaks stay two
      {"a\rb", "a\rb"},                // a lone CR is content
      {"1\xC2\xA0\xE2\x82\xAC \xE2\x80\xA2", "1\xC2\xA0\xE2\x82\xAC \xE2\x80\xA2"},  // nbsp, €, •
      {"\xE2\x80", "\xE2\x80"},  // a cut sequence is left alone
  };
  for (const Case& c : cases) {
    EXPECT_EQ(crlf_line_breaks(c.in), c.out) << c.in;
  }
}

}  // namespace
}  // namespace tellvaro::text
