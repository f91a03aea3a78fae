#pragma once

// Letter case and blanks for the texts the program compares by machine: keywords, field types,
// column names, file extensions. Only A-Z and a-z change case; every other byte, the bytes of
// umlauts in UTF-8 or Windows-1252 included, compares exactly, so the result depends neither on
// the locale nor on the code page. German dictionary order is the store's collation, not this.

#include <string>
#include <string_view>

namespace tellvaro::text {

constexpr char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

std::string ascii_lower(std::string_view s);

bool equal_no_case(std::string_view a, std::string_view b);

bool starts_with_no_case(std::string_view s, std::string_view prefix);

constexpr bool is_ascii_alnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Space, tab, CR or LF: what separates the parts of a file, a filter or a statement.
constexpr bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Spaces and tabs around a typed value cut off; line breaks are kept, as they are content.
std::string_view trim_blanks(std::string_view text);

// True when the text has nothing but spaces and tabs.
inline bool is_blank_text(std::string_view text) { return trim_blanks(text).empty(); }

}  // namespace tellvaro::text
