#pragma once

// The three grids, their columns in display order, and which of them refuse typing.

#include <vector>

#include "store/field.h"

namespace tellvaro::store {
struct ArticleStore;
class Table;
}  // namespace tellvaro::store

namespace tellvaro::presentation {

enum class Grid { Articles = 0, Uploads = 1, Imports = 2 };
inline constexpr Grid kGrids[] = {Grid::Articles, Grid::Uploads, Grid::Imports};

// The table a grid shows.
store::Table& table_of(store::ArticleStore& store, Grid grid);

struct GridColumn {
  store::F field;  // its name is also the column title
  bool read_only = false;
};

// The upload grid is read-only as a whole; its columns carry no flag of their own.
const std::vector<GridColumn>& columns_of(Grid grid);

// Position of `field` in a grid; -1 when the grid does not show it.
int column_of(Grid grid, store::F field);

// The field whose title is bold at start in every grid.
inline constexpr store::F kStartSortField = store::F::Artikelname;

}  // namespace tellvaro::presentation
