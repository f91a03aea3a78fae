#pragma once

// The 81 fields of an article, in file order: the single source for the record, the table file,
// the grids and the copy lists. Code names a field by its id (`F::Artikelname`), so a misspelt
// field does not compile; the text name is for files, CSV headers, SQL and messages.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tellvaro::store {

enum class Kind { Text, Amount, SmallInt, Flag, Memo };

struct Field {
  std::string_view name;  // UTF-8, exact and case-sensitive ("Gebühr", "FSK 18")
  Kind kind;
  int width;  // characters for Text; 9 for Amount, 50 for Memo (file only); 0 otherwise
};

// X(id, name, kind, width) for every field in file order. The id is the name spelt as an
// identifier: "ü" as "ue", a blank or hyphen as "_" (checked below).
#define TELLVARO_ARTICLE_FIELDS(X)                               \
  X(Anzeigenart, "Anzeigenart", Text, 50)                        \
  X(Artikelstatus, "Artikelstatus", Text, 128)                   \
  X(Artikelgruppe, "Artikelgruppe", Text, 128)                   \
  X(Artikelnummer, "Artikelnummer", Text, 128)                   \
  X(Gebuehr, "Gebühr", Amount, 9)                                \
  X(Artikelname, "Artikelname", Text, 50)                        \
  X(Untertitel, "Untertitel", Text, 70)                          \
  X(Sprache, "Sprache", Text, 50)                                \
  X(Einheiten, "Einheiten", Text, 7)                             \
  X(Masseinheit, "Masseinheit", Text, 40)                        \
  X(FSK_18, "FSK 18", Text, 10)                                  \
  X(html_desc_1, "html_desc_1", SmallInt, 0)                     \
  X(Beschreibung, "Beschreibung", Memo, 50)                      \
  X(Zustand, "Zustand", Text, 30)                                \
  X(Kategorie, "Kategorie", Text, 256)                           \
  X(Kategorie_2, "Kategorie 2", Text, 256)                       \
  X(Kategorie_Nummer, "Kategorie Nummer", Text, 11)              \
  X(Kategorie_Nummer_2, "Kategorie Nummer 2", Text, 11)          \
  X(Kategorie1, "Kategorie1", Text, 128)                         \
  X(Kategorie2, "Kategorie2", Text, 128)                         \
  X(Kategorie3, "Kategorie3", Text, 128)                         \
  X(Kategorie4, "Kategorie4", Text, 128)                         \
  X(Kategorie5, "Kategorie5", Text, 128)                         \
  X(Startpreis, "Startpreis", Amount, 9)                         \
  X(Sofortkauf, "Sofortkauf", Amount, 9)                         \
  X(Anzahl, "Anzahl", Text, 7)                                   \
  X(Verhalten, "Verhalten", Text, 50)                            \
  X(Mindestpreis, "Mindestpreis", Amount, 9)                     \
  X(minimum_preis_zeigen, "minimum_preis_zeigen", Text, 30)      \
  X(Preisvorschlag, "Preisvorschlag", Text, 10)                  \
  X(Preisvorschlag_Minimum, "Preisvorschlag-Minimum", Amount, 9) \
  X(Fettschrift, "Fettschrift", Flag, 0)                         \
  X(Textmarker, "Textmarker", Flag, 0)                           \
  X(Top_Kategorie, "Top-Kategorie", Flag, 0)                     \
  X(Bild1, "Bild1", Text, 30)                                    \
  X(Bild2, "Bild2", Text, 30)                                    \
  X(Bild3, "Bild3", Text, 30)                                    \
  X(Bild4, "Bild4", Text, 30)                                    \
  X(Bild5, "Bild5", Text, 30)                                    \
  X(Bild6, "Bild6", Text, 30)                                    \
  X(Bild7, "Bild7", Text, 30)                                    \
  X(Bild8, "Bild8", Text, 30)                                    \
  X(Bild9, "Bild9", Text, 30)                                    \
  X(Bild10, "Bild10", Text, 30)                                  \
  X(Bild11, "Bild11", Text, 30)                                  \
  X(Bild12, "Bild12", Text, 30)                                  \
  X(Auktionsdauer, "Auktionsdauer", Text, 30)                    \
  X(duration, "duration", Text, 30)                              \
  X(Wiedereinstellen, "Wiedereinstellen", Text, 30)              \
  X(location, "location", Text, 128)                             \
  X(location_zip, "location_zip", Text, 16)                      \
  X(country, "country", Text, 128)                               \
  X(shipping, "shipping", Text, 1)                               \
  X(international, "international", Flag, 0)                     \
  X(Versand_1, "Versand_1", Text, 70)                            \
  X(Versandpreis_1, "Versandpreis_1", Amount, 9)                 \
  X(Versand_2, "Versand_2", Text, 70)                            \
  X(Versandpreis_2, "Versandpreis_2", Amount, 9)                 \
  X(Versand_3, "Versand_3", Text, 70)                            \
  X(Versandpreis_3, "Versandpreis_3", Amount, 9)                 \
  X(payment, "payment", Text, 30)                                \
  X(p1, "p1", Flag, 0)                                           \
  X(p2, "p2", Flag, 0)                                           \
  X(p3, "p3", Flag, 0)                                           \
  X(p4, "p4", Flag, 0)                                           \
  X(p5, "p5", Flag, 0)                                           \
  X(p6, "p6", Flag, 0)                                           \
  X(p7, "p7", Flag, 0)                                           \
  X(p8, "p8", Flag, 0)                                           \
  X(p9, "p9", Flag, 0)                                           \
  X(p10, "p10", Flag, 0)                                         \
  X(p11, "p11", Flag, 0)                                         \
  X(p12, "p12", Flag, 0)                                         \
  X(p13, "p13", Flag, 0)                                         \
  X(p14, "p14", Flag, 0)                                         \
  X(p15, "p15", Flag, 0)                                         \
  X(Info_1, "Info_1", Memo, 50)                                  \
  X(Info_2, "Info_2", Memo, 50)                                  \
  X(Mitglied, "Mitglied", Text, 30)                              \
  X(Erstellt, "Erstellt", Text, 30)                              \
  X(Editiert, "Editiert", Text, 30)

