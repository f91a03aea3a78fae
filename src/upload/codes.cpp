#include "upload/codes.h"

namespace tellvaro::upload {
namespace {

using store::F;

constexpr CodePair kListingType[] = {
    {"Auktion", "1"},      {"Sofortkauf", "2"},    {"Gesuch", "3"},
    {"Konfigurator", "4"}, {"Power Auktion", "5"},
};
constexpr CodePair kLanguage[] = {
    {"International / unabhängig", "1"}, {"Polen / Polnisch", "2"},
    {"Deutschland / Deutsch", "3"},      {"England / Englisch", "4"},
    {"Rusland / Russisch", "5"},         {"Andere", "6"},
};
constexpr CodePair kUnit[] = {
    {"keine Angabe", "0"},       {"g - Gramm", "g"},        {"kg - Kilogramm", "kg"},
    {"ml - Mililiter", "ml"},    {"L - Liter", "L"},        {"m - Meter", "m"},
    {"m2 - Quadratmeter", "m2"}, {"m3 - Kubikmeter", "m3"},
};
constexpr CodePair kCondition[] = {
    {"Siehe Beschreibung", "0"},
    {"Neu", "7"},
    {"Neuwertig", "1"},
    {"Bestzustand", "2"},
    {"Leichte Gebrauchsspuren", "3"},
    {"Gebrauchsspuren", "4"},
    {"Starke Gebrauchsspuren", "5"},
    {"Defekt", "6"},
};
constexpr CodePair kRelisting[] = {
    {"0 x", "0"}, {"1 x", "1"}, {"2 x", "2"}, {"3 x", "3"}, {"4 x", "4"}, {"Bis verkauft", "99"},
};
constexpr CodePair kBuyNow[] = {{"Ausblenden", "1"}, {"Stehen lassen", "2"}};
constexpr CodePair kMinimumShow[] = {{"nicht erreicht", "0"}, {"Mindestpreis", "1"}};
constexpr CodePair kYesNo[] = {{"ja", "1"}, {"nein", "0"}};
constexpr CodePair kFlag[] = {{"True", "1"}, {"False", "0"}};

const CodeTable kListingTypeTable{F::Anzeigenart, "auction_type", kListingType, "1"};
const CodeTable kLanguageTable{F::Sprache, "sprache", kLanguage, "1"};
const CodeTable kUnitTable{F::Masseinheit, "masseinheit", kUnit, "0"};
// A condition outside the list goes out as "Siehe Beschreibung": it promises nothing the
// seller did not say, and the import reads it back as a text the editor offers.
const CodeTable kConditionTable{F::Zustand, "zustand", kCondition, "0"};
const CodeTable kRelistingTable{F::Wiedereinstellen, "qm_wiedereinstellen", kRelisting, "0"};
const CodeTable kBuyNowTable{F::Verhalten, "buy_now_show", kBuyNow, "1"};
const CodeTable kMinimumShowTable{F::minimum_preis_zeigen, "qm_minimum_preis_zeigen", kMinimumShow,
                                  "0"};
const CodeTable kFsk18Table{F::FSK_18, "qm_fsk18_artikel", kYesNo, "0"};
const CodeTable kPriceOfferTable{F::Preisvorschlag, "qm_preis_vorschlag", kYesNo, "0"};
const CodeTable kBoldTable{F::Fettschrift, "fett", kFlag, "0"};
const CodeTable kMarkerTable{F::Textmarker, "marker", kFlag, "0"};
const CodeTable kTopCategoryTable{F::Top_Kategorie, "topkat", kFlag, "0"};
const CodeTable kInternationalTable{F::international, "international", kFlag, "0"};

}  // namespace

std::string_view CodeTable::encode(std::string_view text) const {
  for (const auto& p : pairs) {
    if (p.text == text) return p.code;
  }
  return fallback;
}

std::optional<std::string_view> CodeTable::decode(std::string_view code) const {
  for (const auto& p : pairs) {
    if (p.code == code) return p.text;
  }
  return std::nullopt;
}

const CodeTable& listing_type_codes() { return kListingTypeTable; }
const CodeTable& language_codes() { return kLanguageTable; }
const CodeTable& unit_codes() { return kUnitTable; }
const CodeTable& condition_codes() { return kConditionTable; }
const CodeTable& relisting_codes() { return kRelistingTable; }
const CodeTable& buy_now_codes() { return kBuyNowTable; }
const CodeTable& minimum_show_codes() { return kMinimumShowTable; }
const CodeTable& fsk18_codes() { return kFsk18Table; }
const CodeTable& price_offer_codes() { return kPriceOfferTable; }
const CodeTable& bold_codes() { return kBoldTable; }
const CodeTable& marker_codes() { return kMarkerTable; }
const CodeTable& top_category_codes() { return kTopCategoryTable; }
const CodeTable& international_codes() { return kInternationalTable; }

const std::vector<const CodeTable*>& code_tables() {
  static const std::vector<const CodeTable*> all = {
      &kListingTypeTable,  &kLanguageTable, &kUnitTable,        &kConditionTable,
      &kRelistingTable,    &kBuyNowTable,   &kMinimumShowTable, &kFsk18Table,
      &kPriceOfferTable,   &kBoldTable,     &kMarkerTable,      &kTopCategoryTable,
      &kInternationalTable};
  return all;
}

const CodeTable* code_table_for_field(store::F field) {
  for (const auto* t : code_tables()) {
    if (t->field == field) return t;
  }
  return nullptr;
}

const CodeTable* code_table_for_column(std::string_view column) {
  for (const auto* t : code_tables()) {
    if (t->column == column) return t;
  }
  return nullptr;
}

}  // namespace tellvaro::upload
