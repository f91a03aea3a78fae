#include "article_generator.h"

#include <random>
#include <string>

namespace tellvaro::bench {
namespace {

using store::Value;

const char* const kThings[] = {"Taschenuhr",  "Armbanduhr",      "Wanduhr",
                               "Kaffeemühle", "Schallplatte",    "Briefmarkensammlung",
                               "Öllampe",     "Zinnkrug",        "Teeservice",
                               "Märklin Lok", "Füllfederhalter", "Spieluhr"};
const char* const kTraits[] = {"antik",      "Silber 925",        "vergoldet", "um 1900",
                               "Jugendstil", "original verpackt", "selten",    "mit Gravur",
                               "handbemalt", "Art déco"};
const char* const kSentences[] = {
    "Angeboten wird ein gut erhaltenes Stück aus einer Haushaltsauflösung.",
    "Die Maße betragen ca. 12 × 8 cm, das Gewicht liegt bei 240 g.",
    "Kleine Gebrauchsspuren sind vorhanden, siehe Fotos – keine Risse, keine Brüche.",
    "Versand erfolgt versichert; Abholung in München ist nach Absprache möglich.",
    "Privatverkauf: keine Garantie, keine Rücknahme, \"gekauft wie gesehen\".",
    "Bei Fragen schreiben Sie mir gern vor Auktionsende & ich antworte zügig.",
    "Das Uhrwerk läuft, die Gangreserve beträgt etwa 30 Stunden.",
    "Größe & Zustand entnehmen Sie bitte der Tabelle unten.",
    "Zahlung per Überweisung innerhalb von 7 Tagen nach Auktionsende.",
    "Preis inkl. 19 % MwSt., Versandkosten ab 4,99 € innerhalb Deutschlands.",
};
const char* const kCategories[] = {
    "Antiquitäten > Uhren > Taschenuhren", "Sammeln > Briefmarken > Deutschland",
    "Haushalt > Küche > Kaffeemühlen", "Musik > Schallplatten > Klassik"};

class Maker {
 public:
  explicit Maker(std::size_t seed) : rng_(static_cast<unsigned>(seed)) {}

  template <std::size_t N>
  const char* pick(const char* const (&list)[N]) {
    return list[std::uniform_int_distribution<std::size_t>(0, N - 1)(rng_)];
  }
  int number(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  double price() { return number(100, 50000) / 100.0; }
  bool coin() { return number(0, 1) == 1; }

  std::string description(const std::string& title) {
    std::string d =
        "<html>\r\n<head><style>\r\n\tbody { font-family: Arial; }\r\n"
        "\ttd { border: 1px solid #ccc; }\r\n</style></head>\r\n<body>\r\n<h1>" +
        title + "</h1>\r\n";
    while (d.size() < 3600) {
      d += "<p class=\"text\">";
      for (int s = number(2, 4); s > 0; --s) {
        d += pick(kSentences);
        d += ' ';
      }
      d += "</p>\r\n";
      if (coin()) {
        d += "<ul>\r\n\t<li><b>Zustand:</b> " + std::string(pick(kTraits)) +
             "</li>\r\n\t<li>Artikel-Nr. " + std::to_string(number(10000, 99999)) +
             "</li>\r\n</ul>\r\n";
      }
    }
    d += "<table>\r\n\t<tr><td>Höhe</td><td>" + std::to_string(number(5, 40)) +
         " cm</td></tr>\r\n\t<tr><td>Breite</td><td>" + std::to_string(number(5, 40)) +
         " cm</td></tr>\r\n</table>\r\n<p>Viel Spaß beim Bieten!</p>\r\n</body>\r\n</html>\r\n";
    return d;
  }

 private:
  std::mt19937 rng_;
};

}  // namespace

std::vector<store::Record> generate_articles(std::size_t count) {
  Maker m(20260110);
  std::vector<store::Record> out;
  out.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    store::Record r = store::empty_record();
    auto set = [&](store::F field, Value v) { store::at(r, field) = std::move(v); };
    auto text = [&](store::F field, std::string s) { set(field, Value::text(std::move(s))); };
    const std::string title = std::string(m.pick(kThings)) + " " + m.pick(kTraits);
    text(store::F::Anzeigenart, m.coin() ? "Auktion" : "Auktion und Sofortkauf");
    text(store::F::Artikelstatus, "vorbereitet");
    text(store::F::Artikelgruppe, m.pick(kThings));
    text(store::F::Artikelnummer, "TV-" + std::to_string(100000 + i));
    set(store::F::Gebuehr, Value::amount(m.number(0, 300) / 100.0));
    text(store::F::Artikelname, title);
    if (m.coin())
      text(store::F::Untertitel, std::string("Versand aus Deutschland, ") + m.pick(kTraits));
    text(store::F::Sprache, "Deutsch");
    text(store::F::Einheiten, "1");
    text(store::F::Masseinheit, "Stück");
    set(store::F::html_desc_1, Value::small_int(1));
    text(store::F::Beschreibung, m.description(title));
    text(store::F::Zustand, m.coin() ? "Gebraucht" : "Neu");
    const std::string category = m.pick(kCategories);
    text(store::F::Kategorie, category);
    text(store::F::Kategorie1, category.substr(0, category.find(' ')));
    text(store::F::Kategorie2, "Uhren");
    text(store::F::Kategorie3, "Taschenuhren");
    set(store::F::Startpreis, Value::amount(m.price()));
    if (m.coin()) set(store::F::Sofortkauf, Value::amount(m.price() + 10));
    text(store::F::Anzahl, std::to_string(m.number(1, 5)));
    text(store::F::Verhalten, "Auktion endet beim Sofortkauf");
    set(store::F::Mindestpreis, Value::amount(m.coin() ? m.price() : 0));
    text(store::F::minimum_preis_zeigen, "Mindestpreis nicht erreicht");
    text(store::F::Preisvorschlag, m.coin() ? "ja" : "nein");
    set(store::F::Preisvorschlag_Minimum, Value::amount(m.price()));
    set(store::F::Fettschrift, Value::flag(m.coin()));
    set(store::F::Textmarker, Value::flag(m.coin()));
    set(store::F::Top_Kategorie, Value::flag(false));
    for (int b = 1; b <= 3; ++b) {
      if (b == 1 || m.coin())
        text(store::picture_field(b),
             std::to_string(100000 + i) + "_" + std::to_string(b) + ".jpg");
    }
    text(store::F::Auktionsdauer, std::to_string(m.number(1, 3) * 7) + " Tage");
    text(store::F::Wiedereinstellen, "nein");
    text(store::F::location, "München");
    text(store::F::location_zip, "80331");
    text(store::F::country, "Deutschland");
    text(store::F::shipping, m.coin() ? "1" : "2");
    set(store::F::international, Value::flag(m.coin()));
    text(store::F::Versand_1, "DHL Paket versichert");
    set(store::F::Versandpreis_1, Value::amount(4.99));
    text(store::F::Versand_2, "Hermes Päckchen");
    set(store::F::Versandpreis_2, Value::amount(3.89));
    for (int p = 1; p <= 15; ++p) set(store::payment_flag(p), Value::flag(p <= 3 || m.coin()));
    text(store::F::Info_1, "Eingekauft auf dem Flohmarkt\r\nPreis: 12 €");
    text(store::F::Mitglied, "haendler");
    text(store::F::Erstellt, "2026-01-10 12:00:00");
    text(store::F::Editiert, "2026-01-12 08:30:00");
    out.push_back(std::move(r));
  }
  return out;
}

}  // namespace tellvaro::bench
