#include "presentation/messages.h"

namespace tellvaro::presentation {

std::string value_kept_message(std::string_view why) {
  return std::string(why) + "\nDer bisherige Wert bleibt erhalten.";
}

std::string unexpected_error_message(std::optional<std::string_view> what) {
  if (!what) return "Unerwarteter Fehler.";
  return "Unerwarteter Fehler: " + std::string(*what);
}

}  // namespace tellvaro::presentation
