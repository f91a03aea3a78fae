#include "import/transfer_back.h"

#include "store/table.h"
#include "upload/transfer.h"

namespace tellvaro::importer {

void transfer_current(const store::Table& imports, store::Table& articles) {
  // The upload's copy takes the same fields, so the list lives in one place.
  const store::Record copy = upload::upload_copy(imports.values());
  articles.append();
  articles.set_values(copy);
  articles.post();
}

std::size_t transfer_all(store::Table& imports, store::Table& articles) {
  imports.first();
  const std::size_t count = imports.count();
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) imports.next();
    transfer_current(imports, articles);
  }
  return count;
}

}  // namespace tellvaro::importer
