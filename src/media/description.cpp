#include "media/description.h"

#include "ports/dialogs.h"
#include "store/description_frames.h"
#include "store/file_io.h"
#include "store/table.h"
#include "text/ascii.h"
#include "text/cp1252.h"

namespace tellvaro::media {

bool valid_utf8(std::string_view b) {
  std::size_t i = 0;
  while (i < b.size()) {
    const auto c = static_cast<unsigned char>(b[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    int extra;
    char32_t cp, min;
    if ((c & 0xE0) == 0xC0) {
      extra = 1, cp = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2, cp = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3, cp = c & 0x07, min = 0x10000;
    } else {
      return false;
    }
    if (i + extra >= b.size()) return false;
    for (int k = 1; k <= extra; ++k) {
      const auto d = static_cast<unsigned char>(b[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = cp << 6 | (d & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

std::string description_text(std::string_view bytes) {
  std::string text;
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF" && valid_utf8(bytes.substr(3))) {
    text = bytes.substr(3);
  } else if (valid_utf8(bytes)) {
    text = bytes;
  } else {
    text = text::cp1252_to_utf8(bytes);
  }
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    const bool last = end == std::string::npos;
    if (last) end = text.size();
    std::size_t line_end = end;
    if (!last && line_end > start && text[line_end - 1] == '\r') --line_end;
    if (!out.empty() || start > 0) out += "\r\n";
    out.append(text, start, line_end - start);
    start = last ? end : end + 1;
  }
  return out;
}

std::string preview_document(std::string_view description) {
  const std::string meta = "<meta http-equiv=\"Content-Security-Policy\" content=\"" +
                           std::string(kPreviewPolicy) + "\">";
  std::size_t start = 0;
  while (start < description.size() && text::is_blank(description[start])) ++start;
  std::size_t insert_at = 0;
  if (text::starts_with_no_case(description.substr(start), "<!doctype")) {
    const std::size_t end = description.find('>', start);
    if (end != std::string_view::npos) insert_at = end + 1;
  }
  std::string out;
  out.reserve(description.size() + meta.size());
  out.append(description.substr(0, insert_at));
  out += meta;
  out.append(description.substr(insert_at));
  return out;
}

bool load_description(store::Table& articles, ports::Dialogs& dialogs) {
  const auto chosen = dialogs.open_file("", std::string(kDescriptionFilter));
  if (!chosen) return false;
  articles.edit();
  const std::string text = description_text(store::detail::read_whole_file(*chosen));
  // The file is the seller's own text; the frame he chose stays.
  const auto frame = store::frame_of(articles.text(store::F::Beschreibung));
  articles.set(store::F::Beschreibung,
               store::Value::text(store::join_frame(text, frame.value_or(""))));
  articles.post();
  return true;
}

}  // namespace tellvaro::media
