#include "store/sorting.h"

#include <gtest/gtest.h>

#include "store/article_store.h"

namespace tellvaro::store {
namespace {

using Names = std::vector<std::string>;
using Bold = std::array<std::set<int>, 3>;

Record article(std::string name, double price) {
  Record r = empty_record();
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

// Where `Artikelname` stands in the article, upload and import grid.
constexpr std::array<int, 3> kStartColumns = {3, 3, 2};

struct Click {
  Grid grid;
  int column;
  F field;
};

constexpr Click A(int column, F field) { return {Grid::Articles, column, field}; }
constexpr Click U(int column, F field) { return {Grid::Uploads, column, field}; }
constexpr Click I(int column, F field) { return {Grid::Imports, column, field}; }

// Stored order: banane 3, Apfel 1, apfel 2, Citrone 2.5.
const Names kStored = {"banane", "Apfel", "apfel", "Citrone"};
const Names kByNameCase = {"apfel", "Apfel", "banane", "Citrone"};
const Names kByNameNoCase = {"Apfel", "apfel", "banane", "Citrone"};
const Names kByNameDown = {"Citrone", "banane", "Apfel", "apfel"};
const Names kByPrice = {"Apfel", "apfel", "Citrone", "banane"};
const Names kByPriceDown = {"banane", "Citrone", "apfel", "Apfel"};

TEST(GridSorting, TitleClickSequences) {
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
       {{{3}, {3}, {2}}},
       "Sortiert nach: Artikelname",
       kByNameCase,
       kStored,
       kByNameCase},
      {"upload Startpreis once: ascending",
       {U(7, F::Startpreis)},
       "DESC",
       7,
       {{{3}, {3, 7}, {2}}},
       "Sortiert nach: Artikelname",
       kByNameCase,
       kByPrice,
       kByNameCase},
      {"upload Startpreis twice: descending",
       {U(7, F::Startpreis), U(7, F::Startpreis)},
       "ASC",
       7,
       {{{3}, {3, 7}, {2}}},
       "Sortiert nach: Artikelname",
       kByNameCase,
       kByPriceDown,
       kByNameCase},
      {"upload Startpreis three times: ascending again",
       {U(7, F::Startpreis), U(7, F::Startpreis), U(7, F::Startpreis)},
       "DESC",
       7,
       {{{3}, {3, 7}, {2}}},
       "Sortiert nach: Artikelname",
       kByNameCase,
       kByPrice,
       kByNameCase},
      {"article Startpreis once",
       {A(8, F::Startpreis)},
       "DESC",
       8,
       {{{3, 8}, {3}, {2}}},
       "Sortiert nach: Startpreis",
       kByPrice,
       kStored,
       kByNameCase},
      {"article Startpreis twice stays ascending",
       {A(8, F::Startpreis), A(8, F::Startpreis)},
       "ASC",
       8,
       {{{3, 8}, {3}, {2}}},
       "Sortiert nach: Startpreis",
       kByPrice,
       kStored,
       kByNameCase},
      {"article then upload at the same position: descending at once",
       {A(3, F::Artikelname), U(3, F::Artikelname)},
       "ASC",
       3,
       {{{3}, {3}, {2}}},
       "Sortiert nach: Artikelname",
       kByNameCase,
       kByNameDown,
       kByNameCase},
      {"upload then article at the same position: the article grid stays ascending",
       {U(8, F::Sofortkauf), A(8, F::Startpreis)},
       "ASC",
       8,
       {{{3, 8}, {3, 8}, {2}}},
       "Sortiert nach: Startpreis",
       kByPrice,
       kStored,
       kByNameCase},
      {"Artikelname stays bold beside the title clicked; the next click unbolds only the last",
       {A(4, F::Untertitel), A(8, F::Startpreis)},
       "DESC",
       8,
       {{{3, 8}, {3}, {2}}},
       "Sortiert nach: Startpreis",
       kByPrice,
       kStored,
       kByNameCase},
      {"a click on Artikelname takes the other bold title away",
       {A(8, F::Startpreis), A(3, F::Artikelname)},
       "DESC",
       3,
       {{{3}, {3}, {2}}},
       "Sortiert nach: Artikelname",
       kByNameCase,
       kStored,
       kByNameCase},
      {"the marker unbolds only in the grid clicked",
       {A(4, F::Untertitel), U(7, F::Startpreis)},
       "DESC",
       7,
       {{{3, 4}, {3, 7}, {2}}},
       "Sortiert nach: Untertitel",
       kStored,
       kByPrice,
       kByNameCase},
      {"import Artikelname twice: without case, then descending",
       {I(2, F::Artikelname)},
       "DESC",
       2,
       {{{3}, {3}, {2}}},
       "Sortiert nach: Artikelname",
       kByNameCase,
       kStored,
       kByNameNoCase},
      {"import Artikelname twice: without case, then descending",
       {I(2, F::Artikelname), I(2, F::Artikelname)},
       "ASC",
       2,
       {{{3}, {3}, {2}}},
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
    GridSorting sorting(store, kStartColumns);
    EXPECT_EQ(sorting.label(), "Sortiert nach:");
    sorting.start();
    for (const auto& k : c.clicks) sorting.click_title(k.grid, k.column, k.field);
    EXPECT_EQ(sorting.direction(), c.direction);
    EXPECT_EQ(sorting.marker(), c.marker);
    for (Grid g : {Grid::Articles, Grid::Uploads, Grid::Imports}) {
      EXPECT_EQ(sorting.bold(g), c.bold[static_cast<int>(g)]) << "grid " << static_cast<int>(g);
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
  GridSorting sorting(store, kStartColumns);
  sorting.start();
  store.uploads.move_to(2);  // Citrone
  for (int i = 0; i < 2; ++i) {
    sorting.click_title(Grid::Uploads, 7, F::Startpreis);
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
      {"a flag sort field",
       {{F::Fettschrift, "True", true}},
       {},
       "Fettschrift - [Fettschrift] like '%True%'"},
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
    GridSorting sorting(store, kStartColumns);
    sorting.start();
    for (const auto& s : c.steps) {
      if (s.sort_field) sorting.click_title(Grid::Articles, 30, *s.sort_field);
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
  GridSorting sorting(store, kStartColumns);
  sorting.start();
  sorting.filter("Uhr", true);
  sorting.click_title(Grid::Articles, 8, F::Startpreis);
  EXPECT_EQ(shown(store.articles), (Names{"Uhrkette", "Uhr alt"}));
  EXPECT_EQ(sorting.label(), "Sortiert nach: Startpreis");
}

}  // namespace
}  // namespace tellvaro::store
