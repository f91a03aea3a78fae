// German dictionary order (letters with umlauts and accents beside their base letter, "ß" as
// "ss"), in three passes: base letters, then accents, then letter case.

#include <array>
#include <optional>
#include <vector>

#include "store/detail.h"
#include "store/table.h"
#include "text/cp1252.h"

namespace tellvaro::store {
namespace {

struct Unit {
  char32_t base;    // the letter without accent and case, or the character itself
  char32_t accent;  // 0 for a plain letter
  int upper;        // 1 for a capital
};

// Base letters of U+00C0..U+00FF; 0 marks a character that stays itself, '2' a letter that
// expands to two base letters (Æ, Þ, ß, æ, þ).
constexpr std::array<char, 64> kLatin1Base = {
    'a', 'a', 'a', 'a', 'a', 'a', '2', 'c', 'e', 'e', 'e', 'e', 'i', 'i', 'i', 'i',
    'd', 'n', 'o', 'o', 'o', 'o', 'o', 0,   'o', 'u', 'u', 'u', 'u', 'y', '2', '2',
    'a', 'a', 'a', 'a', 'a', 'a', '2', 'c', 'e', 'e', 'e', 'e', 'i', 'i', 'i', 'i',
    'd', 'n', 'o', 'o', 'o', 'o', 'o', 0,   'o', 'u', 'u', 'u', 'u', 'y', '2', 'y'};

class Units {
 public:
  explicit Units(std::string_view s) : s_(s) {}

  bool next(Unit& u) {
    if (pending_) {
      u = *pending_;
      pending_.reset();
      return true;
    }
    if (pos_ >= s_.size()) return false;
    const char32_t c = text::next_char(s_, pos_);
    if (c >= 'A' && c <= 'Z') {
      u = {c + 32, 0, 1};
    } else if (c >= 0xC0 && c <= 0xFF) {
      const char base = kLatin1Base[c - 0xC0];
      const int upper = c < 0xDF && c != 0xD7 ? 1 : 0;
      const char32_t accent = upper ? c + 0x20 : c;
      if (base == 0) {
        u = {c, 0, 0};
      } else if (base == '2') {
        const char32_t lower = upper ? c + 0x20 : c;
        const char32_t first = lower == 0xE6 ? 'a' : lower == 0xFE ? 't' : 's';
        const char32_t second = lower == 0xE6 ? 'e' : lower == 0xFE ? 'h' : 's';
        u = {first, accent, upper};
        pending_ = Unit{second, accent, upper};
      } else {
        u = {static_cast<char32_t>(base), accent, upper};
      }
    } else {
      switch (c) {
        case 0x160:
          u = {'s', 0x161, 1};
          break;  // Š
        case 0x161:
          u = {'s', 0x161, 0};
          break;
        case 0x17D:
          u = {'z', 0x17E, 1};
          break;  // Ž
        case 0x17E:
          u = {'z', 0x17E, 0};
          break;
        case 0x178:
          u = {'y', 0xFF, 1};
          break;     // Ÿ
        case 0x152:  // Œ
        case 0x153: {
          const int upper = c == 0x152 ? 1 : 0;
          u = {'o', 0x153, upper};
          pending_ = Unit{'e', 0x153, upper};
          break;
        }
        default:
          u = {c, 0, 0};
          break;
      }
    }
    return true;
  }

 private:
  std::string_view s_;
  std::size_t pos_ = 0;
  std::optional<Unit> pending_;
};

template <typename Key>
int compare_pass(std::string_view a, std::string_view b, Key key) {
  Units ua(a), ub(b);
  Unit x{}, y{};
  for (;;) {
    const bool more_a = ua.next(x), more_b = ub.next(y);
    if (!more_a || !more_b) return more_a ? 1 : more_b ? -1 : 0;
    if (key(x) != key(y)) return key(x) < key(y) ? -1 : 1;
  }
}

}  // namespace

int compare_german(std::string_view a, std::string_view b, bool ignore_case) {
  if (int r = compare_pass(a, b, [](const Unit& u) { return u.base; })) return r;
  if (int r = compare_pass(a, b, [](const Unit& u) { return u.accent; })) return r;
  if (ignore_case) return 0;
  return compare_pass(a, b, [](const Unit& u) { return u.upper; });
}

namespace detail {

int compare_values(const Value& a, const Value& b, bool ignore_case) {
  auto blank = [](const Value& v) {
    const std::string* s = v.as_string();
    return v.is_null() || (s && s->empty());
  };
  const bool blank_a = blank(a), blank_b = blank(b);
  if (blank_a || blank_b) return blank_a == blank_b ? 0 : blank_a ? -1 : 1;
  const std::string* sa = a.as_string();
  const std::string* sb = b.as_string();
  if (sa && sb) return compare_german(*sa, *sb, ignore_case);
  if (auto fa = a.as_flag(), fb = b.as_flag(); fa && fb) return *fa == *fb ? 0 : *fa ? 1 : -1;
  if (auto da = a.as_amount(), db = b.as_amount(); da && db) {
    return *da < *db ? -1 : *db < *da ? 1 : 0;
  }
  // Values of different kinds: only possible in a hand-made record; order by their texts.
  const Field any{"", Kind::Text, 0};
  return compare_german(to_text(a, any), to_text(b, any), ignore_case);
}

std::optional<std::vector<SortKey>> sort_keys(const std::vector<const Value*>& values,
                                              bool ignore_case) {
  std::vector<SortKey> keys(values.size());
  enum { None, Texts, Numbers, Flags } kind = None;
  auto same_kind = [&kind](decltype(kind) k) {
    if (kind == None) kind = k;
    return kind == k;
  };
  for (std::size_t i = 0; i < values.size(); ++i) {
    const Value& v = *values[i];
    SortKey& key = keys[i];
    if (v.is_null()) continue;
    if (const std::string* s = v.as_string()) {
      if (s->empty()) continue;
      if (!same_kind(Texts)) return std::nullopt;
      key.rank = 1;
      // The passes of compare_german one after the other, each unit raised by one so that a
      // 0 ends a pass (a shorter pass then sorts first, as there), and written in three bytes,
      // high byte first, so that comparing the bytes compares the units.
      std::string accents, cases;
      auto put = [](std::string& out, char32_t unit) {
        out += static_cast<char>((unit >> 16) & 0xFF);
        out += static_cast<char>((unit >> 8) & 0xFF);
        out += static_cast<char>(unit & 0xFF);
      };
      key.text.reserve(s->size() * 9 + 6);
      Units units(*s);
      Unit u{};
      while (units.next(u)) {
        put(key.text, u.base + 1);
        put(accents, u.accent + 1);
        if (!ignore_case) put(cases, static_cast<char32_t>(u.upper + 1));
      }
      put(key.text, 0);
      key.text += accents;
      if (!ignore_case) {
        put(key.text, 0);
        key.text += cases;
      }
    } else if (auto f = v.as_flag()) {
      if (!same_kind(Flags)) return std::nullopt;
      key.rank = 1;
      key.number = *f ? 1 : 0;
    } else if (auto d = v.as_amount()) {
      if (!same_kind(Numbers) || *d != *d) return std::nullopt;  // NaN has no place
      key.rank = 1;
      key.number = *d;
    }
  }
  return keys;
}

}  // namespace detail
}  // namespace tellvaro::store
