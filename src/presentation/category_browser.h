#pragma once

// The category tree of the auction house, browsed level by level into the current article.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/categories.h"

namespace tellvaro::db {
class Connection;
}
namespace tellvaro::store {
class Table;
}
namespace tellvaro::catalogue {
struct CategoryMatch;
}

namespace tellvaro::presentation {

// The state of page "Kategorie": five levels (0 = the top-level chooser), what is enabled, the
// number edit of the slot and the hidden level names. The page paints it after every call.
class CategoryBrowser {
 public:
  static constexpr int kLevels = 5;

  CategoryBrowser(db::Connection& db, store::Table& articles);

  // "Kategorie ändern".
  void start(catalogue::Slot slot);
  // Choosing entry `index` at level 1..5 (absent: nothing chosen).
  void choose(int level, std::optional<std::size_t> index, catalogue::Slot slot);
  // "Speichern": path into the slot's fields, then the record is posted.
  void save(catalogue::Slot slot);
  // A leaf found by the search, stored as a browse ending in it followed by "Speichern" would
  // store it. False, and nothing changed, for a category with sub-categories.
  bool take(const catalogue::CategoryMatch& match, catalogue::Slot slot);
  // The article table's change hook.
  void reset();
  // The article table's before-post hook: enables "Kategorie ändern".
  void before_post();
  // The record was posted, cancelled or left: what the browse held for it is dropped and
  // "Kategorie ändern" comes back.
  void discard_pending();

  const std::vector<catalogue::CategoryEntry>& entries(int level) const {
    return levels_[level - 1];
  }
  bool level_enabled(int level) const { return enabled_[level - 1]; }
  std::optional<std::size_t> chosen(int level) const { return chosen_[level - 1]; }
  bool change_enabled() const { return change_enabled_; }
  bool save_enabled() const { return save_enabled_; }
  // The read-only number edit of the slot being browsed, while a browse holds one.
  std::optional<std::string> pending_number(catalogue::Slot slot) const;
  const std::array<std::string, kLevels>& level_names() const { return names_; }
  // " > "-joined path of the non-empty level names.
  std::string path() const;

 private:
  void clear_from(int level);
  void write_names();  // the level names into `Kategorie1` ... `Kategorie5`

  db::Connection& db_;
  store::Table& articles_;
  std::array<std::vector<catalogue::CategoryEntry>, kLevels> levels_;
  std::array<bool, kLevels> enabled_{};
  std::array<std::optional<std::size_t>, kLevels> chosen_{};
  std::array<std::string, kLevels> names_;
  std::string number_;
  catalogue::Slot number_slot_ = catalogue::Slot::None;
  bool number_dirty_ = false;
  bool change_enabled_ = true;
  bool save_enabled_ = false;
};

}  // namespace tellvaro::presentation
