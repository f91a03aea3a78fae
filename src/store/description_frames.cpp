#include "store/description_frames.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "store/file_io.h"
#include "store/files.h"
#include "store/table.h"
#include "text/ascii.h"
#include "text/cp1252.h"
#include "text/error.h"
#include "text/line_breaks.h"
#include "text/number.h"

namespace tellvaro::store {
namespace {

constexpr std::string_view kMarkerOpen = "<!--Vorlage: ";
constexpr std::string_view kMarkerClose = "-->";
constexpr std::string_view kLineBreak = "\r\n";
constexpr std::size_t kNameMax = 60;
constexpr std::size_t kPlaceholderMax = 40;

struct Marker {
  std::string name;
  std::size_t length = 0;  // bytes the marker takes at the front, its line break included
};

std::optional<Marker> marker_of(std::string_view description) {
  if (description.substr(0, kMarkerOpen.size()) != kMarkerOpen) return std::nullopt;
  const std::size_t close = description.find(kMarkerClose, kMarkerOpen.size());
  if (close == std::string_view::npos) return std::nullopt;
  std::string name(description.substr(kMarkerOpen.size(), close - kMarkerOpen.size()));
  if (!frame_name_problem(name).empty()) return std::nullopt;
  std::size_t length = close + kMarkerClose.size();
  if (description.substr(length, kLineBreak.size()) == kLineBreak) length += kLineBreak.size();
  return Marker{std::move(name), length};
}

bool name_char(char c) {
  return text::is_ascii_alnum(c) || c == '_' || c == '-' || c == ' ' ||
         static_cast<unsigned char>(c) >= 0x80;
}

// The field name of a placeholder starting at `open` (a '{'), and where it ends; nothing when
// the braces hold something else.
std::optional<std::pair<std::string_view, std::size_t>> placeholder_at(std::string_view s,
                                                                       std::size_t open) {
  const std::size_t start = open + 1;
  std::size_t i = start;
  while (i < s.size() && i - start <= kPlaceholderMax && name_char(s[i])) ++i;
  if (i >= s.size() || s[i] != '}' || i == start) return std::nullopt;
  const std::string_view name = s.substr(start, i - start);
  const char first = name.front();
  const bool letter = (first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z') ||
                      static_cast<unsigned char>(first) >= 0x80;
  if (!letter || name.back() == ' ') return std::nullopt;
  return std::pair{name, i + 1};
}

// A close spelling of a field ("artikelname" for "Artikelname"), for the message.
std::optional<std::string_view> field_spelt_like(std::string_view name) {
  for (const Field& f : article_fields())
    if (text::equal_no_case(f.name, name)) return f.name;
  return std::nullopt;
}

std::string html_safe(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string field_for_frame(const Record& article, std::size_t index) {
  const Field& f = article_fields()[index];
  const Value& v = article[index];
  if (v.is_null()) return "";
  switch (f.kind) {
    case Kind::Amount:
      return text::format_money(v.as_amount().value_or(0));
    case Kind::Flag:
      return v.as_flag().value_or(false) ? "ja" : "nein";
    default:
      return html_safe(to_text(v, f));
  }
}

bool valid_utf8(std::string_view s) {
  std::size_t pos = 0;
  while (pos < s.size()) {
    const std::size_t before = pos;
    const char32_t c = text::next_char(s, pos);
    // A real U+FFFD takes three bytes; a malformed byte decodes to it taking one.
    if (c == 0xFFFD && pos - before != 3) return false;
  }
  return true;
}

std::string quoted(std::string_view name) { return "\"" + std::string(name) + "\""; }

}  // namespace

std::optional<std::string> frame_of(std::string_view description) {
  if (auto m = marker_of(description)) return std::move(m->name);
  return std::nullopt;
}

std::string_view own_text(std::string_view description) {
  if (auto m = marker_of(description)) return description.substr(m->length);
  return description;
}

std::string with_frame(std::string_view description, std::string_view frame) {
  return join_frame(own_text(description), frame);
}

std::string join_frame(std::string_view own, std::string_view frame) {
  if (frame.empty()) return std::string(own);
  std::string out;
  out.reserve(kMarkerOpen.size() + frame.size() + kMarkerClose.size() + 2 + own.size());
  out.append(kMarkerOpen).append(frame).append(kMarkerClose).append(kLineBreak).append(own);
  return out;
}

std::string frame_name_problem(std::string_view name) {
  if (text::is_blank_text(name)) return "Bitte geben Sie einen Namen für die Vorlage ein.";
  if (text::char_count(name) > kNameMax)
    return "Der Name der Vorlage ist zu lang (höchstens " + text::format_int(kNameMax) +
           " Zeichen).";
  if (name.front() == ' ' || name.back() == ' ' || name.front() == '.' || name.back() == '.' ||
      name.front() == '(')
    return "Der Name der Vorlage darf nicht mit einem Leerzeichen oder Punkt beginnen oder enden "
           "und nicht mit einer Klammer beginnen.";
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 ||
        std::string_view("/\\:*?\"<>|{}").find(c) != std::string_view::npos)
      return "Der Name der Vorlage darf keines der Zeichen / \\ : * ? \" < > | { } enthalten.";
  }
  if (name.find("--") != std::string_view::npos)
    return "Der Name der Vorlage darf nicht zwei Bindestriche hintereinander enthalten.";
  return "";
}

std::vector<std::string> unknown_placeholders(std::string_view frame) {
  std::vector<std::string> unknown;
  for (std::size_t i = frame.find('{'); i != std::string_view::npos; i = frame.find('{', i + 1)) {
    const auto p = placeholder_at(frame, i);
    if (!p || field_index(p->first)) continue;
    const std::string name(p->first);
    if (std::find(unknown.begin(), unknown.end(), name) == unknown.end()) unknown.push_back(name);
  }
  return unknown;
}

std::string frame_problem(std::string_view frame) {
  const auto unknown = unknown_placeholders(frame);
  if (!unknown.empty()) {
    std::string m = unknown.size() == 1 ? "Die Vorlage enthält den Platzhalter "
                                        : "Die Vorlage enthält die Platzhalter ";
    for (std::size_t k = 0; k < unknown.size(); ++k) {
      if (k > 0) m += k + 1 == unknown.size() ? " und " : ", ";
      m += "{" + unknown[k] + "}";
    }
    m += unknown.size() == 1 ? ", der kein Feld des Artikels nennt."
                             : ", die kein Feld des Artikels nennen.";
    for (const std::string& u : unknown) {
      if (auto close = field_spelt_like(u)) m += " Meinten Sie {" + std::string(*close) + "}?";
    }
    return m +
           " Feldnamen werden genau so geschrieben wie in der Artikel-Tabelle, zum Beispiel "
           "{Artikelname} oder {Versandpreis_1}.";
  }
  // Sent and imported again, such a text would read as naming a frame.
  if (marker_of(frame))
    return "Die Vorlage darf nicht mit dem Kommentar \"<!--Vorlage: ...-->\" beginnen.";
  std::size_t own = 0;
  for (std::size_t i = frame.find('{'); i != std::string_view::npos; i = frame.find('{', i + 1)) {
    const auto p = placeholder_at(frame, i);
    if (p && p->first == name_of(F::Beschreibung)) ++own;
  }
  if (own == 0)
    return "Die Vorlage enthält keinen Platzhalter {Beschreibung}: die Beschreibung des Artikels "
           "ginge verloren.";
  if (own > 1) return "Die Vorlage enthält den Platzhalter {Beschreibung} mehr als einmal.";
  return "";
}

std::string fill_frame(std::string_view frame, const Record& article) {
  std::string out;
  out.reserve(frame.size() + 256);
  std::size_t from = 0;
  for (std::size_t i = frame.find('{'); i != std::string_view::npos;) {
    const auto p = placeholder_at(frame, i);
    const auto index = p ? field_index(p->first) : std::nullopt;
    if (!index) {
      i = frame.find('{', i + 1);
      continue;
    }
    out.append(frame.substr(from, i - from));
    if (*index == index_of(F::Beschreibung)) {
      const std::string* own = at(article, F::Beschreibung).as_string();
      if (own) out.append(own_text(*own));
    } else {
      out += field_for_frame(article, *index);
    }
    from = p->second;
    i = frame.find('{', from);
  }
  out.append(frame.substr(from));
  return out;
}

std::optional<std::string> renamed_frame_description(const Record& article, std::string_view from,
                                                     std::string_view to) {
  const std::string* d = at(article, F::Beschreibung).as_string();
  if (!d || frame_of(*d) != std::optional<std::string>(std::string(from))) return std::nullopt;
  return with_frame(*d, to);
}

std::size_t frame_users(const Table& table, std::string_view frame) {
  std::size_t n = 0;
  for (const Record& r : table.stored()) {
    const std::string* d = at(r, F::Beschreibung).as_string();
    if (d && frame_of(*d) == std::optional<std::string>(std::string(frame))) ++n;
  }
  return n;
}

std::size_t rename_frame_in(Table& table, std::string_view from, std::string_view to) {
  // A description being typed is stored first, so the rename starts from it.
  table.post_if_changed();
  std::vector<Table::Patch> patches;
  const std::vector<Record>& records = table.stored();
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (auto d = renamed_frame_description(records[i], from, to))
      patches.push_back({table.stored_keys()[i], {{index_of(F::Beschreibung), Value::text(*d)}}});
  }
  if (patches.empty()) return 0;
  return table.rewrite(patches, false);
}

