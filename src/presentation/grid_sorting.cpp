#include "presentation/grid_sorting.h"

#include "store/article_store.h"

namespace tellvaro::presentation {
namespace {

constexpr std::string_view kSortedBy = "Sortiert nach: ";

}  // namespace

GridSorting::GridSorting(store::ArticleStore& store) : store_(store) {}

void GridSorting::start() {
  for (Grid g : kGrids) bold_[static_cast<int>(g)] = {column_of(g, kStartSortField)};
  // The case-insensitive order is replaced at once by the sort field; only the second counts.
  store_.articles.sort(store::SortKind::AscendingCase, kStartSortField);
  store_.imports.sort(store::SortKind::AscendingCase, kStartSortField);
  label_ = std::string(kSortedBy) + std::string(store::name_of(kStartSortField));
  marker_ = 1;
}

bool GridSorting::click_title(Grid grid, int column) {
  const auto& columns = columns_of(grid);
  if (column < 0 || column >= static_cast<int>(columns.size())) return false;
  const store::F field = columns[column].field;
  auto& bold = bold_[static_cast<int>(grid)];
  bold.erase(marker_);
  bold.insert(column);
  if (column != marker_) direction_ = "ASC";
  const bool descending = direction_ == "DESC";
  direction_ = descending ? "ASC" : "DESC";
  if (grid == Grid::Articles) {
    // The article table always ends on its sort field, so sorting it first by the direction
    // would only be undone: one sort instead of two, same order.
    store_.articles.sort(store::SortKind::AscendingCase, field);
    label_ = std::string(kSortedBy) + std::string(store::name_of(field));
  } else {
    table_of(store_, grid)
        .sort(descending ? store::SortKind::Descending : store::SortKind::AscendingNoCase, field);
  }
  marker_ = column;
  return true;
}

void GridSorting::filter(std::string_view text, bool on) {
  store::Table& t = store_.articles;
  const std::string field = t.sort_field();
  if (on) {
    // Setting the expression while the filter is on re-filters once; switching it off first
    // would show every record for a moment and cost a second pass.
    t.set_filter(store::Table::like_expression(field, text));
    t.set_filtered(true);
  } else {
    t.set_filtered(false);
  }
  label_ = field + " - " + t.filter();
}

}  // namespace tellvaro::presentation
