#pragma once

// Imported auctions become new articles: the fields a transfer copies go over as typed values,
// everything else of the new article stays null. The import records are never changed.

#include <vector>

#include "store/table.h"

namespace tellvaro::importer {

// A new article from each import record, in the given order, each stored as a post stores it
// (the article table's rule works out its fee). Pass the import table's current record for one
// article (its empty record when the table shows none: one article without imported values),
// or every record as shown for all. The article table's cursor stays where it is. Returns the
// new articles' keys, in the same order.
std::vector<store::Table::Key> transfer_back(const std::vector<store::Record>& imports,
                                             store::Table& articles);

}  // namespace tellvaro::importer
