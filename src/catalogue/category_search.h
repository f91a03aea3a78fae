#pragma once

// Finding categories by a piece of their name instead of walking the tree.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tellvaro::db {
class Connection;
}

namespace tellvaro::catalogue {

inline constexpr std::size_t kSearchMinChars = 3;
inline constexpr std::size_t kSearchMaxMatches = 50;

struct CategoryMatch {
  std::string cat_id, cat_name;
  bool leaf = false;               // only leaves can be chosen
  std::vector<std::string> names;  // from the top level down to this category
  // "Auto & Motorrad > Ersatzteile > Zündkerzen"
  std::string path() const;
};

// Up to kSearchMaxMatches categories whose name contains `text` (letter case ignored), in name
// order, and whether each has sub-categories.
std::string category_match_query(const db::Connection& db, std::string_view text);
// The names above each of the categories, from the category itself up to the top.
std::string category_path_query(const db::Connection& db, const std::vector<std::string>& ids);

// Whether a text is long enough to search for: kSearchMinChars characters, blanks around not
// counted.
bool searchable(std::string_view text);

// The matches with their whole paths: one statement for the matches, one for all their paths.
// A text that is not searchable finds nothing without asking the server. Categories that no browse
// can reach (an orphan, a cycle) are left out. A failed read throws tellvaro::Error.
std::vector<CategoryMatch> search_categories(db::Connection& db, std::string_view text);

}  // namespace tellvaro::catalogue
