#include "catalogue/reference.h"

#include <map>

#include "db/connection.h"
#include "text/error.h"
#include "text/number.h"

namespace tellvaro::catalogue {
namespace {

using Items = std::vector<std::string_view>;

const Items kShipping = {"Kein Versand, nur Abholung",
                         "Abholung Vorort möglich",
                         "Kostenloser Versand (Inland)",
                         "---",
                         "Post Brief (Inland)",
                         "Post Bücher - Warensendung (Inland)",
                         "Post Einschreiben (Inland)",
                         "Nachnahmesendung (Inland)",
                         "---",
                         "DHL Päckchen (Inland)",
                         "DHL Packet (Inland)",
                         "Express Versand (Inland)",
                         "UPS Versand (Inland)",
                         "GLS Versand (Inland)",
                         "DPD Versand (Inland)",
                         "Hermes Versand (Inland)",
                         "Iloxx Versand (Inland)",
                         "---",
                         "Sonstige (Inland)",
                         "---",
                         "Kostenloser Versand (Ausland)",
                         "---",
                         "Post Brief (Ausland)",
                         "Post Bücher - Warensendung (Ausland)",
                         "Post Einschreiben (Ausland)",
                         "Nachnahmesendung (Ausland)",
                         "---",
                         "DHL Päckchen (Ausland)",
                         "DHL Packet (Ausland)",
                         "Express Versand (Ausland)",
                         "UPS Versand (Ausland)",
                         "GLS Versand (Ausland)",
                         "DPD Versand (Ausland)",
                         "Hermes Versand (Ausland)",
                         "Iloxx Versand (Ausland)",
                         "---",
                         "Sonstige  (Ausland)"};

const std::map<store::F, Items>& choice_table() {
  using store::F;
  static const std::map<F, Items> table = {
      {F::Anzeigenart, {"Auktion", "Sofortkauf", "Gesuch", "Konfigurator", "Power Auktion"}},
      {F::Zustand,
       {"Siehe Beschreibung", "Neu", "Neuwertig", "Bestzustand", "Leichte Gebrauchsspuren",
        "Gebrauchsspuren", "Starke Gebrauchsspuren", "Defekt"}},
      {F::Sprache,
       {"International / unabhängig", "Polen / Polnisch", "Deutschland / Deutsch",
        "England / Englisch", "Rusland / Russisch", "Andere"}},
      {F::Masseinheit,
       {"keine Angabe", "g - Gramm", "kg - Kilogramm", "ml - Mililiter", "L - Liter", "m - Meter",
        "m2 - Quadratmeter", "m3 - Kubikmeter"}},
      {F::Wiedereinstellen, {"0 x", "1 x", "2 x", "3 x", "4 x", "Bis verkauft"}},
      {F::Verhalten, {"Ausblenden", "Stehen lassen"}},
      {F::minimum_preis_zeigen, {"nicht erreicht", "Mindestpreis"}},
      {F::Versand_1, kShipping},
      {F::Versand_2, Items(kShipping.begin() + 1, kShipping.end())},
      {F::Versand_3, Items(kShipping.begin() + 1, kShipping.end())},
  };
  return table;
}

// An empty list would look like an auction house without entries; the user must see why.
[[noreturn]] void throw_unread(const db::Connection& db, const std::string& what) {
  throw Error(what + " konnten nicht gelesen werden. " + db.last_error());
}

}  // namespace

std::vector<std::string> load_durations(db::Connection& db) {
  std::vector<std::string> days;
  auto result = db.query("select * from durations order by days");
  if (!result) throw_unread(db, "Die Auktionsdauern");
  for (; !result->eof(); result->next()) days.push_back(result->text("days"));
  return days;
}

FeatureFees load_features(db::Connection& db, std::vector<std::string>* bad_rows) {
  FeatureFees fees;
  auto result = db.query("select * from features order by id");
  if (!result) throw_unread(db, "Die Zusatzoptionen");
  for (; !result->eof(); result->next()) {
    std::string description = result->text("description");
    for (std::size_t i = 0; i < kFeatureCount; ++i) {
      if (description != kFeatureNames[i]) continue;
      // One bad row must not cost the fees of the good ones: they are charged all the same.
      std::string value = result->text("value");
      if (auto fee = text::try_parse_number(value)) {
        fees.fee[i] = *fee;
      } else if (bad_rows) {
        bad_rows->push_back("Die Gebühr für \"" + description + "\" ist keine Zahl ('" + value +
                            "') und wird nicht berechnet.");
      }
    }
  }
  return fees;
}

PaymentNames load_payments(db::Connection& db) {
  PaymentNames names;
  auto result = db.query("select * from payments order by id");
  if (!result) throw_unread(db, "Die Zahlungsarten");
  for (; !result->eof() && names.shown < kPaymentSlots; result->next()) {
    names.name[names.shown++] = result->text("description");
  }
  return names;
}

const std::vector<std::string_view>& choice_items(store::F field) {
  static const Items none;
  const auto& table = choice_table();
  auto it = table.find(field);
  return it == table.end() ? none : it->second;
}

const std::vector<RadioItem>& radio_items(store::F field) {
  using store::F;
  static const std::vector<RadioItem> yes_no = {{"nein", "nein"}, {"ja", "ja"}};
  static const std::vector<RadioItem> shipping = {{"Käufer trägt Versandkosten", "1"},
                                                  {"Verkäufer trägt Versandkosten", "2"}};
  static const std::vector<RadioItem> html = {{"ja", "1"}, {"nein", "0"}};
  static const std::vector<RadioItem> none;
  if (field == F::FSK_18 || field == F::Preisvorschlag) return yes_no;
  if (field == F::shipping) return shipping;
  if (field == F::html_desc_1) return html;
  return none;
}

}  // namespace tellvaro::catalogue
