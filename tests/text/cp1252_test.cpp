#include "text/cp1252.h"

#include <gtest/gtest.h>

namespace tellvaro::text {
namespace {

TEST(Cp1252, EveryByteRoundTripsThroughUtf8) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  std::string utf8 = cp1252_to_utf8(all);
  EXPECT_EQ(utf8_to_cp1252(utf8), all);
}

TEST(Cp1252, KnownCharacters) {
  EXPECT_EQ(cp1252_to_utf8("Geb\xFChr"), "Gebühr");
  EXPECT_EQ(cp1252_to_utf8("\x80 \xB4 \x84"), "€ ´ „");
  EXPECT_EQ(utf8_to_cp1252("Schlüsselstärke € ´"), "Schl\xFCsselst\xE4rke \x80 \xB4");
}

TEST(Cp1252, UnrepresentableAndMalformed) {
  EXPECT_EQ(utf8_to_cp1252("a\u4E2Db"), "a?b");
  EXPECT_EQ(utf8_to_cp1252("a😀b", '#'), "a#b");
  // A stray continuation byte and a cut sequence never stop the conversion.
  EXPECT_EQ(utf8_to_cp1252("a\x80z\xC3"), "a?z?");
  EXPECT_EQ(utf8_to_cp1252("\xE0\x80\x80x"), "???x");  // overlong
}

TEST(Cp1252, CharacterCountsAndCuts) {
  EXPECT_EQ(char_count("Äpfel"), 5u);
  EXPECT_EQ(first_chars("Äpfelmüß", 6), "Äpfelm");
  EXPECT_EQ(first_chars("äöü", 2), "äö");
  EXPECT_EQ(first_chars("ab", 10), "ab");
}

}  // namespace
}  // namespace tellvaro::text
