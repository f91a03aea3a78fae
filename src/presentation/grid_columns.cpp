#include "presentation/grid_columns.h"

#include <algorithm>
#include <array>

#include "store/article_store.h"

namespace tellvaro::presentation {
namespace {

using store::F;

std::vector<GridColumn> plain(std::initializer_list<F> names) {
  std::vector<GridColumn> out;
  for (auto n : names) out.push_back({n, false});
  return out;
}

std::vector<GridColumn> article_columns() {
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

std::vector<GridColumn> upload_columns() {
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

std::vector<GridColumn> import_columns() {
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

}  // namespace

store::Table& table_of(store::ArticleStore& store, Grid grid) {
  switch (grid) {
    case Grid::Uploads:
      return store.uploads;
    case Grid::Imports:
      return store.imports;
    case Grid::Articles:
      break;
  }
  return store.articles;
}

const std::vector<GridColumn>& columns_of(Grid grid) {
  static const std::vector<GridColumn> lists[] = {article_columns(), upload_columns(),
                                                  import_columns()};
  return lists[static_cast<int>(grid)];
}

int column_of(Grid grid, store::F field) {
  const auto& columns = columns_of(grid);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].field == field) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace tellvaro::presentation
