#pragma once

// Sorting the three grids by a click on a column title, and the name filter of the article
// table. The three grids share one sort marker and one direction token, so a click in one grid
// decides the direction of the next click in another. The grids only show what this decides:
// bold titles and the sort label.

#include <array>
#include <set>
#include <string>
#include <string_view>

#include "presentation/grid_columns.h"

namespace tellvaro::store {
struct ArticleStore;
}

namespace tellvaro::presentation {

class GridSorting {
 public:
  explicit GridSorting(store::ArticleStore& store);

  // The order at program start: `Artikelname` bold in all grids, the article and import tables
  // ordered by it (the upload table keeps its stored order), the marker on column 1.
  void start();

  // A click on the title at `column` of `grid` (a position in `columns_of(grid)`). The article
  // table ends up ordered ascending by the column's field with regard to letter case, whatever
  // the direction token says; the upload and import tables go ascending without regard to case,
  // or descending when the same column is clicked again. A position the grid does not have
  // changes nothing and gives false.
  bool click_title(Grid grid, int column);

  // The name filter, run on each change of the text and each click on the check box: with
  // `on`, the article table shows only the records whose sort field contains `text` (letter
  // case counts); without, it shows all and the last expression stays stored.
  void filter(std::string_view text, bool on);

  int marker() const { return marker_; }
  // "", "ASC" or "DESC": the direction the next click on the marker's column will use.
  const std::string& direction() const { return direction_; }
  // Column positions whose titles are bold in a grid.
  const std::set<int>& bold(Grid grid) const { return bold_[static_cast<int>(grid)]; }
  // The text of the sort label below the article grid.
  const std::string& label() const { return label_; }

 private:
  store::ArticleStore& store_;
  int marker_ = 1;
  std::string direction_;
  std::array<std::set<int>, 3> bold_;
  std::string label_ = "Sortiert nach:";
};

}  // namespace tellvaro::presentation
