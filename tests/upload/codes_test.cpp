#include "upload/codes.h"

#include <gtest/gtest.h>

#include <set>

#include "store/field.h"

namespace tellvaro::upload {
namespace {

TEST(Codes, EveryTextAndTheFallbacks) {
  struct Case {
    const CodeTable& table;
    const char* text;
    const char* code;
  };
  const Case cases[] = {
      {listing_type_codes(), "Auktion", "1"},
      {listing_type_codes(), "Sofortkauf", "2"},
      {listing_type_codes(), "Gesuch", "3"},
      {listing_type_codes(), "Konfigurator", "4"},
      {listing_type_codes(), "Power Auktion", "5"},
      {listing_type_codes(), "power auktion", "1"},
      {listing_type_codes(), "", "1"},
      {language_codes(), "International / unabhängig", "1"},
      {language_codes(), "Polen / Polnisch", "2"},
      {language_codes(), "Deutschland / Deutsch", "3"},
      {language_codes(), "England / Englisch", "4"},
      {language_codes(), "Rusland / Russisch", "5"},
      {language_codes(), "Andere", "6"},
      {language_codes(), "", "1"},
      {language_codes(), "Deutschland / Deutsch ", "1"},
      {unit_codes(), "keine Angabe", "0"},
      {unit_codes(), "g - Gramm", "g"},
      {unit_codes(), "kg - Kilogramm", "kg"},
      {unit_codes(), "ml - Mililiter", "ml"},
      {unit_codes(), "L - Liter", "L"},
      {unit_codes(), "m - Meter", "m"},
      {unit_codes(), "m2 - Quadratmeter", "m2"},
      {unit_codes(), "m3 - Kubikmeter", "m3"},
      {unit_codes(), "Stück", "0"},
      {unit_codes(), "l - liter", "0"},
      {condition_codes(), "Siehe Beschreibung", "0"},
      {condition_codes(), "Neu", "7"},
      {condition_codes(), "Neuwertig", "1"},
      {condition_codes(), "Bestzustand", "2"},
      {condition_codes(), "Leichte Gebrauchsspuren", "3"},
      {condition_codes(), "Gebrauchsspuren", "4"},
      {condition_codes(), "Starke Gebrauchsspuren", "5"},
      {condition_codes(), "Defekt", "6"},
      {condition_codes(), "", "0"},
      {condition_codes(), "wie neu", "0"},
      {relisting_codes(), "0 x", "0"},
      {relisting_codes(), "1 x", "1"},
      {relisting_codes(), "2 x", "2"},
      {relisting_codes(), "3 x", "3"},
      {relisting_codes(), "4 x", "4"},
      {relisting_codes(), "Bis verkauft", "99"},
      {relisting_codes(), "5 x", "0"},
      {buy_now_codes(), "Ausblenden", "1"},
      {buy_now_codes(), "Stehen lassen", "2"},
      {buy_now_codes(), "", "1"},
      {minimum_show_codes(), "nicht erreicht", "0"},
      {minimum_show_codes(), "Mindestpreis", "1"},
      {minimum_show_codes(), "", "0"},
      {fsk18_codes(), "ja", "1"},
      {fsk18_codes(), "nein", "0"},
      {fsk18_codes(), "Ja", "0"},
      {fsk18_codes(), "", "0"},
      {price_offer_codes(), "ja", "1"},
      {price_offer_codes(), "", "0"},
      {bold_codes(), "True", "1"},
      {bold_codes(), "False", "0"},
      {bold_codes(), "", "0"},
      {marker_codes(), "True", "1"},
      {top_category_codes(), "True", "1"},
      {international_codes(), "True", "1"},
      {international_codes(), "", "0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.table.encode(c.text), c.code) << c.table.column << ": \"" << c.text << '"';
  }
}

TEST(Codes, ReadBackwardsEveryListedCodeGivesItsText) {
  for (const auto* table : code_tables()) {
    std::set<std::string_view> codes;
    for (const auto& pair : table->pairs) {
      EXPECT_TRUE(codes.insert(pair.code).second) << table->column << ": code used twice";
      EXPECT_EQ(table->decode(pair.code), pair.text) << table->column;
    }
    EXPECT_FALSE(table->decode("42").has_value()) << table->column;
    EXPECT_EQ(code_table_for_column(table->column), table);
    EXPECT_EQ(code_table_for_field(table->field), table);
  }
  EXPECT_EQ(condition_codes().decode("7"), "Neu");
  EXPECT_EQ(code_table_for_column("no_such_column"), nullptr);
}

}  // namespace
}  // namespace tellvaro::upload
