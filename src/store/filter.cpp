#include "store/filter.h"

#include "store/field.h"
#include "text/ascii.h"
#include "text/error.h"

namespace tellvaro::store::detail {
namespace {

void skip_blanks(std::string_view s, std::size_t& i) {
  while (i < s.size() && text::is_blank(s[i])) ++i;
}

[[noreturn]] void unreadable(std::string_view expression) {
  throw Error("Der Filter \"" + std::string(expression) +
              "\" ist ungültig; erwartet wird [Feld] like 'Muster'.");
}

// Start of the next UTF-8 character after position i.
std::size_t next_char_start(std::string_view s, std::size_t i) {
  ++i;
  while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
  return i;
}

}  // namespace

LikeFilter parse_like(std::string_view e) {
  std::size_t i = 0;
  skip_blanks(e, i);
  if (i >= e.size() || e[i] != '[') unreadable(e);
  const std::size_t close = e.find(']', i + 1);
  if (close == std::string_view::npos) unreadable(e);
  const std::string_view name = e.substr(i + 1, close - i - 1);
  i = close + 1;
  skip_blanks(e, i);
  static constexpr std::string_view kLike = "like";
  if (!text::starts_with_no_case(e.substr(i), kLike)) unreadable(e);
  i += kLike.size();
  skip_blanks(e, i);
  if (i >= e.size() || e[i] != '\'') unreadable(e);
  ++i;
  LikeFilter f;
  for (;;) {
    if (i >= e.size()) unreadable(e);
    if (e[i] == '\'') {
      if (i + 1 < e.size() && e[i + 1] == '\'') {
        f.pattern += '\'';
        i += 2;
        continue;
      }
      ++i;
      break;
    }
    f.pattern += e[i++];
  }
  skip_blanks(e, i);
  if (i != e.size()) unreadable(e);
  auto index = field_index(name);
  if (!index) throw Error("Der Filter nennt das unbekannte Feld '" + std::string(name) + "'.");
  f.field = *index;
  return f;
}

bool like_match(std::string_view text, std::string_view pattern) {
  // The usual "%text%" is a plain search.
  if (pattern.size() >= 2 && pattern.front() == '%' && pattern.back() == '%') {
    const std::string_view inner = pattern.substr(1, pattern.size() - 2);
    if (inner.find_first_of("%_") == std::string_view::npos) {
      return text.find(inner) != std::string_view::npos;
    }
  }
  // Greedy match with one backtrack point: the last '%' seen.
  std::size_t t = 0, p = 0;
  std::size_t star_p = std::string_view::npos, star_t = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '%') {
      star_p = ++p;
      star_t = t;
    } else if (p < pattern.size() && pattern[p] == '_') {
      t = next_char_start(text, t);
      ++p;
    } else if (p < pattern.size() && pattern[p] == text[t]) {
      ++t;
      ++p;
    } else if (star_p != std::string_view::npos) {
      star_t = next_char_start(text, star_t);
      t = star_t;
      p = star_p;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '%') ++p;
  return p == pattern.size();
}

}  // namespace tellvaro::store::detail
