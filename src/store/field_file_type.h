#pragma once

// How each kind of field is declared in a table file's field list. The writer and the reader
// both take it from here, so what one writes the other accepts.

#include <string_view>

#include "store/field.h"

namespace tellvaro::store::detail {

struct FileType {
  Kind kind;
  std::string_view type;  // the fieldtype attribute
  // The subtype the reader requires (in any letter case); empty when any or none is fine.
  std::string_view subtype;
  bool field_width;       // the writer adds WIDTH="<the field's width>"
  std::string_view tail;  // what the writer puts after that, up to the end of the element
};

inline constexpr FileType kFileTypes[] = {
    {Kind::Text, "string", "", true, "/>"},
    {Kind::Amount, "r8", "", false, " subtype=\"Money\" WIDTH=\"9\"/>"},
    {Kind::SmallInt, "i2", "", false, "/>"},
    {Kind::Flag, "boolean", "", false, " />"},
    {Kind::Memo, "bin.hex", "Text", false, " WIDTH=\"50\" SUBTYPE=\"Text\"/>"},
};

// Other writers declare wide texts so; the reader takes them as text.
inline constexpr std::string_view kWideTextType = "string.uni";

constexpr const FileType& file_type(Kind kind) {
  for (const FileType& t : kFileTypes) {
    if (t.kind == kind) return t;
  }
  return kFileTypes[0];  // unreachable: every kind has its row
}

}  // namespace tellvaro::store::detail
