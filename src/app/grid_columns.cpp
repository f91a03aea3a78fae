#include "app/grid_columns.h"

#include <algorithm>
#include <array>

namespace tellvaro::app {
namespace {

std::vector<GridColumn> plain(std::initializer_list<std::string_view> names) {
  std::vector<GridColumn> out;
  for (auto n : names) out.push_back({n, false});
  return out;
}

}  // namespace

std::vector<GridColumn> article_grid_columns() {
  auto cols = plain({"Sprache",
                     "Anzeigenart",
                     "Gebühr",
                     "Artikelname",
                     "Untertitel",
                     "FSK 18",
                     "Auktionsdauer",
                     "Wiedereinstellen",
                     "Startpreis",
                     "Sofortkauf",
                     "Anzahl",
                     "Verhalten",
                     "Mindestpreis",
                     "Preisvorschlag",
                     "Preisvorschlag-Minimum",
                     "Kategorie",
                     "Kategorie Nummer",
                     "Zustand",
                     "Einheiten",
                     "Masseinheit",
                     "Versand_1",
                     "Versandpreis_1",
                     "Versand_2",
                     "Versandpreis_2",
                     "Versand_3",
                     "Versandpreis_3",
                     "Bild1",
                     "Bild2",
                     "Bild3",
                     "Artikelstatus",
                     "Artikelgruppe",
                     "Artikelnummer",
                     "Mitglied",
                     "Editiert",
                     "Erstellt"});
  // Values that other parts of the program compute or choose from lists.
  static constexpr std::array<std::string_view, 16> kReadOnly = {
      "Gebühr",         "FSK 18",         "Auktionsdauer",
      "Preisvorschlag", "Kategorie",      "Kategorie Nummer",
      "Zustand",        "Versand_1",      "Versand_2",
      "Versand_3",      "Versandpreis_1", "Versandpreis_2",
      "Versandpreis_3", "Bild1",          "Bild2",
      "Bild3"};
  for (auto& c : cols) {
    c.read_only = std::find(kReadOnly.begin(), kReadOnly.end(), c.field) != kReadOnly.end();
  }
  return cols;
}

std::vector<GridColumn> upload_grid_columns() {
  return plain({"Sprache",        "Anzeigenart",
                "Gebühr",         "Artikelname",
                "Untertitel",     "FSK 18",
                "Auktionsdauer",  "Startpreis",
                "Sofortkauf",     "Anzahl",
                "Verhalten",      "Mindestpreis",
                "Preisvorschlag", "Preisvorschlag-Minimum",
                "Kategorie",      "Kategorie Nummer",
                "Fettschrift",    "Textmarker",
                "Top-Kategorie",  "Zustand",
                "Masseinheit",    "Einheiten",
                "Versand_1",      "Versandpreis_1",
                "Versand_2",      "Versandpreis_2",
                "Versand_3",      "Versandpreis_3",
                "Bild1",          "Bild2",
                "Bild3",          "Artikelgruppe",
                "Artikelnummer"});
}

std::vector<GridColumn> import_grid_columns() {
  return plain({"Sprache",
                "Anzeigenart",
                "Artikelname",
                "Untertitel",
                "FSK 18",
                "Auktionsdauer",
                "Startpreis",
                "Sofortkauf",
                "Anzahl",
                "Verhalten",
                "Mindestpreis",
                "Preisvorschlag",
                "Preisvorschlag-Minimum",
                "Kategorie",
                "Kategorie Nummer",
                "Fettschrift",
                "Textmarker",
                "Top-Kategorie",
                "Zustand",
                "Einheiten",
                "Masseinheit",
                "Versand_1",
                "Versandpreis_1",
                "Versand_2",
                "Versandpreis_2",
                "Versand_3",
                "Versandpreis_3",
                "Bild1",
                "Bild2",
                "Bild3"});
}

int start_sort_column(const std::vector<GridColumn>& columns) {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].field == kStartSortField) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace tellvaro::app
