#pragma once

// Line breaks of the memo fields. The stored form is CR LF (the table files and the auction
// house's descriptions use it); a text view hands back its own separators.

#include <string>
#include <string_view>

namespace tellvaro::text {

// A text view's raw text (UTF-8) in the stored form: each LF without a CR before it, and each
// paragraph or line separator (U+2029, U+2028), becomes CR LF; CR LF stays as it is. Every other
// character, a no-break space included, is kept.
std::string crlf_line_breaks(std::string_view text);

}  // namespace tellvaro::text
