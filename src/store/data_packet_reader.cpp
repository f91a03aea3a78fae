#include "store/data_packet.h"

#include <fcntl.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bitset>
#include <cerrno>
#include <charconv>
#include <memory>
#include <mutex>

#include "store/field_file_type.h"
#include "store/file_io.h"
#include "store/table.h"
#include "text/ascii.h"
#include "text/cp1252.h"
#include "text/error.h"
#include "text/number.h"

namespace tellvaro::store {
namespace {

// The file's bytes, from memory or read piece by piece, so that a large file is never held
// whole beside the table it becomes.
class Source {
 public:
  explicit Source(std::string_view all) : view_(all) {}
  Source(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}

  std::string_view rest() const { return view_.substr(pos_); }
  void skip(std::size_t n) { pos_ += n; }

  // Reads more bytes; false at the end. Offsets into rest() stay valid.
  bool more() {
    if (fd_ < 0 || eof_) return false;
    buf_.erase(0, pos_);
    pos_ = 0;
    const std::size_t old = buf_.size();
    buf_.resize(old + std::max<std::size_t>(kChunk, old));
    ssize_t n;
    do {
      n = ::read(fd_, buf_.data() + old, buf_.size() - old);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
      throw Error("Die Datei '" + path_ +
                  "' konnte nicht gelesen werden: " + detail::reason(errno) + ".");
    }
    buf_.resize(old + static_cast<std::size_t>(n));
    view_ = buf_;
    eof_ = n == 0;
    return n > 0;
  }

  // At least n unread bytes, unless the input ends first.
  std::string_view ensure(std::size_t n) {
    while (rest().size() < n && more()) {
    }
    return rest();
  }

  bool at_end() { return ensure(1).empty(); }

 private:
  static constexpr std::size_t kChunk = 1 << 20;
  std::string_view view_;
  std::size_t pos_ = 0;
  int fd_ = -1;
  std::string path_;
  std::string buf_;
  bool eof_ = false;
};

enum class Encoding { Cp1252, Utf8 };

struct FileField {
  std::string raw_name;  // as the rows spell it, in the file's encoding
  std::size_t index;     // article field
};

// Bytes of an attribute value that need more than copying.
constexpr std::array<bool, 256> kSpecialIn = [] {
  std::array<bool, 256> t{};
  for (int c = 0x80; c < 0x100; ++c) t[c] = true;
  for (char c : {'&', '<', '\t', '\r', '\n'}) t[static_cast<unsigned char>(c)] = true;
  return t;
}();

// The kind of field a declaration in the field list stands for.
std::optional<Kind> kind_of(std::string_view type, std::string_view subtype) {
  if (type == detail::kWideTextType) return Kind::Text;
  for (const detail::FileType& t : detail::kFileTypes) {
    if (t.type == type && (t.subtype.empty() || text::equal_no_case(subtype, t.subtype)))
      return t.kind;
  }
  return std::nullopt;
}

class Reader {
 public:
  Reader(Source& src, const std::string& file) : src_(src), file_(file) {}

  std::vector<Record> read() {
    read_metadata();
    read_rows();
    return std::move(records_);
  }

 private:
  [[noreturn]] void fail(const std::string& detail) const {
    throw Error("Die Datei '" + file_ + "' kann nicht geladen werden: " + detail);
  }
  [[noreturn]] void truncated() const { fail("sie ist unvollständig (sie endet vorzeitig)."); }
  [[noreturn]] void row_fail(const std::string& detail) const {
    fail("Datensatz " + text::format_int(records_.size() + 1) + ": " + detail);
  }

  // --- METADATA through libxml2 ---

  void read_metadata() {
    static constexpr std::string_view kEnd = "</METADATA>";
    std::size_t from = 0, at;
    for (;;) {
      const std::string_view r = src_.rest();
      at = r.find(kEnd, from);
      if (at != std::string_view::npos) break;
      from = r.size() >= kEnd.size() ? r.size() - kEnd.size() + 1 : 0;
      if (!src_.more()) {
        std::string_view head = text::trim_blanks(src_.rest());
        if (head.empty()) fail("sie ist leer.");
        if (head.substr(0, 5) == "<?xml" || head.substr(0, 11) == "<DATAPACKET") truncated();
        fail("sie ist keine Tabellendatei (kein XML-Datenpaket).");
      }
    }
    const std::string_view prefix = src_.rest().substr(0, at + kEnd.size());
    encoding_ = detect_encoding(prefix);
    parse_fields(std::string(prefix) + "</DATAPACKET>");
    src_.skip(prefix.size());
  }

