#pragma once

// Articles for the upload tests, built field by field.

#include <initializer_list>
#include <string_view>
#include <utility>

#include "store/field.h"
#include "support/articles.h"

namespace tellvaro::upload::fixture {

using test::article;
using test::complete_article;
using test::Fields;

inline store::Value t(std::string_view s) { return store::Value::text(std::string(s)); }
inline store::Value amount(double d) { return store::Value::amount(d); }
inline store::Value flag(bool b) { return store::Value::flag(b); }

// Every field the auction row reads, with values off every default.
inline store::Record reference_article() {
  return article({
      {tellvaro::store::F::Anzeigenart, t("Power Auktion")},
      {tellvaro::store::F::Artikelstatus, t("intern")},
      {tellvaro::store::F::Gebuehr, amount(4.3)},
      {tellvaro::store::F::Artikelname, t("Sommerreifen 205/55 R16")},
      {tellvaro::store::F::Untertitel, t("Fast neu")},
      {tellvaro::store::F::Sprache, t("Deutschland / Deutsch")},
      {tellvaro::store::F::Einheiten, t("4")},
      {tellvaro::store::F::Masseinheit, t("kg - Kilogramm")},
      {tellvaro::store::F::FSK_18, t("nein")},
      {tellvaro::store::F::html_desc_1, store::Value::small_int(1)},
      {tellvaro::store::F::Beschreibung, t("<p>Reifen's Profil: 7 mm</p>")},
      {tellvaro::store::F::Zustand, t("Leichte Gebrauchsspuren")},
      {tellvaro::store::F::Kategorie, t("Auto & Motorrad > Autoteile > Reifen > Sommerreifen")},
      {tellvaro::store::F::Kategorie_Nummer, t("1111")},
      {tellvaro::store::F::Kategorie_Nummer_2, t("112")},
      {tellvaro::store::F::Startpreis, amount(12.50)},
      {tellvaro::store::F::Sofortkauf, amount(99)},
      {tellvaro::store::F::Anzahl, t("1")},
      {tellvaro::store::F::Verhalten, t("Stehen lassen")},
      {tellvaro::store::F::Mindestpreis, amount(40)},
      {tellvaro::store::F::minimum_preis_zeigen, t("Mindestpreis")},
      {tellvaro::store::F::Preisvorschlag, t("ja")},
      {tellvaro::store::F::Preisvorschlag_Minimum, amount(35.5)},
      {tellvaro::store::F::Fettschrift, flag(true)},
      {tellvaro::store::F::Textmarker, flag(false)},
      {tellvaro::store::F::Top_Kategorie, flag(true)},
      {tellvaro::store::F::Bild1, t("reifen.jpg")},
      {tellvaro::store::F::Auktionsdauer, t("10")},
      {tellvaro::store::F::Wiedereinstellen, t("Bis verkauft")},
      {tellvaro::store::F::location, t("Köln")},
      {tellvaro::store::F::location_zip, t("50667")},
      {tellvaro::store::F::country, t("Deutschland")},
      {tellvaro::store::F::shipping, t("1")},
      {tellvaro::store::F::international, flag(true)},
      {tellvaro::store::F::Versand_1, t("DHL Paket")},
      {tellvaro::store::F::Versandpreis_1, amount(6.99)},
      {tellvaro::store::F::Versand_2, t("Abholung")},
      {tellvaro::store::F::Versandpreis_2, amount(0)},
      {tellvaro::store::F::p1, flag(true)},
      {tellvaro::store::F::p4, flag(true)},
  });
}

}  // namespace tellvaro::upload::fixture
