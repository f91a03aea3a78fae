#include "text/line_breaks.h"

namespace tellvaro::text {

std::string crlf_line_breaks(std::string_view text) {
  constexpr std::string_view kParagraph = "\xE2\x80\xA9", kLine = "\xE2\x80\xA8";
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n') {
      if (i == 0 || text[i - 1] != '\r') out += '\r';
      out += '\n';
    } else if (c == '\xE2' && (text.substr(i, 3) == kParagraph || text.substr(i, 3) == kLine)) {
      out += "\r\n";
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace tellvaro::text
