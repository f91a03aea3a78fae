#pragma once

// The category tree of the auction house, browsed level by level into the current article.

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

// The state of page "Kategorie": five levels (0 = the top-level chooser), what is enabled, the
// number edit of the slot and the hidden level names. The page paints it after every call.
class CategoryBrowser {
 public:
  static constexpr int kLevels = 5;

  CategoryBrowser(db::Connection& db, store::Table& articles);

  // "Kategorie ändern".
  void start(Slot slot);
  // Choosing entry `index` at level 1..5 (absent: nothing chosen).
  void choose(int level, std::optional<std::size_t> index, Slot slot);
  // "Speichern": path into the slot's fields, then the record is posted.
  void save(Slot slot);
  // A leaf found by the search, stored as a browse ending in it followed by "Speichern" would
  // store it. False, and nothing changed, for a category with sub-categories.
  bool take(const CategoryMatch& match, Slot slot);
  // The article table's change hook.
  void reset();
  // The article table's before-post hook: enables "Kategorie ändern".
  void before_post();
  // The record was posted, cancelled or left: what the browse held for it is dropped and
  // "Kategorie ändern" comes back.
  void discard_pending();

  const std::vector<CategoryEntry>& entries(int level) const { return levels_[level - 1]; }
  bool level_enabled(int level) const { return enabled_[level - 1]; }
  std::optional<std::size_t> chosen(int level) const { return chosen_[level - 1]; }
  bool change_enabled() const { return change_enabled_; }
  bool save_enabled() const { return save_enabled_; }
  // The read-only number edit of the slot being browsed, while a browse holds one.
  std::optional<std::string> pending_number(Slot slot) const;
  const std::array<std::string, kLevels>& level_names() const { return names_; }
  // " > "-joined path of the non-empty level names.
  std::string path() const;

 private:
  void clear_from(int level);
  void write_names();  // the level names into `Kategorie1` ... `Kategorie5`

  db::Connection& db_;
  store::Table& articles_;
  std::array<std::vector<CategoryEntry>, kLevels> levels_;
  std::array<bool, kLevels> enabled_{};
  std::array<std::optional<std::size_t>, kLevels> chosen_{};
  std::array<std::string, kLevels> names_;
  std::string number_;
  Slot number_slot_ = Slot::None;
  bool number_dirty_ = false;
  bool change_enabled_ = true;
  bool save_enabled_ = false;
};

}  // namespace tellvaro::catalogue
