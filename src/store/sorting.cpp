#include "store/sorting.h"

#include "store/article_store.h"

namespace tellvaro::store {
namespace {

constexpr F kStartField = F::Artikelname;
constexpr std::string_view kSortedBy = "Sortiert nach: ";

Table& table_of(ArticleStore& store, Grid grid) {
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

}  // namespace

GridSorting::GridSorting(ArticleStore& store, std::array<int, 3> start_columns)
    : store_(store), start_columns_(start_columns) {}

void GridSorting::start() {
  for (int g = 0; g < 3; ++g) bold_[g] = {start_columns_[g]};
  // The case-insensitive order is replaced at once by the sort field; only the second counts.
  store_.articles.sort(SortKind::AscendingCase, kStartField);
  store_.imports.sort(SortKind::AscendingCase, kStartField);
  label_ = std::string(kSortedBy) + std::string(name_of(kStartField));
  marker_ = 1;
}

void GridSorting::click_title(Grid grid, int column, F field) {
  auto& bold = bold_[static_cast<int>(grid)];
  bold.erase(marker_);
  bold.insert(column);
  if (column != marker_) direction_ = "ASC";
  const bool descending = direction_ == "DESC";
  direction_ = descending ? "ASC" : "DESC";
  if (grid == Grid::Articles) {
    // The article table always ends on its sort field, so sorting it first by the direction
    // would only be undone: one sort instead of two, same order.
    store_.articles.sort(SortKind::AscendingCase, field);
    label_ = std::string(kSortedBy) + std::string(name_of(field));
  } else {
    table_of(store_, grid)
        .sort(descending ? SortKind::Descending : SortKind::AscendingNoCase, field);
  }
  marker_ = column;
}

void GridSorting::filter(std::string_view text, bool on) {
  Table& t = store_.articles;
  const std::string field = t.sort_field();
  if (on) {
    // Setting the expression while the filter is on re-filters once; switching it off first
    // would show every record for a moment and cost a second pass.
    t.set_filter(Table::like_expression(field, text));
    t.set_filtered(true);
  } else {
    t.set_filtered(false);
  }
  label_ = field + " - " + t.filter();
}

}  // namespace tellvaro::store