// A field by id (`F::Gebuehr`); its value is the field's index in file order.
enum class F : std::uint8_t {
#define TELLVARO_FIELD_ID(id, name, kind, width) id,
  TELLVARO_ARTICLE_FIELDS(TELLVARO_FIELD_ID)
#undef TELLVARO_FIELD_ID
};

inline constexpr std::array kArticleFields = {
#define TELLVARO_FIELD_ROW(id, name, kind, width) Field{name, Kind::kind, width},
    TELLVARO_ARTICLE_FIELDS(TELLVARO_FIELD_ROW)
#undef TELLVARO_FIELD_ROW
};

inline constexpr std::size_t kFieldCount = kArticleFields.size();
static_assert(kFieldCount == 81);
const std::array<Field, kFieldCount>& article_fields();

constexpr std::size_t index_of(F f) { return static_cast<std::size_t>(f); }
constexpr const Field& field_of(F f) { return kArticleFields[index_of(f)]; }
constexpr std::string_view name_of(F f) { return field_of(f).name; }

// Numbered fields, counted from 1: payment flags p1..p15, pictures Bild1..Bild12, category
// levels Kategorie1..Kategorie5, shipping methods and prices 1..3. A number out of range throws
// tellvaro::Error.
F payment_flag(int n);
F picture_field(int n);
F category_level(int n);
F shipping_method(int n);
F shipping_price(int n);

// Index of a field by its exact name (names read from files, headers and filters).
std::optional<std::size_t> field_index(std::string_view name);
// As above; throws tellvaro::Error for a name that is no article field.
std::size_t field_at(std::string_view name);

// One field value: null, or a text (Text and Memo), an amount, a small integer or a flag.
class Value {
 public:
  Value() = default;
  static Value text(std::string s) { return Value(Data(std::move(s))); }
  static Value amount(double d) { return Value(Data(d)); }
  static Value small_int(std::int16_t i) { return Value(Data(i)); }
  static Value flag(bool b) { return Value(Data(b)); }

  bool is_null() const { return std::holds_alternative<std::monostate>(data_); }
  const std::string* as_string() const { return std::get_if<std::string>(&data_); }
  std::optional<double> as_amount() const;  // an amount or small integer
  std::optional<std::int16_t> as_small_int() const;
  std::optional<bool> as_flag() const;

  bool operator==(const Value&) const = default;

 private:
  using Data = std::variant<std::monostate, std::string, double, std::int16_t, bool>;
  explicit Value(Data d) : data_(std::move(d)) {}
  Data data_;
};

using Record = std::vector<Value>;  // kFieldCount values, in field order
Record empty_record();
inline const Value& at(const Record& r, F f) { return r[index_of(f)]; }
inline Value& at(Record& r, F f) { return r[index_of(f)]; }

// Reading "as text": text and memo as stored; amount in its shortest decimal form; small
// integer in decimal; flag "True"/"False"; null as "".
std::string to_text(const Value& v, const Field& f);

// Writing "as text": text cut to the field's width in characters, memo whole; amount and small
// integer parsed with "." (throws tellvaro::Error for a text that is no number); flag "True" or
// "False" in any letter case (anything else throws); the empty text gives null for numbers and
// flags.
Value from_text(std::string_view text, const Field& f);

// What a seller typed into a control or a grid cell: as from_text, but an amount may also
// carry one comma as decimal separator ("16,99"). Files and the server's texts never do.
Value from_typed_text(std::string_view text, const Field& f);

// A text value cut to the field's width in characters (memo and non-text values unchanged).
Value fit(Value v, const Field& f);

}  // namespace tellvaro::store
