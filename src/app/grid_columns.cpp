#include "app/grid_columns.h"

#include <algorithm>
#include <array>

namespace tellvaro::app {
namespace {

using store::F;

std::vector<GridColumn> plain(std::initializer_list<F> names) {
  std::vector<GridColumn> out;
  for (auto n : names) out.push_back({n, false});
  return out;
}

}  // namespace

std::vector<GridColumn> article_grid_columns() {
  auto cols = plain({F::Sprache,
                     F::Anzeigenart,
                     F::Gebuehr,
                     F::Artikelname,
                     F::Untertitel,
                     F::FSK_18,
                     F::Auktionsdauer,
                     F::Wiedereinstellen,
                     F::Startpreis,
                     F::Sofortkauf,
                     F::Anzahl,
                     F::Verhalten,
                     F::Mindestpreis,
                     F::Preisvorschlag,
                     F::Preisvorschlag_Minimum,
                     F::Kategorie,
                     F::Kategorie_Nummer,
                     F::Zustand,
                     F::Einheiten,
                     F::Masseinheit,
                     F::Versand_1,
                     F::Versandpreis_1,
                     F::Versand_2,
                     F::Versandpreis_2,
                     F::Versand_3,
                     F::Versandpreis_3,
                     F::Bild1,
                     F::Bild2,
                     F::Bild3,
                     F::Artikelstatus,
                     F::Artikelgruppe,
                     F::Artikelnummer,
                     F::Mitglied,
                     F::Editiert,
                     F::Erstellt});
  // Values that other parts of the program compute or choose from lists.
  static constexpr std::array<F, 16> kReadOnly = {
      F::Gebuehr,        F::FSK_18,         F::Auktionsdauer,
      F::Preisvorschlag, F::Kategorie,      F::Kategorie_Nummer,
      F::Zustand,        F::Versand_1,      F::Versand_2,
      F::Versand_3,      F::Versandpreis_1, F::Versandpreis_2,
      F::Versandpreis_3, F::Bild1,          F::Bild2,
      F::Bild3};
  for (auto& c : cols) {
    c.read_only = std::find(kReadOnly.begin(), kReadOnly.end(), c.field) != kReadOnly.end();
  }
  return cols;
}

std::vector<GridColumn> upload_grid_columns() {
  return plain({F::Sprache,        F::Anzeigenart,
                F::Gebuehr,        F::Artikelname,
                F::Untertitel,     F::FSK_18,
                F::Auktionsdauer,  F::Startpreis,
                F::Sofortkauf,     F::Anzahl,
                F::Verhalten,      F::Mindestpreis,
                F::Preisvorschlag, F::Preisvorschlag_Minimum,
                F::Kategorie,      F::Kategorie_Nummer,
                F::Fettschrift,    F::Textmarker,
                F::Top_Kategorie,  F::Zustand,
                F::Masseinheit,    F::Einheiten,
                F::Versand_1,      F::Versandpreis_1,
                F::Versand_2,      F::Versandpreis_2,
                F::Versand_3,      F::Versandpreis_3,
                F::Bild1,          F::Bild2,
                F::Bild3,          F::Artikelgruppe,
                F::Artikelnummer});
}

std::vector<GridColumn> import_grid_columns() {
  return plain({F::Sprache,
                F::Anzeigenart,
                F::Artikelname,
                F::Untertitel,
                F::FSK_18,
                F::Auktionsdauer,
                F::Startpreis,
                F::Sofortkauf,
                F::Anzahl,
                F::Verhalten,
                F::Mindestpreis,
                F::Preisvorschlag,
                F::Preisvorschlag_Minimum,
                F::Kategorie,
                F::Kategorie_Nummer,
                F::Fettschrift,
                F::Textmarker,
                F::Top_Kategorie,
                F::Zustand,
                F::Einheiten,
                F::Masseinheit,
                F::Versand_1,
                F::Versandpreis_1,
                F::Versand_2,
                F::Versandpreis_2,
                F::Versand_3,
                F::Versandpreis_3,
                F::Bild1,
                F::Bild2,
                F::Bild3});
}

int start_sort_column(const std::vector<GridColumn>& columns) {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].field == kStartSortField) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace tellvaro::app
