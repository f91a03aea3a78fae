#include "text/ascii.h"

#include <algorithm>

namespace tellvaro::text {

std::string ascii_lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = ascii_lower(c);
  return out;
}

bool equal_no_case(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return ascii_lower(x) == ascii_lower(y); });
}

bool starts_with_no_case(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && equal_no_case(s.substr(0, prefix.size()), prefix);
}

std::string_view trim_blanks(std::string_view text) {
  auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

}  // namespace tellvaro::text
