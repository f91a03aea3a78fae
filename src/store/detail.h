#pragma once

// Helpers shared by the store's own sources; not part of its interface.

#include <optional>
#include <string>
#include <string_view>

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

}  // namespace tellvaro::store::detail
