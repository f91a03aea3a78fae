#pragma once

// Helpers shared by the store's own sources; not part of its interface.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/field.h"

namespace tellvaro::store::detail {

// "True"/"False" in any letter case, blanks around allowed.
std::optional<bool> parse_flag(std::string_view text);

// A value made to suit the field: text cut to its width, a text for a number or flag field
// parsed (throws tellvaro::Error), a number for a text field turned into its text.
Value coerce(Value v, const Field& f);

// Order of two values of one field: null and the empty text first, numbers by value, flags
// False before True, texts in German dictionary order.
int compare_values(const Value& a, const Value& b, bool ignore_case);

// A value made comparable by plain comparison of its parts, in the order compare_values gives:
// sorting by keys costs one pass over each text instead of one per comparison.
struct SortKey {
  int rank = 0;       // 0: null or the empty text, 1: any other value
  double number = 0;  // an amount or small integer; a flag as 0 or 1
  std::string text;   // a text's collation units, pass by pass, to be compared bytewise
  // Negative, zero or positive. Numbers are never NaN here.
  int compare(const SortKey& o) const {
    if (rank != o.rank) return rank < o.rank ? -1 : 1;
    if (number != o.number) return number < o.number ? -1 : 1;
    return text.compare(o.text);
  }
};
// Keys for the values of one field, or nothing when texts, numbers and flags are mixed (only
// in a hand-made record; compare_values then orders them by their texts).
std::optional<std::vector<SortKey>> sort_keys(const std::vector<const Value*>& values,
                                              bool ignore_case);

}  // namespace tellvaro::store::detail
