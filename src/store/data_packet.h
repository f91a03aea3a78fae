#pragma once

// The table file: an XML data packet in Windows-1252 without an encoding declaration. Reading
// goes through libxml2; writing is our own byte-exact formatter.

#include <string>
#include <string_view>
#include <vector>

#include "store/field.h"

namespace tellvaro::store {

class Table;

// The empty table as a new file holds it, CR LF included.
const std::string& empty_table_bytes();

// The file's bytes for these records (stored order).
std::string format_table(const std::vector<Record>& records);

// Records from a file's bytes. A malformed file, a number that is no number or a field list
// that is not the article's throws tellvaro::Error with a German message naming `file_name`.
// A field list with fewer fields loads when each of its fields is an article field of the same
// kind; the missing fields read null.
std::vector<Record> parse_table(std::string_view bytes, const std::string& file_name);

// Loads a file into a table; on any error the table stays as it was.
void load_table(Table& table, const std::string& path);
// Settles a pending edit (posted when it changed something, else cancelled), then writes all
// records in stored order, whatever the filter, replacing the file atomically (temporary file,
// flush, rename). On failure throws tellvaro::Error; the old file is whole and the table
// unchanged. The file is written piece by piece, never held whole in memory.
void save_table(Table& table, const std::string& path);

}  // namespace tellvaro::store