  Encoding detect_encoding(std::string_view prefix) const {
    if (prefix.substr(0, 3) == "\xEF\xBB\xBF") return Encoding::Utf8;
    if (prefix.substr(0, 5) != "<?xml") return Encoding::Cp1252;
    const std::string_view decl = prefix.substr(0, prefix.find("?>"));
    const std::size_t e = decl.find("encoding");
    if (e == std::string_view::npos) return Encoding::Cp1252;
    std::size_t q = decl.find_first_of("\"'", e);
    if (q == std::string_view::npos) return Encoding::Cp1252;
    const std::size_t close = decl.find(decl[q], q + 1);
    const std::string_view name = decl.substr(q + 1, close - q - 1);
    for (auto known : {"utf-8", "utf8"}) {
      if (text::equal_no_case(name, known)) return Encoding::Utf8;
    }
    for (auto known :
         {"windows-1252", "cp1252", "iso-8859-1", "latin1", "iso_8859-1", "us-ascii", "ascii"}) {
      if (text::equal_no_case(name, known)) return Encoding::Cp1252;
    }
    fail("die Zeichenkodierung '" + std::string(name) + "' wird nicht unterstützt.");
  }

  static std::string attribute(xmlNode* node, const char* name) {
    xmlChar* v = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    if (!v) return {};
    std::string s(reinterpret_cast<const char*>(v));
    xmlFree(v);
    return s;
  }

  static std::string_view node_name(xmlNode* n) { return reinterpret_cast<const char*>(n->name); }

  static std::vector<xmlNode*> elements(xmlNode* parent) {
    std::vector<xmlNode*> out;
    for (xmlNode* n = parent->children; n; n = n->next) {
      if (n->type == XML_ELEMENT_NODE) out.push_back(n);
    }
    return out;
  }

  void parse_fields(const std::string& xml) {
    static std::once_flag init;
    std::call_once(init, [] { xmlInitParser(); });
    std::unique_ptr<xmlParserCtxt, void (*)(xmlParserCtxtPtr)> ctxt(xmlNewParserCtxt(),
                                                                    xmlFreeParserCtxt);
    if (!ctxt) fail("zu wenig Arbeitsspeicher.");
    std::unique_ptr<xmlDoc, void (*)(xmlDocPtr)> doc(
        xmlCtxtReadMemory(ctxt.get(), xml.data(), static_cast<int>(xml.size()), nullptr,
                          encoding_ == Encoding::Cp1252 ? "windows-1252" : nullptr,
                          XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING),
        xmlFreeDoc);
    if (!doc) {
      const xmlError* e = xmlCtxtGetLastError(ctxt.get());
      fail("sie ist kein gültiges XML" +
           (e && e->line > 0 ? " (Fehler in Zeile " + text::format_int(e->line) + ")." : "."));
    }
    xmlNode* root = xmlDocGetRootElement(doc.get());
    if (!root || node_name(root) != "DATAPACKET") {
      fail("sie ist keine Tabellendatei (kein DATAPACKET).");
    }
    const auto top = elements(root);
    if (top.size() != 1 || node_name(top[0]) != "METADATA") {
      fail("unerwarteter Aufbau vor den Daten (METADATA erwartet).");
    }
    xmlNode* fields = nullptr;
    for (xmlNode* n : elements(top[0])) {
      if (node_name(n) == "FIELDS" && !fields) {
        fields = n;
      } else if (node_name(n) != "PARAMS") {
        fail("unerwartetes Element <" + std::string(node_name(n)) + "> in METADATA.");
      }
    }
    if (!fields) fail("die Feldliste (FIELDS) fehlt.");
    std::bitset<kFieldCount> seen;
    for (xmlNode* n : elements(fields)) {
      if (node_name(n) != "FIELD") {
        fail("unerwartetes Element <" + std::string(node_name(n)) + "> in der Feldliste.");
      }
      add_field(n, seen);
    }
    if (fields_.empty()) fail("die Feldliste ist leer.");
  }

