#include "upload/column_limits.h"

#include <charconv>

#include "db/connection.h"
#include "text/ascii.h"
#include "text/cp1252.h"
#include "text/error.h"
#include "text/number.h"
#include "upload/auction_row.h"

namespace tellvaro::upload {
namespace {

std::size_t count(const std::string& text) {
  std::size_t n = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (ec != std::errc() || end != text.data() + text.size()) return 0;
  return n;
}

// The bytes `utf8` takes in a column of `charset`. A text that reaches this far holds only
// characters Windows-1252 has (the send refuses others first).
std::size_t bytes_in(const std::string& utf8, const ColumnLimit& limit) {
  const std::string charset = text::ascii_lower(limit.charset);
  if (charset.rfind("utf8", 0) == 0) return utf8.size();
  const std::size_t chars = text::char_count(utf8);
  if (charset == "latin1" || charset == "ascii" || limit.chars == 0) return chars;
  // Any other set: as wide as its widest character, to be safe.
  return chars * ((limit.bytes + limit.chars - 1) / limit.chars);
}

}  // namespace

std::vector<SentText> sent_texts(const store::Record& a) {
  using store::F;
  auto f = [&](F field) { return field_text(a, field); };
  return {
      {F::Artikelname, "auctions", "title", f(F::Artikelname)},
      {F::Artikelname, "accountpos", "auction_title", f(F::Artikelname)},
      {F::Untertitel, "auctions", "qm_untertitel", f(F::Untertitel)},
      {F::Einheiten, "auctions", "einheiten", f(F::Einheiten)},
      {F::Beschreibung, "auctions", "description", listing_description(a)},
      {F::Versand_1, "auctions", "qm_versandart_1", f(F::Versand_1)},
      {F::Versand_2, "auctions", "qm_versandart_2", f(F::Versand_2)},
      {F::Versand_3, "auctions", "qm_versandart_3", f(F::Versand_3)},
      {F::location, "auctions", "location", f(F::location)},
      {F::location_zip, "auctions", "location_zip", f(F::location_zip)},
      {F::country, "auctions", "country", f(F::country)},
      {F::shipping, "auctions", "shipping", f(F::shipping)},
  };
}

ColumnLimits ColumnLimits::read(db::Connection& db) {
  db::Result r = db.fetch(
      "select table_name, column_name, character_maximum_length, character_octet_length, "
      "character_set_name from information_schema.columns where table_schema=database() and "
      "table_name in ('auctions', 'accountpos') and character_maximum_length is not null",
      "Abfrage der Spaltenlängen");
  ColumnLimits limits;
  for (; !r.eof(); r.next())
    limits.set(r.text("table_name"), r.text("column_name"),
               {count(r.text("character_maximum_length")),
                count(r.text("character_octet_length")), r.text("character_set_name")});
  return limits;
}

void ColumnLimits::set(const std::string& table, const std::string& column, ColumnLimit limit) {
  limits_[{text::ascii_lower(table), text::ascii_lower(column)}] = std::move(limit);
}

std::vector<std::string> ColumnLimits::too_long(const store::Record& article) const {
  std::vector<std::string> lines;
  store::F last{};
  bool any = false;
  for (const SentText& t : sent_texts(article)) {
    auto it = limits_.find({t.table, t.column});
    if (it == limits_.end() || t.value.empty()) continue;  // a number column, or none at all
    const ColumnLimit& limit = it->second;
    const std::size_t chars = text::char_count(t.value);
    const std::size_t bytes = bytes_in(t.value, limit);
    std::string line;
    if (limit.chars > 0 && chars > limit.chars) {
      line = std::string(store::name_of(t.field)) + ": " + text::format_int(chars) +
             " Zeichen, das Auktionshaus speichert höchstens " + text::format_int(limit.chars) +
             " Zeichen";
    } else if (limit.bytes > 0 && bytes > limit.bytes) {
      line = std::string(store::name_of(t.field)) + ": " + text::format_int(chars) +
             " Zeichen (" + text::format_int(bytes) +
             " Byte), das Auktionshaus speichert höchstens " + text::format_int(limit.bytes) +
             " Byte";
    }
    if (line.empty() || (any && last == t.field)) continue;  // one line per field
    lines.push_back(std::move(line));
    last = t.field;
    any = true;
  }
  return lines;
}

std::string too_long_text(const store::Record& article, const ColumnLimits& limits) {
  const auto lines = limits.too_long(article);
  if (lines.empty()) return {};
  std::string text = "Der Artikel \"" + field_text(article, store::F::Artikelname) +
                     "\" hat Texte, die das Auktionshaus nur gekürzt speichern würde:";
  for (const std::string& line : lines) text += "\n" + line;
  return text;
}

std::string too_long_message(const std::vector<store::Record>& articles,
                             const ColumnLimits& limits) {
  std::string message;
  for (const store::Record& article : articles) {
    const std::string text = too_long_text(article, limits);
    if (text.empty()) continue;
    message += (message.empty() ? "" : "\n\n") + text;
  }
  if (message.empty()) return message;
  return message +
         "\n\nEs wurde nichts gesendet. Bitte kürzen Sie diese Texte im Artikel-Editor und "
         "übertragen Sie den Artikel neu.";
}

}  // namespace tellvaro::upload
