#include "store/field.h"

#include <cmath>

#include "store/detail.h"
#include "text/cp1252.h"
#include "text/error.h"
#include "text/number.h"

namespace tellvaro::store {
namespace {

constexpr Field text(std::string_view name, int width) { return {name, Kind::Text, width}; }
constexpr Field amount(std::string_view name) { return {name, Kind::Amount, 9}; }
constexpr Field small_int(std::string_view name) { return {name, Kind::SmallInt, 0}; }
constexpr Field flag(std::string_view name) { return {name, Kind::Flag, 0}; }
constexpr Field memo(std::string_view name) { return {name, Kind::Memo, 50}; }

// The order is the file order.
constexpr std::array<Field, kFieldCount> kFields = {
    text("Anzeigenart", 50),
    text("Artikelstatus", 128),
    text("Artikelgruppe", 128),
    text("Artikelnummer", 128),
    amount("Gebühr"),
    text("Artikelname", 50),
    text("Untertitel", 70),
    text("Sprache", 50),
    text("Einheiten", 7),
    text("Masseinheit", 40),
    text("FSK 18", 10),
    small_int("html_desc_1"),
    memo("Beschreibung"),
    text("Zustand", 30),
    text("Kategorie", 256),
    text("Kategorie 2", 256),
    text("Kategorie Nummer", 11),
    text("Kategorie Nummer 2", 11),
    text("Kategorie1", 128),
    text("Kategorie2", 128),
    text("Kategorie3", 128),
    text("Kategorie4", 128),
    text("Kategorie5", 128),
    amount("Startpreis"),
    amount("Sofortkauf"),
    text("Anzahl", 7),
    text("Verhalten", 50),
    amount("Mindestpreis"),
    text("minimum_preis_zeigen", 30),
    text("Preisvorschlag", 10),
    amount("Preisvorschlag-Minimum"),
    flag("Fettschrift"),
    flag("Textmarker"),
    flag("Top-Kategorie"),
    text("Bild1", 30),
    text("Bild2", 30),
    text("Bild3", 30),
    text("Bild4", 30),
    text("Bild5", 30),
    text("Bild6", 30),
    text("Bild7", 30),
    text("Bild8", 30),
    text("Bild9", 30),
    text("Bild10", 30),
    text("Bild11", 30),
    text("Bild12", 30),
    text("Auktionsdauer", 30),
    text("duration", 30),
    text("Wiedereinstellen", 30),
    text("location", 128),
    text("location_zip", 16),
    text("country", 128),
    text("shipping", 1),
    flag("international"),
    text("Versand_1", 70),
    amount("Versandpreis_1"),
    text("Versand_2", 70),
    amount("Versandpreis_2"),
    text("Versand_3", 70),
    amount("Versandpreis_3"),
    text("payment", 30),
    flag("p1"),
    flag("p2"),
    flag("p3"),
    flag("p4"),
    flag("p5"),
    flag("p6"),
    flag("p7"),
    flag("p8"),
    flag("p9"),
    flag("p10"),
    flag("p11"),
    flag("p12"),
    flag("p13"),
    flag("p14"),
    flag("p15"),
    memo("Info_1"),
    memo("Info_2"),
    text("Mitglied", 30),
    text("Erstellt", 30),
    text("Editiert", 30),
};

[[noreturn]] void field_error(const Field& f, const Error& e) {
  throw Error("Feld '" + std::string(f.name) + "': " + e.what());
}

}  // namespace

const std::array<Field, kFieldCount>& article_fields() { return kFields; }

std::optional<std::size_t> field_index(std::string_view name) {
  for (std::size_t i = 0; i < kFields.size(); ++i) {
    if (kFields[i].name == name) return i;
  }
  return std::nullopt;
}

std::size_t field_at(std::string_view name) {
  if (auto i = field_index(name)) return *i;
  throw Error("Unbekanntes Feld '" + std::string(name) + "'.");
}

std::optional<double> Value::as_amount() const {
  if (auto d = std::get_if<double>(&data_)) return *d;
  if (auto i = std::get_if<std::int16_t>(&data_)) return *i;
  return std::nullopt;
}

std::optional<std::int16_t> Value::as_small_int() const {
  if (auto i = std::get_if<std::int16_t>(&data_)) return *i;
  return std::nullopt;
}

std::optional<bool> Value::as_flag() const {
  if (auto b = std::get_if<bool>(&data_)) return *b;
  return std::nullopt;
}

Record empty_record() { return Record(kFieldCount); }

std::string to_text(const Value& v, const Field&) {
  // The value's own type decides, so a value of an unexpected kind still shows.
  if (auto s = v.as_string()) return *s;
  if (auto i = v.as_small_int()) return std::to_string(*i);
  if (auto d = v.as_amount()) return text::format_number(*d);
  if (auto b = v.as_flag()) return *b ? "True" : "False";
  return {};
}

namespace detail {

std::optional<bool> parse_flag(std::string_view text) {
  text = text::trim_blanks(text);
  if (text::equal_no_case(text, "true")) return true;
  if (text::equal_no_case(text, "false")) return false;
  return std::nullopt;
}

}  // namespace detail

Value from_text(std::string_view text, const Field& f) {
  switch (f.kind) {
    case Kind::Text:
      return Value::text(std::string(text::first_chars(text, static_cast<std::size_t>(f.width))));
    case Kind::Memo:
      return Value::text(std::string(text));
    default:
      break;
  }
  // A blank entry in a number or check field means "no value", as an empty one does.
  if (text::is_blank_text(text)) return {};
  try {
    switch (f.kind) {
      case Kind::Amount:
        return Value::amount(text::parse_number(text));
      case Kind::SmallInt:
        return Value::small_int(text::parse_small_int(text));
      default:
        break;
    }
  } catch (const Error& e) {
    field_error(f, e);
  }
  if (auto b = detail::parse_flag(text)) return Value::flag(*b);
  throw Error("Feld '" + std::string(f.name) + "': '" + std::string(text) +
              "' ist kein gültiger Wahrheitswert (True oder False).");
}

Value fit(Value v, const Field& f) {
  if (f.kind != Kind::Text) return v;
  const std::string* s = v.as_string();
  if (!s) return v;
  const auto width = static_cast<std::size_t>(f.width);
  if (s->size() <= width || text::char_count(*s) <= width) return v;
  return Value::text(std::string(text::first_chars(*s, width)));
}

namespace detail {

Value coerce(Value v, const Field& f) {
  if (v.is_null()) return v;
  const std::string* s = v.as_string();
  switch (f.kind) {
    case Kind::Text:
    case Kind::Memo:
      return s ? fit(std::move(v), f) : from_text(to_text(v, f), f);
    case Kind::Amount:
      if (s) return from_text(*s, f);
      if (auto b = v.as_flag()) return Value::amount(*b ? 1 : 0);
      return Value::amount(*v.as_amount());
    case Kind::SmallInt:
      if (s) return from_text(*s, f);
      if (v.as_small_int()) return v;
      if (auto d = v.as_amount()) return from_text(text::format_number(*d), f);
      return Value::small_int(*v.as_flag() ? 1 : 0);
    case Kind::Flag:
      if (s) return from_text(*s, f);
      if (v.as_flag()) return v;
      return Value::flag(*v.as_amount() != 0);
  }
  return v;
}

}  // namespace detail
}  // namespace tellvaro::store