  void add_field(xmlNode* n, std::bitset<kFieldCount>& seen) {
    const std::string name = attribute(n, "attrname");
    if (name.empty()) fail("ein Feld der Feldliste hat keinen Namen.");
    const auto index = field_index(name);
    if (!index) {
      fail("das Feld '" + name + "' gehört nicht zu den Artikelfeldern.");
    }
    if (seen[*index]) fail("das Feld '" + name + "' steht doppelt in der Feldliste.");
    seen[*index] = true;
    const std::string type = attribute(n, "fieldtype");
    std::string subtype = attribute(n, "SUBTYPE");
    if (subtype.empty()) subtype = attribute(n, "subtype");
    const Kind expected = article_fields()[*index].kind;
    if (kind_of(type, subtype) != expected) {
      fail("das Feld '" + name + "' hat dort den Typ '" + type +
           (subtype.empty() ? "" : "/" + subtype) + "' statt '" +
           std::string(detail::file_type(expected).type) + "'.");
    }
    const std::string raw = encoding_ == Encoding::Cp1252 ? text::utf8_to_cp1252(name) : name;
    fields_.push_back({raw, *index});
  }

  // --- ROWDATA with our own scanner: field names with blanks are no XML names ---

  bool starts_with(std::string_view s) { return src_.ensure(s.size()).substr(0, s.size()) == s; }

  // Finds `end` in the unread bytes, reading more as needed; npos when the input ends first.
  std::size_t find(std::string_view end, std::size_t from) {
    for (;;) {
      const std::string_view r = src_.rest();
      const std::size_t at = r.find(end, from);
      if (at != std::string_view::npos) return at;
      from = r.size() >= end.size() ? r.size() - end.size() + 1 : from;
      if (!src_.more()) return std::string_view::npos;
    }
  }

  // Blanks, comments and processing instructions between elements.
  void skip_misc() {
    for (;;) {
      const std::string_view r = src_.ensure(1);
      std::size_t i = 0;
      while (i < r.size() && text::is_blank(r[i])) ++i;
      src_.skip(i);
      if (!r.empty() && i == r.size()) continue;  // only blanks so far: read on
      if (starts_with("<!--")) {
        const std::size_t end = find("-->", 4);
        if (end == std::string_view::npos) truncated();
        src_.skip(end + 3);
      } else if (starts_with("<?")) {
        const std::size_t end = find("?>", 2);
        if (end == std::string_view::npos) truncated();
        src_.skip(end + 2);
      } else {
        return;
      }
    }
  }

  // An element tag of `name` that starts the unread bytes ("<ROW", "</ROWDATA").
  bool at_tag(std::string_view name) {
    const std::string_view r = src_.ensure(name.size() + 1);
    if (r.size() <= name.size() || r.substr(0, name.size()) != name) return false;
    const char c = r[name.size()];
    return text::is_blank(c) || c == '>' || c == '/';
  }

  // The offset of the '>' that closes the tag starting the unread bytes; quoted values may
  // hold '>'.
  std::size_t tag_end() {
    std::size_t i = 1;
    char quote = 0;
    for (;;) {
      const std::string_view r = src_.rest();
      while (i < r.size()) {
        if (quote) {
          const std::size_t q = r.find(quote, i);
          if (q == std::string_view::npos) {
            i = r.size();
            break;
          }
          quote = 0;
          i = q + 1;
          continue;
        }
        const char c = r[i];
        if (c == '>') return i;
        if (c == '"' || c == '\'') quote = c;
        if (c == '<') row_fail("ein Element ist nicht abgeschlossen.");
        ++i;
      }
      if (!src_.more()) truncated();
    }
  }

  // A closing tag "</name>" with optional blanks before '>'.
  void expect_close(std::string_view name, const std::string& what) {
    if (!at_tag("</" + std::string(name))) fail(what);
    const std::size_t end = tag_end();
    const std::string_view inside = src_.rest().substr(2 + name.size(), end - 2 - name.size());
    if (inside.find_first_not_of(" \t\r\n") != std::string_view::npos) fail(what);
    src_.skip(end + 1);
  }

