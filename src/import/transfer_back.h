#pragma once

// Imported auctions become new articles: the fields a transfer copies go over as typed values,
// everything else of the new article stays null. The import table is never changed.

#include <cstddef>

namespace tellvaro::store {
class Table;
}

namespace tellvaro::importer {

// A new article from the import table's current record, posted at once (the article table's
// before-post hook works out its fee). On an empty import table the new article carries no
// imported values.
void transfer_current(const store::Table& imports, store::Table& articles);

// A new article from every record of the import table, in its current order. The number of
// records is taken once, before the loop; the import table's cursor ends on the last record.
// Returns the number of articles added.
std::size_t transfer_all(store::Table& imports, store::Table& articles);

}  // namespace tellvaro::importer
