#pragma once

// Articles built field by field, for every layer's tests.

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "store/field.h"

namespace tellvaro::test {

using Fields = std::initializer_list<std::pair<store::F, store::Value>>;

inline store::Record article(Fields fields) {
  store::Record r = store::empty_record();
  for (const auto& [field, value] : fields) store::at(r, field) = value;
  return r;
}

// Passes every check of a transfer and the send and nothing more, paid by the first way; with a
// fee, `Gebühr` holds it as the article file would.
inline store::Record complete_article(std::string_view name = "Sommerreifen",
                                      std::optional<double> fee = std::nullopt) {
  using store::F;
  using store::Value;
  store::Record r = article({{F::Artikelname, Value::text(std::string(name))},
                             {F::Kategorie_Nummer, Value::text("1111")},
                             {F::Auktionsdauer, Value::text("7")},
                             {F::location_zip, Value::text("10115")},
                             {F::location, Value::text("Berlin")},
                             {F::Startpreis, Value::amount(1)},
                             {F::p1, Value::flag(true)},
                             {F::Beschreibung, Value::text("Vier Reifen.")}});
  if (fee) store::at(r, F::Gebuehr) = Value::amount(*fee);
  return r;
}

// The record without `field`'s value.
inline store::Record without(store::Record r, store::F field) {
  store::at(r, field) = store::Value();
  return r;
}

}  // namespace tellvaro::test
