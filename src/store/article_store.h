#pragma once

#include <array>
#include <string>
#include <string_view>

#include "store/files.h"
#include "store/table.h"

namespace tellvaro::store {

// The article table, the upload table and the import table with their standard files.
struct ArticleStore {
  Table articles;
  Table uploads;
  Table imports;

  struct StandardFile {
    Table* table;
    std::string_view file;  // relative to the folder that holds the data folder
  };
  // The three tables with their standard files, in the order they are loaded and saved.
  std::array<StandardFile, 3> standard_files() {
    return {{{&articles, kArticleFile}, {&uploads, kUploadFile}, {&imports, kImportFile}}};
  }

  // Loads the three standard files below the program folder, in this order. A file that fails
  // leaves its table as it was and the others still load; then one tellvaro::Error carries the
  // messages of all failures, one per line.
  void load_all(std::string_view folder);
  // Saves the three standard files, in this order; stops at the first failure (throws).
  void save_all(std::string_view folder);
};

}  // namespace tellvaro::store
