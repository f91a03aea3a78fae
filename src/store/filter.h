#pragma once

// The name filter's expression "[F] like 'pattern'" and its pattern match.

#include <cstddef>
#include <string>
#include <string_view>

namespace tellvaro::store::detail {

struct LikeFilter {
  std::size_t field = 0;
  std::string pattern;  // unquoted; % any run of characters, _ one character
};

// Throws tellvaro::Error with a German message for an expression it cannot read.
LikeFilter parse_like(std::string_view expression);

// Letter case counts; characters are UTF-8 code points.
bool like_match(std::string_view text, std::string_view pattern);

}  // namespace tellvaro::store::detail
