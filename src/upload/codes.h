#pragma once

// The auction house's codes for the editor's choice texts, kept as data in one place: the send
// reads these tables forwards (text to code), the import backwards (code to text).

#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "store/field.h"

namespace tellvaro::upload {

struct CodePair {
  std::string_view text;  // the field's text, compared exactly (case and blanks count)
  std::string_view code;  // what the `auctions` column holds
};

struct CodeTable {
  store::F field;           // article field
  std::string_view column;  // `auctions` column
  std::span<const CodePair> pairs;
  std::string_view fallback;  // the code of every text not listed, the empty text included

  std::string_view encode(std::string_view text) const;
  // The first text listed with `code`; absent for a code the table does not list.
  std::optional<std::string_view> decode(std::string_view code) const;
};

const CodeTable& listing_type_codes();   // Anzeigenart -> auction_type
const CodeTable& language_codes();       // Sprache -> sprache
const CodeTable& unit_codes();           // Masseinheit -> masseinheit (texts)
const CodeTable& condition_codes();      // Zustand -> zustand
const CodeTable& relisting_codes();      // Wiedereinstellen -> qm_wiedereinstellen
const CodeTable& buy_now_codes();        // Verhalten -> buy_now_show
const CodeTable& minimum_show_codes();   // minimum_preis_zeigen -> qm_minimum_preis_zeigen
const CodeTable& fsk18_codes();          // FSK 18 -> qm_fsk18_artikel ("ja" 1, else 0)
const CodeTable& price_offer_codes();    // Preisvorschlag -> qm_preis_vorschlag
const CodeTable& bold_codes();           // Fettschrift -> fett ("True" 1, else 0)
const CodeTable& marker_codes();         // Textmarker -> marker
const CodeTable& top_category_codes();   // Top-Kategorie -> topkat
const CodeTable& international_codes();  // international -> international

// Every table above, for lookups by field or column.
const std::vector<const CodeTable*>& code_tables();
const CodeTable* code_table_for_field(store::F field);
const CodeTable* code_table_for_column(std::string_view column);

}  // namespace tellvaro::upload
