#pragma once

// The columns of the three grids, in display order, and which of them refuse typing. Qt-free.

#include <vector>

#include "store/field.h"

namespace tellvaro::app {

struct GridColumn {
  store::F field;  // its name is also the column title
  bool read_only = false;
};

std::vector<GridColumn> article_grid_columns();
// The upload grid is read-only as a whole; its columns carry no flag of their own.
std::vector<GridColumn> upload_grid_columns();
std::vector<GridColumn> import_grid_columns();

// Position of the title shown bold at start (`Artikelname`) in a column list.
int start_sort_column(const std::vector<GridColumn>& columns);

inline constexpr store::F kStartSortField = store::F::Artikelname;

}  // namespace tellvaro::app
