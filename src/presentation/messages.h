#pragma once

// Messages the windows put together around a text from elsewhere.

#include <optional>
#include <string>
#include <string_view>

namespace tellvaro::presentation {

// A typed value the record refused: why, and that nothing was lost.
// "„x“ ist keine Zahl.\nDer bisherige Wert bleibt erhalten."
std::string value_kept_message(std::string_view why);

// A failure that is not one of ours: its text may be English or technical, so it is said
// plainly what happened. "Unerwarteter Fehler: <what>", or without a text "Unerwarteter Fehler."
std::string unexpected_error_message(std::optional<std::string_view> what);

}  // namespace tellvaro::presentation
