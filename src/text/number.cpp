#include "text/number.h"

#include <charconv>
#include <cmath>

#include "text/error.h"

namespace tellvaro::text {
namespace {

// A finite double as a decimal of 15 significant digits: integer digits and fraction digits.
struct Decimal {
  bool negative = false;
  std::string integer;   // at least "0"
  std::string fraction;  // may be empty
};

Decimal to_decimal(double value) {
  char buf[40];
  const auto end =
      std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14).ptr;
  std::string_view s(buf, static_cast<std::size_t>(end - buf));
  Decimal d;
  if (s.front() == '-') {
    d.negative = true;
    s.remove_prefix(1);
  }
  std::string digits;
  std::size_t e = s.find('e');
  for (char c : s.substr(0, e)) {
    if (c != '.') digits += c;
  }
  std::string_view exponent = s.substr(e + 1);
  if (exponent.front() == '+') exponent.remove_prefix(1);
  int exp10 = 0;
  std::from_chars(exponent.data(), exponent.data() + exponent.size(), exp10);
  if (exp10 >= 0) {
    auto int_len = static_cast<std::size_t>(exp10) + 1;
    if (int_len >= digits.size()) {
      d.integer = digits + std::string(int_len - digits.size(), '0');
    } else {
      d.integer = digits.substr(0, int_len);
      d.fraction = digits.substr(int_len);
    }
  } else {
    d.integer = "0";
    d.fraction = std::string(static_cast<std::size_t>(-exp10 - 1), '0') + digits;
  }
  return d;
}

bool all_zero(std::string_view s) { return s.find_first_not_of('0') == std::string_view::npos; }

std::string bad_number(std::string_view text) {
  return "'" + std::string(text) + "' ist keine gültige Zahl.";
}

}  // namespace

std::string format_number(double value) {
  if (!std::isfinite(value)) return "0";
  Decimal d = to_decimal(value);
  while (!d.fraction.empty() && d.fraction.back() == '0') d.fraction.pop_back();
  std::string out;
  if (d.negative && !(all_zero(d.integer) && d.fraction.empty())) out += '-';
  out += d.integer;
  if (!d.fraction.empty()) out += '.' + d.fraction;
  return out;
}

std::string format_money(double value) {
  if (!std::isfinite(value)) return "0.00";
  Decimal d = to_decimal(value);
  d.fraction.resize(std::max<std::size_t>(d.fraction.size(), 3), '0');
  std::string cents = d.integer + d.fraction.substr(0, 2);
  if (d.fraction[2] >= '5') {
    int i = static_cast<int>(cents.size()) - 1;
    while (i >= 0 && cents[i] == '9') cents[i--] = '0';
    if (i < 0) {
      cents.insert(cents.begin(), '1');
    } else {
      ++cents[i];
    }
  }
  std::string integer = cents.substr(0, cents.size() - 2);
  integer.erase(0, std::min(integer.find_first_not_of('0'), integer.size() - 1));
  std::string out;
  if (d.negative && !all_zero(cents)) out += '-';
  return out + integer + '.' + cents.substr(cents.size() - 2);
}

std::optional<double> try_parse_number(std::string_view text) {
  std::string_view s = trim_blanks(text);
  // The grammar is checked by hand: from_chars alone would take "inf", "nan" and hex forms.
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  std::size_t start = i;
  std::size_t mantissa_digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++mantissa_digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++mantissa_digits;
  }
  if (mantissa_digits == 0) return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t exp_digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++exp_digits;
    if (exp_digits == 0) return std::nullopt;
  }
  if (i != s.size()) return std::nullopt;
  std::string body(s.substr(start));
  if (body.front() == '.') body.insert(body.begin(), '0');
  if (auto dot = body.find('.');
      dot != std::string::npos &&
      (dot + 1 == body.size() || body[dot + 1] < '0' || body[dot + 1] > '9')) {
    body.insert(dot + 1, "0");  // "12." reads as 12
  }
  double value = 0;
  auto [ptr, ec] = std::from_chars(body.data(), body.data() + body.size(), value);
  if (ec != std::errc() || ptr != body.data() + body.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return negative ? -value : value;
}

double parse_number(std::string_view text) {
  if (auto v = try_parse_number(text)) return *v;
  throw Error(bad_number(text));
}

std::optional<double> try_parse_typed_number(std::string_view text) {
  const auto comma = text.find(',');
  if (comma == std::string_view::npos) return try_parse_number(text);
  if (text.find(',', comma + 1) != std::string_view::npos ||
      text.find('.') != std::string_view::npos) {
    return std::nullopt;
  }
  std::string dotted(text);
  dotted[comma] = '.';
  return try_parse_number(dotted);
}

double parse_typed_number(std::string_view text) {
  if (auto v = try_parse_typed_number(text)) return *v;
  throw Error(bad_number(text));
}

std::int16_t parse_small_int(std::string_view text) {
  std::string_view s = trim_blanks(text);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  int value = 0;
  auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (s.empty() || ec != std::errc() || ptr != s.data() + s.size() || value < INT16_MIN ||
      value > INT16_MAX) {
    throw Error("'" + std::string(text) + "' ist keine gültige ganze Zahl.");
  }
  return static_cast<std::int16_t>(value);
}

}  // namespace tellvaro::text
