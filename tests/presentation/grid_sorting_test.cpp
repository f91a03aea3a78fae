#include "presentation/grid_sorting.h"

#include <gtest/gtest.h>

#include "store/article_store.h"

namespace tellvaro::presentation {
namespace {

using store::ArticleStore;
using store::at;
using store::F;
using store::Record;
using store::Table;
using store::Value;

using Names = std::vector<std::string>;
// The bold titles of the article, upload and import grid.
using Bold = std::array<std::set<std::string>, 3>;

Record article(std::string name, double price) {
  Record r = store::empty_record();
  at(r, F::Artikelname) = Value::text(std::move(name));
  at(r, F::Startpreis) = Value::amount(price);
  return r;
}

Names shown(const Table& t) {
  Names out;
  for (std::size_t r = 0; r < t.count(); ++r)
    out.push_back(*t.row(r)[index_of(F::Artikelname)].as_string());
  return out;
}

std::set<std::string> bold_titles(const GridSorting& sorting, Grid grid) {
  std::set<std::string> out;
  for (int column : sorting.bold(grid)) {
    out.emplace(store::name_of(columns_of(grid).at(static_cast<std::size_t>(column)).field));
  }
  return out;
}

// A click on the title of `field` where the grid shows it.
struct Click {
  Grid grid;
  F field;
};
constexpr Click A(F field) { return {Grid::Articles, field}; }
constexpr Click U(F field) { return {Grid::Uploads, field}; }
constexpr Click I(F field) { return {Grid::Imports, field}; }

void click(GridSorting& sorting, Click c) {
  ASSERT_TRUE(sorting.click_title(c.grid, column_of(c.grid, c.field)));
}

// Stored order: banane 3, Apfel 1, apfel 2, Citrone 2.5.
const Names kStored = {"banane", "Apfel", "apfel", "Citrone"};
const Names kByNameCase = {"apfel", "Apfel", "banane", "Citrone"};
const Names kByNameNoCase = {"Apfel", "apfel", "banane", "Citrone"};
const Names kByNameDown = {"Citrone", "banane", "Apfel", "apfel"};
const Names kByPrice = {"Apfel", "apfel", "Citrone", "banane"};
const Names kByPriceDown = {"banane", "Citrone", "apfel", "Apfel"};

TEST(GridSorting, TitleClickSequences) {
  // The cases "at the same position" lean on these titles standing where the other grid's do.
  ASSERT_EQ(column_of(Grid::Uploads, F::Sofortkauf), column_of(Grid::Articles, F::Startpreis));
  ASSERT_EQ(column_of(Grid::Uploads, F::Artikelname), column_of(Grid::Articles, F::Artikelname));
  struct Case {
    const char* what;
    std::vector<Click> clicks;
    std::string direction;
    int marker;
    Bold bold;
    std::string label;
    Names articles, uploads, imports;
  };
  const Case cases[] = {
      {"start",
       {},
       "",
       1,
       {{{"Artikelname"}, {"Artikelname"}, {"Artikelname"}}},
       "Sortiert nach: Artikelname",
       kByNameCase,
       kStored,
       kByNameCase},
      {"upload Startpreis once: ascending",
       {U(F::Startpreis)},
       "DESC",
       7,
       {{{"Artikelname"}, {"Artikelname", "Startpreis"}, {"Artikelname"}}},
       "Sortiert nach: Artikelname",
       kByNameCase,
       kByPrice,
       kByNameCase},
      {"upload Startpreis twice: descending",
       {U(F::Startpreis), U(F::Startpreis)},
       "ASC",
       7,
       {{{"Artikelname"}, {"Artikelname", "Startpreis"}, {"Artikelname"}}},
       "Sortiert nach: Artikelname",
       kByNameCase,
       kByPriceDown,
       kByNameCase},
      {"upload Startpreis three times: ascending again",
       {U(F::Startpreis), U(F::Startpreis), U(F::Startpreis)},
       "DESC",
       7,
       {{{"Artikelname"}, {"Artikelname", "Startpreis"}, {"Artikelname"}}},
       "Sortiert nach: Artikelname",
       kByNameCase,
       kByPrice,
       kByNameCase},
      {"article Startpreis once",
       {A(F::Startpreis)},
       "DESC",
       8,
       {{{"Artikelname", "Startpreis"}, {"Artikelname"}, {"Artikelname"}}},
       "Sortiert nach: Startpreis",
       kByPrice,
       kStored,
       kByNameCase},
      {"article Startpreis twice stays ascending",
       {A(F::Startpreis), A(F::Startpreis)},
       "ASC",
       8,
       {{{"Artikelname", "Startpreis"}, {"Artikelname"}, {"Artikelname"}}},
       "Sortiert nach: Startpreis",
       kByPrice,
       kStored,
       kByNameCase},
      {"article then upload at the same position: descending at once",
       {A(F::Artikelname), U(F::Artikelname)},
       "ASC",
       3,
       {{{"Artikelname"}, {"Artikelname"}, {"Artikelname"}}},
       "Sortiert nach: Artikelname",
       kByNameCase,
       kByNameDown,
       kByNameCase},
      {"upload then article at the same position: the article grid stays ascending",
       {U(F::Sofortkauf), A(F::Startpreis)},
       "ASC",
       8,
       {{{"Artikelname", "Startpreis"}, {"Artikelname", "Sofortkauf"}, {"Artikelname"}}},
       "Sortiert nach: Startpreis",
       kByPrice,
       kStored,
       kByNameCase},
      {"Artikelname stays bold beside the title clicked; the next click unbolds only the last",
       {A(F::Untertitel), A(F::Startpreis)},
       "DESC",
       8,
       {{{"Artikelname", "Startpreis"}, {"Artikelname"}, {"Artikelname"}}},
       "Sortiert nach: Startpreis",
       kByPrice,
       kStored,
       kByNameCase},
      {"a click on Artikelname takes the other bold title away",
       {A(F::Startpreis), A(F::Artikelname)},
       "DESC",
       3,
       {{{"Artikelname"}, {"Artikelname"}, {"Artikelname"}}},
       "Sortiert nach: Artikelname",
       kByNameCase,
       kStored,
       kByNameCase},
      {"the marker is a position: it unbolds another grid's title only where it stands",
       {U(F::Sofortkauf), A(F::Untertitel), U(F::Artikelname)},
       "DESC",
       3,
       {{{"Artikelname", "Untertitel"}, {"Artikelname", "Sofortkauf"}, {"Artikelname"}}},
       "Sortiert nach: Untertitel",
       kStored,
       kByNameNoCase,
       kByNameCase},
      {"the marker unbolds only in the grid clicked",
       {A(F::Untertitel), U(F::Startpreis)},
       "DESC",
       7,
       {{{"Artikelname", "Untertitel"}, {"Artikelname", "Startpreis"}, {"Artikelname"}}},
       "Sortiert nach: Untertitel",
       kStored,
       kByPrice,
       kByNameCase},
      {"import Artikelname once: without case",
       {I(F::Artikelname)},
       "DESC",
       2,
       {{{"Artikelname"}, {"Artikelname"}, {"Artikelname"}}},
       "Sortiert nach: Artikelname",
       kByNameCase,
       kStored,
       kByNameNoCase},
      {"import Artikelname twice: without case, then descending",
       {I(F::Artikelname), I(F::Artikelname)},
       "ASC",
       2,
       {{{"Artikelname"}, {"Artikelname"}, {"Artikelname"}}},
       "Sortiert nach: Artikelname",
       kByNameCase,
       kStored,
       kByNameDown},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ArticleStore store;
    const std::vector<Record> records = {article("banane", 3), article("Apfel", 1),
                                         article("apfel", 2), article("Citrone", 2.5)};
    for (Table* t : {&store.articles, &store.uploads, &store.imports}) t->replace_all(records);
    GridSorting sorting(store);
    EXPECT_EQ(sorting.label(), "Sortiert nach:");
    sorting.start();
    for (const auto& k : c.clicks) click(sorting, k);
    EXPECT_EQ(sorting.direction(), c.direction);
    EXPECT_EQ(sorting.marker(), c.marker);
    for (Grid g : kGrids) {
      EXPECT_EQ(bold_titles(sorting, g), c.bold[static_cast<int>(g)]) << "grid " << int(g);
    }
    EXPECT_EQ(sorting.label(), c.label);
    EXPECT_EQ(shown(store.articles), c.articles);
    EXPECT_EQ(shown(store.uploads), c.uploads);
    EXPECT_EQ(shown(store.imports), c.imports);
  }
}

TEST(GridSorting, CurrentRecordStaysCurrentAcrossClicks) {
  ArticleStore store;
  store.uploads.replace_all({article("banane", 3), article("Apfel", 1), article("Citrone", 2)});
  GridSorting sorting(store);
  sorting.start();
  store.uploads.move_to(2);  // Citrone
  for (int i = 0; i < 2; ++i) {
    click(sorting, U(F::Startpreis));
    ASSERT_TRUE(store.uploads.position());
    EXPECT_EQ(store.uploads.text(F::Artikelname), "Citrone");
  }
}

TEST(GridSorting, NameFilter) {
  struct Step {
    std::optional<F> sort_field;  // the article grid's title clicked before, if any
    std::string_view text;
    bool on;
  };
  struct Case {
    const char* what;
    std::vector<Step> steps;
    Names shown;
    std::string label;
  };
  // Stored: Uhr alt 12.5, Taschenuhr 3, O'Neill Jacke 99.9, Uhrkette 2.5, sorted by name.
  const Case cases[] = {
      {"Uhr with letter case",
       {{{}, "Uhr", true}},
       {"Uhr alt", "Uhrkette"},
       "Artikelname - [Artikelname] like '%Uhr%'"},
      {"a quote inside the text",
       {{{}, "O'Neill", true}},
       {"O'Neill Jacke"},
       "Artikelname - [Artikelname] like '%O''Neill%'"},
      {"a quote alone",
       {{{}, "'", true}},
       {"O'Neill Jacke"},
       "Artikelname - [Artikelname] like '%''%'"},
      {"empty text shows all",
       {{{}, "", true}},
       {"O'Neill Jacke", "Taschenuhr", "Uhr alt", "Uhrkette"},
       "Artikelname - [Artikelname] like '%%'"},
      {"unticked before any expression",
       {{{}, "Uhr", false}},
       {"O'Neill Jacke", "Taschenuhr", "Uhr alt", "Uhrkette"},
       "Artikelname - "},
      {"unticking shows all and keeps the last expression",
       {{{}, "U", true}, {{}, "Uh", true}, {{}, "Uhr", true}, {{}, "Uhr", false}},
       {"O'Neill Jacke", "Taschenuhr", "Uhr alt", "Uhrkette"},
       "Artikelname - [Artikelname] like '%Uhr%'"},
      {"an amount sort field filters on its text",
       {{F::Startpreis, "2.5", true}},
       {"Uhrkette", "Uhr alt"},
       "Startpreis - [Startpreis] like '%2.5%'"},
      {"an amount sort field, text that is no number",
       {{F::Startpreis, "Uhr", true}},
       {},
       "Startpreis - [Startpreis] like '%Uhr%'"},
      {"the expression follows the sort field of the moment",
       {{{}, "Uhr", true}, {F::Startpreis, "9", true}},
       {"O'Neill Jacke"},
       "Startpreis - [Startpreis] like '%9%'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ArticleStore store;
    store.articles.replace_all({article("Uhr alt", 12.5), article("Taschenuhr", 3),
                                article("O'Neill Jacke", 99.9), article("Uhrkette", 2.5)});
    GridSorting sorting(store);
    sorting.start();
    for (const auto& s : c.steps) {
      if (s.sort_field) click(sorting, A(*s.sort_field));
      sorting.filter(s.text, s.on);
    }
    EXPECT_EQ(shown(store.articles), c.shown);
    EXPECT_EQ(sorting.label(), c.label);
  }
}

TEST(GridSorting, TitleClickKeepsTheFilterAndShowsTheSortLabel) {
  ArticleStore store;
  store.articles.replace_all(
      {article("Uhr alt", 12.5), article("Taschenuhr", 3), article("Uhrkette", 2.5)});
  GridSorting sorting(store);
  sorting.start();
  sorting.filter("Uhr", true);
  click(sorting, A(F::Startpreis));
  EXPECT_EQ(shown(store.articles), (Names{"Uhrkette", "Uhr alt"}));
  EXPECT_EQ(sorting.label(), "Sortiert nach: Startpreis");
}

TEST(GridSorting, AClickBesideTheTitlesChangesNothing) {
  ArticleStore store;
  store.uploads.replace_all({article("banane", 3), article("Apfel", 1)});
  GridSorting sorting(store);
  sorting.start();
  click(sorting, U(F::Startpreis));
  const int columns = static_cast<int>(columns_of(Grid::Uploads).size());
  for (int column : {-1, columns}) {
    EXPECT_FALSE(sorting.click_title(Grid::Uploads, column));
    EXPECT_EQ(sorting.marker(), column_of(Grid::Uploads, F::Startpreis));
    EXPECT_EQ(sorting.direction(), "DESC");
    EXPECT_EQ(bold_titles(sorting, Grid::Uploads),
              (std::set<std::string>{"Artikelname", "Startpreis"}));
    EXPECT_EQ(shown(store.uploads), (Names{"Apfel", "banane"}));
  }
}

}  // namespace
}  // namespace tellvaro::presentation
