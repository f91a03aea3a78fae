#pragma once

#include <string>
#include <string_view>

#include "store/table.h"

namespace tellvaro::store {

// The article table, the upload table and the import table with their standard files.
struct ArticleStore {
  Table articles;
  Table uploads;
  Table imports;

  // Loads the three standard files below the program folder, in this order. A file that fails
  // leaves its table as it was and the others still load; then one tellvaro::Error carries the
  // messages of all failures, one per line.
  void load_all(std::string_view folder);
  // Saves the three standard files, in this order; stops at the first failure (throws).
  void save_all(std::string_view folder);
};

}  // namespace tellvaro::store
