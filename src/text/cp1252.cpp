#include "text/cp1252.h"

#include <algorithm>
#include <array>

namespace tellvaro::text {
namespace {

// 0x80..0x9F; the rest of the code page is identical to Latin-1.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

char32_t cp1252_to_char(std::uint8_t byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHigh[byte - 0x80];
  return byte;
}

std::optional<std::uint8_t> char_to_cp1252(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<std::uint8_t>(c);
  for (std::size_t i = 0; i < kHigh.size(); ++i) {
    if (kHigh[i] == c) return static_cast<std::uint8_t>(0x80 + i);
  }
  return std::nullopt;
}

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string cp1252_to_utf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (char ch : bytes) {
    auto b = static_cast<std::uint8_t>(ch);
    if (b < 0x80) {
      out += ch;
    } else {
      append_utf8(out, cp1252_to_char(b));
    }
  }
  return out;
}

char32_t next_char(std::string_view s, std::size_t& pos) {
  auto b0 = static_cast<std::uint8_t>(s[pos]);
  if (b0 < 0x80) {
    ++pos;
    return b0;
  }
  int len = b0 >= 0xF0 && b0 <= 0xF4 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC2 && b0 < 0xE0 ? 2 : 0;
  if (len == 0 || pos + len > s.size()) {
    ++pos;
    return 0xFFFD;
  }
  char32_t c = b0 & (0x7F >> len);
  for (int i = 1; i < len; ++i) {
    auto b = static_cast<std::uint8_t>(s[pos + i]);
    if ((b & 0xC0) != 0x80) {
      ++pos;
      return 0xFFFD;
    }
    c = (c << 6) | (b & 0x3F);
  }
  // Overlong forms and surrogates are malformed too.
  if ((len == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) ||
      (len == 4 && (c < 0x10000 || c > 0x10FFFF))) {
    ++pos;
    return 0xFFFD;
  }
  pos += len;
  return c;
}

std::string utf8_to_cp1252(std::string_view utf8, char replacement) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    auto b = static_cast<std::uint8_t>(utf8[pos]);
    if (b < 0x80) {
      out += utf8[pos++];
      continue;
    }
    auto byte = char_to_cp1252(next_char(utf8, pos));
    out += byte ? static_cast<char>(*byte) : replacement;
  }
  return out;
}

std::vector<std::string> chars_outside_cp1252(std::string_view utf8) {
  std::vector<std::string> out;
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const char32_t c = next_char(utf8, pos);
    if (char_to_cp1252(c)) continue;
    std::string one;
    append_utf8(one, c);
    if (std::find(out.begin(), out.end(), one) == out.end()) out.push_back(std::move(one));
  }
  return out;
}

std::size_t char_count(std::string_view utf8) {
  std::size_t n = 0;
  for (char ch : utf8) {
    if ((static_cast<std::uint8_t>(ch) & 0xC0) != 0x80) ++n;
  }
  return n;
}

std::string_view first_chars(std::string_view utf8, std::size_t n) {
  std::size_t pos = 0;
  for (std::size_t i = 0; i < n && pos < utf8.size(); ++i) next_char(utf8, pos);
  return utf8.substr(0, pos);
}

}  // namespace tellvaro::text
