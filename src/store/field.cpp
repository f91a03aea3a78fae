#include "store/field.h"

#include <cmath>

#include "store/detail.h"
#include "text/cp1252.h"
#include "text/error.h"
#include "text/number.h"

namespace tellvaro::store {
namespace {

// The id must be the name as an identifier, so two rows with swapped ids cannot compile.
constexpr bool spelt_as_name(std::string_view id, std::string_view name) {
  std::size_t i = 0;
  for (std::size_t n = 0; n < name.size(); ++n) {
    if (name.substr(n, 2) == "\u00fc") {
      if (id.substr(i, 2) != "ue") return false;
      i += 2;
      ++n;
      continue;
    }
    const char want = name[n] == ' ' || name[n] == '-' ? '_' : name[n];
    if (i >= id.size() || id[i] != want) return false;
    ++i;
  }
  return i == id.size();
}

#define TELLVARO_FIELD_SPELLING(id, name, kind, width) \
  static_assert(spelt_as_name(#id, name), "field id " #id " does not spell " name);
TELLVARO_ARTICLE_FIELDS(TELLVARO_FIELD_SPELLING)
#undef TELLVARO_FIELD_SPELLING

constexpr bool names_unique() {
  for (std::size_t i = 0; i < kArticleFields.size(); ++i) {
    for (std::size_t j = i + 1; j < kArticleFields.size(); ++j) {
      if (kArticleFields[i].name == kArticleFields[j].name) return false;
    }
  }
  return true;
}
static_assert(names_unique());

// The numbered fields stand in runs; the lookups below count on that.
constexpr bool run(F first, F last, std::size_t count) {
  return index_of(last) - index_of(first) + 1 == count;
}
static_assert(run(F::p1, F::p15, 15));
static_assert(run(F::Bild1, F::Bild12, 12));
static_assert(run(F::Kategorie1, F::Kategorie5, 5));
static_assert(index_of(F::Versand_2) - index_of(F::Versand_1) == 2 &&
              index_of(F::Versand_3) - index_of(F::Versand_2) == 2 &&
              index_of(F::Versandpreis_1) - index_of(F::Versand_1) == 1);

F numbered(F first, int n, int count, std::string_view what, std::size_t step = 1) {
  if (n < 1 || n > count) {
    throw Error("Kein Feld " + std::string(what) + " Nummer " + text::format_int(n) + ".");
  }
  return static_cast<F>(index_of(first) + static_cast<std::size_t>(n - 1) * step);
}

[[noreturn]] void field_error(const Field& f, const Error& e) {
  throw Error("Feld '" + std::string(f.name) + "': " + e.what());
}

}  // namespace

const std::array<Field, kFieldCount>& article_fields() { return kArticleFields; }

F payment_flag(int n) { return numbered(F::p1, n, 15, "Bezahlart"); }
F picture_field(int n) { return numbered(F::Bild1, n, 12, "Bild"); }
F category_level(int n) { return numbered(F::Kategorie1, n, 5, "Kategorie"); }
F shipping_method(int n) { return numbered(F::Versand_1, n, 3, "Versand", 2); }
F shipping_price(int n) { return numbered(F::Versandpreis_1, n, 3, "Versandpreis", 2); }

std::optional<std::size_t> field_index(std::string_view name) {
  for (std::size_t i = 0; i < kArticleFields.size(); ++i) {
    if (kArticleFields[i].name == name) return i;
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
  if (auto i = v.as_small_int()) return text::format_int(*i);
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

namespace {

Value value_from_text(std::string_view text, const Field& f, bool typed) {
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
        return Value::amount(typed ? text::parse_typed_number(text) : text::parse_number(text));
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

}  // namespace

Value from_text(std::string_view text, const Field& f) { return value_from_text(text, f, false); }

Value from_typed_text(std::string_view text, const Field& f) {
  return value_from_text(text, f, true);
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
