#include "store/data_packet.h"

#include <array>
#include <charconv>
#include <functional>

#include "store/field_file_type.h"
#include "store/file_io.h"
#include "store/table.h"
#include "text/cp1252.h"
#include "text/number.h"

namespace tellvaro::store {
namespace {

constexpr std::string_view kHead =
    "<?xml version=\"1.0\" standalone=\"yes\"?><DATAPACKET Version=\"2.0\"><METADATA><FIELDS>";
constexpr std::string_view kFieldsEnd = "</FIELDS><PARAMS/></METADATA><ROWDATA>";
constexpr std::string_view kTail = "</ROWDATA></DATAPACKET>\r\n";

// Everything before the first row, and each field's name as the file spells it.
struct Layout {
  std::string head;
  std::array<std::string, kFieldCount> names;  // " name=\"" in Windows-1252
};

const Layout& layout() {
  static const Layout l = [] {
    Layout l;
    l.head = kHead;
    for (std::size_t i = 0; i < kFieldCount; ++i) {
      const Field& f = article_fields()[i];
      const std::string name = text::utf8_to_cp1252(f.name);
      l.names[i] = " " + name + "=\"";
      const detail::FileType& t = detail::file_type(f.kind);
      l.head += "<FIELD attrname=\"" + name + "\" fieldtype=\"";
      l.head += t.type;
      l.head += '"';
      if (t.field_width) l.head += " WIDTH=\"" + text::format_int(f.width) + '"';
      l.head += t.tail;
    }
    l.head += kFieldsEnd;
    return l;
  }();
  return l;
}

// Bytes that a text value carries into the file unchanged.
constexpr std::array<bool, 256> kPlain = [] {
  std::array<bool, 256> t{};
  for (int c = 0x20; c < 0x80; ++c) t[c] = true;
  for (char c : {'&', '<', '>', '"'}) t[static_cast<unsigned char>(c)] = false;
  return t;
}();

void append_reference(std::string& out, char32_t c) {
  char buf[16];
  auto end = std::to_chars(buf, buf + sizeof buf, static_cast<std::uint32_t>(c)).ptr;
  out += "&#";
  out.append(buf, end);
  out += ';';
}

// Line breaks and tabs as references, since a reader turns raw ones into blanks; characters
// the code page cannot hold as references, so nothing is lost.
void append_escaped(std::string& out, std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    std::size_t run = i;
    while (run < s.size() && kPlain[static_cast<unsigned char>(s[run])]) ++run;
    out.append(s.data() + i, run - i);
    i = run;
    if (i >= s.size()) break;
    const char c = s[i];
    switch (c) {
      case '&':
        out += "&amp;";
        ++i;
        continue;
      case '<':
        out += "&lt;";
        ++i;
        continue;
      case '>':
        out += "&gt;";
        ++i;
        continue;
      case '"':
        out += "&quot;";
        ++i;
        continue;
      default:
        break;
    }
    if (static_cast<unsigned char>(c) < 0x80) {
      append_reference(out, static_cast<unsigned char>(c));
      ++i;
      continue;
    }
    const char32_t ch = text::next_char(s, i);
    if (auto byte = text::char_to_cp1252(ch); byte && *byte >= 0xA0) {
      out += static_cast<char>(*byte);
    } else if (byte && ch >= 0x100) {
      out += static_cast<char>(*byte);  // €, Š, „ and the other letters of 80..9F
    } else {
      append_reference(out, ch);  // also the C1 controls, whose bytes other readers misread
    }
  }
}

void append_row(std::string& out, const Record& r) {
  out += "<ROW";
  const Layout& l = layout();
  for (std::size_t i = 0; i < kFieldCount && i < r.size(); ++i) {
    const Value& v = r[i];
    if (v.is_null()) continue;
    out += l.names[i];
    if (const std::string* s = v.as_string()) {
      append_escaped(out, *s);
    } else if (auto b = v.as_flag()) {
      out += *b ? "TRUE" : "FALSE";
    } else if (auto n = v.as_small_int()) {
      out += text::format_int(*n);
    } else if (auto d = v.as_amount()) {
      out += text::format_number(*d);
    }
    out += '"';
  }
  out += "/>";
}

void write_table(const std::vector<Record>& records, std::string& out,
                 const std::function<void(std::string&)>& flush) {
  out += layout().head;
  for (const Record& r : records) {
    append_row(out, r);
    flush(out);
  }
  out += kTail;
}

}  // namespace

const std::string& empty_table_bytes() {
  static const std::string bytes = format_table({});
  return bytes;
}

std::string format_table(const std::vector<Record>& records) {
  std::string out;
  write_table(records, out, [](std::string&) {});
  return out;
}

void save_table(Table& table, const std::string& path) {
  table.post_if_changed();
  detail::replace_file(path, [&](detail::FileWriter& w) {
    static constexpr std::size_t kBlock = 1 << 20;
    std::string out;
    out.reserve(kBlock + (kBlock >> 2));
    write_table(table.stored(), out, [&](std::string& buf) {
      if (buf.size() < kBlock) return;
      w.write(buf);
      buf.clear();
    });
    w.write(out);
  });
}

}  // namespace tellvaro::store
