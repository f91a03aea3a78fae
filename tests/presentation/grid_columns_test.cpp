#include "presentation/grid_columns.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tellvaro;
using presentation::Grid;

namespace {

std::vector<std::string> titles(Grid grid) {
  std::vector<std::string> out;
  for (const auto& c : presentation::columns_of(grid)) out.emplace_back(store::name_of(c.field));
  return out;
}

std::vector<std::string> read_only(Grid grid) {
  std::vector<std::string> out;
  for (const auto& c : presentation::columns_of(grid)) {
    if (c.read_only) out.emplace_back(store::name_of(c.field));
  }
  return out;
}

const std::vector<std::string> kUploadTitles = {
    "Sprache",        "Anzeigenart",   "Gebühr",         "Artikelname",
    "Untertitel",     "FSK 18",        "Auktionsdauer",  "Startpreis",
    "Sofortkauf",     "Anzahl",        "Verhalten",      "Mindestpreis",
    "Preisvorschlag", "Preisvorschlag-Minimum",          "Kategorie",
    "Kategorie Nummer",                "Fettschrift",    "Textmarker",
    "Top-Kategorie",  "Zustand",       "Masseinheit",    "Einheiten",
    "Versand_1",      "Versandpreis_1",                  "Versand_2",
    "Versandpreis_2", "Versand_3",     "Versandpreis_3", "Bild1",
    "Bild2",          "Bild3",         "Artikelgruppe",  "Artikelnummer"};

TEST(GridColumns, EachGridShowsItsColumnsInOrder) {
  EXPECT_EQ(titles(Grid::Articles),
            (std::vector<std::string>{
                "Sprache",        "Anzeigenart",    "Gebühr",         "Artikelname",
                "Untertitel",     "FSK 18",         "Auktionsdauer",  "Wiedereinstellen",
                "Startpreis",     "Sofortkauf",     "Anzahl",         "Verhalten",
                "Mindestpreis",   "Preisvorschlag", "Preisvorschlag-Minimum",
                "Kategorie",      "Kategorie Nummer",                 "Zustand",
                "Einheiten",      "Masseinheit",    "Versand_1",      "Versandpreis_1",
                "Versand_2",      "Versandpreis_2", "Versand_3",      "Versandpreis_3",
                "Bild1",          "Bild2",          "Bild3",          "Artikelstatus",
                "Artikelgruppe",  "Artikelnummer",  "Mitglied",       "Editiert",
                "Erstellt"}));
  EXPECT_EQ(titles(Grid::Uploads), kUploadTitles);
  // The import grid: the upload grid without fee and grouping, units before the measure.
  std::vector<std::string> import = kUploadTitles;
  std::erase(import, "Gebühr");
  std::erase(import, "Artikelgruppe");
  std::erase(import, "Artikelnummer");
  auto units = std::find(import.begin(), import.end(), "Einheiten");
  auto measure = std::find(import.begin(), import.end(), "Masseinheit");
  std::iter_swap(units, measure);
  EXPECT_EQ(titles(Grid::Imports), import);
}

TEST(GridColumns, TheArticleGridRefusesTypingOnlyWhereAPageOrTheFeeRuleDecides) {
  EXPECT_EQ(read_only(Grid::Articles),
            (std::vector<std::string>{"Gebühr", "FSK 18", "Auktionsdauer", "Preisvorschlag",
                                      "Kategorie", "Kategorie Nummer", "Zustand", "Versand_1",
                                      "Versandpreis_1", "Versand_2", "Versandpreis_2",
                                      "Versand_3", "Versandpreis_3", "Bild1", "Bild2", "Bild3"}));
  // The upload grid refuses typing as a whole, the import grid nowhere.
  EXPECT_TRUE(read_only(Grid::Uploads).empty());
  EXPECT_TRUE(read_only(Grid::Imports).empty());
}

TEST(GridColumns, ColumnOfFindsShownFieldsOnly) {
  for (Grid grid : presentation::kGrids) {
    const auto& columns = presentation::columns_of(grid);
    for (std::size_t i = 0; i < columns.size(); ++i)
      EXPECT_EQ(presentation::column_of(grid, columns[i].field), static_cast<int>(i));
  }
  EXPECT_EQ(presentation::column_of(Grid::Imports, store::F::Gebuehr), -1);
  EXPECT_EQ(presentation::column_of(Grid::Articles, store::F::Beschreibung), -1);
}

}  // namespace
