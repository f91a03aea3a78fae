#include "store/article_store.h"

#include "store/data_packet.h"
#include "text/error.h"

namespace tellvaro::store {

void ArticleStore::load_all(std::string_view folder) {
  // A file that cannot be read must not keep the other two tables from loading.
  std::string errors;
  for (auto [table, file] : standard_files()) {
    try {
      load_table(*table, data_path(folder, file));
    } catch (const Error& e) {
      if (!errors.empty()) errors += '\n';
      errors += e.what();
    }
  }
  if (!errors.empty()) throw Error(errors);
}

void ArticleStore::save_all(std::string_view folder) {
  for (auto [table, file] : standard_files()) save_table(*table, data_path(folder, file));
}

}  // namespace tellvaro::store
