#pragma once

// Number texts use "." as decimal separator everywhere, never the locale's.

#include <charconv>
#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "text/ascii.h"  // number texts may carry blanks around them

namespace tellvaro::text {

// Shortest decimal form with at most 15 significant digits, no exponent, no thousands
// separator: 12.5, 3, 0.99, 0.6 for 0.1 + 0.2 + 0.3.
std::string format_number(double value);

// The pattern "0.00": two decimals, halves rounded away from zero (1.005 gives 1.01).
std::string format_money(double value);

// A decimal number with "." as separator; blanks around it are allowed. Nothing for a text that
// is no number (the empty text included).
std::optional<double> try_parse_number(std::string_view text);

// As above, but a text that is no number throws tellvaro::Error with a German message.
double parse_number(std::string_view text);

// A number as a seller types it into an amount: the form above, or "16,99" with exactly one
// comma as decimal separator and no full stop. A grouped text such as "1.299,00" is no number.
std::optional<double> try_parse_typed_number(std::string_view text);
double parse_typed_number(std::string_view text);

// A whole number in decimal digits; the one way integers become text, whatever the locale.
template <std::integral T>
std::string format_int(T value) {
  char buf[24];
  return std::string(buf, std::to_chars(buf, buf + sizeof buf, value).ptr);
}

// A whole number that fits 16 bits; throws tellvaro::Error otherwise.
std::int16_t parse_small_int(std::string_view text);

}  // namespace tellvaro::text