  void read_rows() {
    skip_misc();
    if (src_.at_end()) truncated();
    if (!at_tag("<ROWDATA")) fail("der Datenteil (ROWDATA) fehlt oder steht an falscher Stelle.");
    std::size_t end = tag_end();
    const bool empty = src_.rest()[end - 1] == '/';
    if (!text::trim_blanks(src_.rest().substr(8, end - 8 - (empty ? 1 : 0))).empty()) {
      fail("ROWDATA darf keine Attribute haben.");
    }
    src_.skip(end + 1);
    if (!empty) {
      for (;;) {
        skip_misc();
        if (src_.at_end()) truncated();
        if (at_tag("<ROW")) {
          read_row();
        } else if (starts_with("</")) {
          expect_close("ROWDATA", "unerwartetes Ende eines Elements im Datenteil.");
          break;
        } else {
          row_fail("unerwarteter Inhalt im Datenteil (nur ROW-Elemente sind erlaubt).");
        }
      }
    }
    skip_misc();
    if (src_.at_end()) truncated();
    expect_close("DATAPACKET", "unerwarteter Inhalt nach dem Datenteil.");
    skip_misc();
    if (!src_.at_end()) fail("nach dem Ende des Datenpakets folgen weitere Daten.");
  }

  void read_row() {
    const std::size_t end = tag_end();
    const std::string_view tag = src_.rest().substr(0, end + 1);
    const bool empty = tag[end - 1] == '/';
    Record record = empty_record();
    read_attributes(tag.substr(4, end - 4 - (empty ? 1 : 0)), record);
    src_.skip(end + 1);
    if (!empty) {
      skip_misc();
      if (src_.at_end()) truncated();
      expect_close("ROW", "Datensatz " + text::format_int(records_.size() + 1) +
                              ": ein ROW-Element darf nur Attribute enthalten.");
    }
    records_.push_back(std::move(record));
  }

  const FileField* lookup(std::string_view name) {
    if (next_ < fields_.size() && fields_[next_].raw_name == name) return &fields_[next_++];
    for (std::size_t i = 0; i < fields_.size(); ++i) {
      if (fields_[i].raw_name == name) {
        next_ = i + 1;
        return &fields_[i];
      }
    }
    return nullptr;
  }

  void read_attributes(std::string_view s, Record& record) {
    std::bitset<kFieldCount> seen;
    next_ = 0;
    std::size_t i = 0;
    for (;;) {
      while (i < s.size() && text::is_blank(s[i])) ++i;
      if (i == s.size()) return;
      const std::size_t eq = s.find('=', i);
      if (eq == std::string_view::npos) row_fail("ein Attribut hat keinen Wert.");
      std::string_view name = s.substr(i, eq - i);
      while (!name.empty() && text::is_blank(name.back())) name.remove_suffix(1);
      if (name.empty() || name.find_first_of("\"'<>&/") != std::string_view::npos) {
        row_fail("ein Attributname ist ungültig.");
      }
      i = eq + 1;
      while (i < s.size() && text::is_blank(s[i])) ++i;
      if (i == s.size() || (s[i] != '"' && s[i] != '\'')) {
        row_fail("der Wert von '" + to_utf8(name) + "' steht nicht in Anführungszeichen.");
      }
      const std::size_t close = s.find(s[i], i + 1);
      if (close == std::string_view::npos) row_fail("ein Attributwert ist nicht abgeschlossen.");
      const std::string_view raw = s.substr(i + 1, close - i - 1);
      i = close + 1;
      if (i < s.size() && !text::is_blank(s[i]))
        row_fail("zwischen zwei Attributen fehlt ein Leerzeichen.");
      const FileField* f = lookup(name);
      if (!f) continue;  // no field of ours, such as a row state
      if (seen[f->index]) row_fail("das Feld '" + to_utf8(name) + "' steht doppelt.");
      seen[f->index] = true;
      record[f->index] = value(raw, article_fields()[f->index]);
    }
  }

  std::string to_utf8(std::string_view raw) const {
    return encoding_ == Encoding::Cp1252 ? text::cp1252_to_utf8(raw) : std::string(raw);
  }

