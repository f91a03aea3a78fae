#pragma once

// The 81 fields of an article, in file order: the single source for the record, the table file,
// the grids and the copy lists.

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

inline constexpr std::size_t kFieldCount = 81;
const std::array<Field, kFieldCount>& article_fields();

// Index of a field by its exact name.
std::optional<std::size_t> field_index(std::string_view name);
// As above; throws tellvaro::Error for a name that is no article field (a programming error
// surfaced to the user rather than a crash).
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

// Reading "as text": text and memo as stored; amount in its shortest decimal form; small
// integer in decimal; flag "True"/"False"; null as "".
std::string to_text(const Value& v, const Field& f);

// Writing "as text": text cut to the field's width in characters, memo whole; amount and small
// integer parsed with "." (throws tellvaro::Error for a text that is no number); flag "True" or
// "False" in any letter case (anything else throws); the empty text gives null for numbers and
// flags.
Value from_text(std::string_view text, const Field& f);

// A text value cut to the field's width in characters (memo and non-text values unchanged).
Value fit(Value v, const Field& f);

}  // namespace tellvaro::store