FrameFolder::FrameFolder(std::string data_root) : folder_(data_path(data_root, kFrameFolder)) {}

std::string FrameFolder::path_of(std::string_view name) const {
  return folder_ + std::string(name) + std::string(kFrameExtension);
}

std::vector<std::string> FrameFolder::names() const {
  std::vector<std::string> out;
  DIR* dir = ::opendir(folder_.c_str());
  if (!dir) return out;
  while (const dirent* e = ::readdir(dir)) {
    const std::string_view file = e->d_name;
    if (file.size() <= kFrameExtension.size() ||
        file.substr(file.size() - kFrameExtension.size()) != kFrameExtension)
      continue;
    const std::string name(file.substr(0, file.size() - kFrameExtension.size()));
    if (frame_name_problem(name).empty()) out.push_back(name);
  }
  ::closedir(dir);
  std::sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) {
    const std::string la = text::ascii_lower(a), lb = text::ascii_lower(b);
    return la != lb ? la < lb : a < b;
  });
  return out;
}

bool FrameFolder::exists(std::string_view name) const {
  if (!frame_name_problem(name).empty()) return false;
  struct stat st {};
  return ::stat(path_of(name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string FrameFolder::read(std::string_view name) const {
  if (!exists(name)) throw Error("Die Vorlage " + quoted(name) + " gibt es nicht.");
  std::string bytes = detail::read_whole_file(path_of(name));
  // Changed with another editor: a byte order mark is no part of the text, and a file that is
  // no UTF-8 was written in the Windows character set.
  if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
  if (!valid_utf8(bytes)) bytes = text::cp1252_to_utf8(bytes);
  return bytes;
}

void FrameFolder::save(std::string_view name, std::string_view html) {
  if (std::string p = frame_name_problem(name); !p.empty()) throw Error(p);
  if (std::string p = frame_problem(html); !p.empty()) throw Error(p);
  // The first frame makes its folder (and the data folder, for a root that has none yet).
  const std::string frames = folder_.substr(0, folder_.size() - 1);
  for (const std::string& f : {frames.substr(0, frames.rfind('/')), frames}) {
    if (::mkdir(f.c_str(), 0777) != 0 && errno != EEXIST)
      throw Error("Der Ordner '" + f + "' konnte nicht angelegt werden: " + detail::reason(errno) +
                  ".");
  }
  const std::string bytes = text::crlf_line_breaks(html);
  detail::replace_file(path_of(name), [&](detail::FileWriter& w) { w.write(bytes); });
}

void FrameFolder::create(std::string_view name, std::string_view html) {
  if (std::string p = frame_name_problem(name); !p.empty()) throw Error(p);
  for (const std::string& n : names())
    if (text::equal_no_case(n, name))
      throw Error("Eine Vorlage namens " + quoted(n) + " gibt es schon.");
  save(name, html);
}

void FrameFolder::rename(std::string_view from, std::string_view to) {
  if (std::string p = frame_name_problem(to); !p.empty()) throw Error(p);
  if (!exists(from)) throw Error("Die Vorlage " + quoted(from) + " gibt es nicht.");
  for (const std::string& n : names())
    if (n != from && text::equal_no_case(n, to))
      throw Error("Eine Vorlage namens " + quoted(n) + " gibt es schon.");
  if (::rename(path_of(from).c_str(), path_of(to).c_str()) != 0)
    throw Error("Die Vorlage " + quoted(from) +
                " konnte nicht umbenannt werden: " + detail::reason(errno) + ".");
}

void FrameFolder::remove(std::string_view name) {
  if (!exists(name)) throw Error("Die Vorlage " + quoted(name) + " gibt es nicht.");
  if (::unlink(path_of(name).c_str()) != 0)
    throw Error("Die Vorlage " + quoted(name) +
                " konnte nicht gelöscht werden: " + detail::reason(errno) + ".");
}

FramedDescription FrameFolder::framed(const Record& article) const {
  const std::string* d = at(article, F::Beschreibung).as_string();
  const std::string description = d ? *d : std::string();
  const auto frame = frame_of(description);
  if (!frame) return {description, ""};
  if (!exists(*frame))
    return {"",
            "Die Vorlage " + quoted(*frame) + " der Beschreibung fehlt (" + path_of(*frame) + ")."};
  std::string html;
  try {
    html = read(*frame);
  } catch (const Error& e) {
    return {"",
            "Die Vorlage " + quoted(*frame) + " der Beschreibung ist nicht lesbar: " + e.what()};
  }
  if (std::string p = frame_problem(html); !p.empty())
    return {"", "Die Vorlage " + quoted(*frame) + " der Beschreibung ist fehlerhaft: " + p};
  return {fill_frame(html, article), ""};
}

}  // namespace tellvaro::store