  Value value(std::string_view raw, const Field& f) {
    bool special = false;
    for (char c : raw) {
      if (kSpecialIn[static_cast<unsigned char>(c)]) {
        special = true;
        break;
      }
    }
    std::string_view text = raw;
    if (special) {
      decode(raw, f);
      text = scratch_;
    }
    try {
      switch (f.kind) {
        case Kind::Text: {
          const auto width = static_cast<std::size_t>(f.width);
          return Value::text(
              std::string(text.size() <= width ? text : text::first_chars(text, width)));
        }
        case Kind::Memo:
          return Value::text(std::string(text));
        case Kind::Amount:
        case Kind::SmallInt:
        case Kind::Flag:
          return from_text(text, f);
      }
    } catch (const Error& e) {
      row_fail(e.what());
    }
    return {};
  }

  // Attribute value to UTF-8: references resolved, raw line breaks and tabs become blanks as
  // in every XML reader.
  void decode(std::string_view raw, const Field& f) {
    scratch_.clear();
    std::size_t i = 0;
    while (i < raw.size()) {
      const std::size_t start = i;
      while (i < raw.size() && !kSpecialIn[static_cast<unsigned char>(raw[i])]) ++i;
      scratch_.append(raw.data() + start, i - start);
      if (i == raw.size()) break;
      const char c = raw[i];
      if (c == '&') {
        i = reference(raw, i, f);
      } else if (c == '<') {
        row_fail("Feld '" + std::string(f.name) + "': das Zeichen '<' ist im Wert nicht erlaubt.");
      } else if (c == '\r' || c == '\n' || c == '\t') {
        if (c == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') ++i;
        scratch_ += ' ';
        ++i;
      } else if (encoding_ == Encoding::Cp1252) {
        text::append_utf8(scratch_, text::cp1252_to_char(static_cast<unsigned char>(c)));
        ++i;
      } else {
        const std::size_t before = i;
        const char32_t ch = text::next_char(raw, i);
        if (ch == 0xFFFD && raw.substr(before, 3) != "\xEF\xBF\xBD") {
          row_fail("Feld '" + std::string(f.name) + "': ungültige UTF-8-Zeichen.");
        }
        scratch_.append(raw.data() + before, i - before);
      }
    }
  }

  std::size_t reference(std::string_view raw, std::size_t amp, const Field& f) {
    const std::size_t semi = raw.find(';', amp + 1);
    if (semi == std::string_view::npos || semi - amp > 12) {
      row_fail("Feld '" + std::string(f.name) + "': ein '&' steht ohne gültige Referenz.");
    }
    const std::string_view name = raw.substr(amp + 1, semi - amp - 1);
    static constexpr std::pair<std::string_view, char> kNamed[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    for (auto [n, ch] : kNamed) {
      if (name == n) {
        scratch_ += ch;
        return semi + 1;
      }
    }
    std::uint32_t code = 0;
    bool ok = name.size() >= 2 && name[0] == '#';
    if (ok) {
      const bool hex = name[1] == 'x';
      const std::string_view digits = name.substr(hex ? 2 : 1);
      auto [ptr, ec] =
          std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
      // Control characters, NUL included, are taken back as the writer wrote them.
      ok = !digits.empty() && ec == std::errc() && ptr == digits.data() + digits.size() &&
           code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    }
    if (!ok) {
      row_fail("Feld '" + std::string(f.name) + "': unbekannte Referenz '&" + std::string(name) +
               ";'.");
    }
    text::append_utf8(scratch_, code);
    return semi + 1;
  }

  Source& src_;
  const std::string& file_;
  Encoding encoding_ = Encoding::Cp1252;
  std::vector<FileField> fields_;
  std::size_t next_ = 0;
  std::string scratch_;
  std::vector<Record> records_;
};

}  // namespace

std::vector<Record> parse_table(std::string_view bytes, const std::string& file_name) {
  Source src(bytes);
  return Reader(src, file_name).read();
}

void load_table(Table& table, const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    throw Error("Die Datei '" + path + "' konnte nicht geöffnet werden: " + detail::reason(errno) +
                ".");
  }
  std::vector<Record> records;
  try {
    Source src(fd, path);
    records = Reader(src, path).read();
  } catch (...) {
    ::close(fd);
    throw;
  }
  ::close(fd);
  table.replace_all(std::move(records));
}

}  // namespace tellvaro::store
