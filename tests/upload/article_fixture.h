#pragma once

// Articles for the upload tests, built field by field.

#include <initializer_list>
#include <string_view>
#include <utility>

#include "store/field.h"

namespace tellvaro::upload::fixture {

using Fields = std::initializer_list<std::pair<std::string_view, store::Value>>;

inline store::Record article(Fields fields) {
  store::Record r = store::empty_record();
  for (const auto& [name, value] : fields) r[store::field_at(name)] = value;
  return r;
}

inline store::Value t(std::string_view s) { return store::Value::text(std::string(s)); }
inline store::Value amount(double d) { return store::Value::amount(d); }
inline store::Value flag(bool b) { return store::Value::flag(b); }

// Passes all eight checks and nothing more.
inline store::Record complete_article(std::string_view name = "Sommerreifen") {
  return article({{"Artikelname", t(name)},
                  {"Kategorie Nummer", t("1111")},
                  {"Auktionsdauer", t("7")},
                  {"location_zip", t("10115")},
                  {"location", t("Berlin")},
                  {"Startpreis", amount(1)},
                  {"p1", flag(true)},
                  {"Beschreibung", t("Vier Reifen.")}});
}

// Every field the auction row reads, with values off every default.
inline store::Record reference_article() {
  return article({
      {"Anzeigenart", t("Power Auktion")},
      {"Artikelstatus", t("intern")},
      {"Gebühr", amount(4.3)},
      {"Artikelname", t("Sommerreifen 205/55 R16")},
      {"Untertitel", t("Fast neu")},
      {"Sprache", t("Deutschland / Deutsch")},
      {"Einheiten", t("4")},
      {"Masseinheit", t("kg - Kilogramm")},
      {"FSK 18", t("nein")},
      {"html_desc_1", store::Value::small_int(1)},
      {"Beschreibung", t("<p>Reifen's Profil: 7 mm</p>")},
      {"Zustand", t("Leichte Gebrauchsspuren")},
      {"Kategorie", t("Auto & Motorrad > Autoteile > Reifen > Sommerreifen")},
      {"Kategorie Nummer", t("1111")},
      {"Kategorie Nummer 2", t("112")},
      {"Startpreis", amount(12.50)},
      {"Sofortkauf", amount(99)},
      {"Anzahl", t("1")},
      {"Verhalten", t("Stehen lassen")},
      {"Mindestpreis", amount(40)},
      {"minimum_preis_zeigen", t("Mindestpreis")},
      {"Preisvorschlag", t("ja")},
      {"Preisvorschlag-Minimum", amount(35.5)},
      {"Fettschrift", flag(true)},
      {"Textmarker", flag(false)},
      {"Top-Kategorie", flag(true)},
      {"Bild1", t("reifen.jpg")},
      {"Auktionsdauer", t("10")},
      {"Wiedereinstellen", t("Bis verkauft")},
      {"location", t("Köln")},
      {"location_zip", t("50667")},
      {"country", t("Deutschland")},
      {"shipping", t("1")},
      {"international", flag(true)},
      {"Versand_1", t("DHL Paket")},
      {"Versandpreis_1", amount(6.99)},
      {"Versand_2", t("Abholung")},
      {"Versandpreis_2", amount(0)},
      {"p1", flag(true)},
      {"p4", flag(true)},
  });
}

}  // namespace tellvaro::upload::fixture
