#pragma once

// The category tree of the auction house: its levels as the server gives them, and what a
// category chosen from it stores in an article.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/field.h"

namespace tellvaro::db {
class Connection;
}
namespace tellvaro::store {
class Table;
}

namespace tellvaro::catalogue {

struct CategoryMatch;

struct CategoryEntry {
  std::string cat_id, parent_id, cat_name;  // each kept to 255 characters
  bool has_children = false;
};

// "select * from categories where (parent_id='P') order by cat_name"
std::string children_query(const db::Connection& db, std::string_view parent_id);

// One level: the children query, then at most one further statement for all markers.
std::vector<CategoryEntry> read_level(db::Connection& db, std::string_view parent_id);
// The same entries found with one more query per entry; kept for comparison in the benchmark.
std::vector<CategoryEntry> read_level_per_entry(db::Connection& db, std::string_view parent_id);

enum class Slot { None, First, Second };

// " > "-joined path of the level names: the first always, the others when not empty.
std::string category_path(const std::array<std::string, 5>& names);
// The level names a browse down to a found category holds.
std::array<std::string, 5> browse_names(const CategoryMatch& match);
// What "Speichern" stores for a leaf reached through `names` with number `number`, field by
// field in the order it writes them: the slot's path and number (neither for Slot::None), then
// `Kategorie1` ... `Kategorie5`.
std::vector<std::pair<store::F, std::string>> stored_category(
    const std::array<std::string, 5>& names, std::string_view number, Slot slot);

// The fields of a slot: its path ("Kategorie", "Kategorie_2") and its number.
store::F slot_path_field(Slot slot);
store::F slot_number_field(Slot slot);

}  // namespace tellvaro::catalogue
