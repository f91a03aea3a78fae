#include "presentation/category_browser.h"

#include "catalogue/category_search.h"
#include "store/table.h"

namespace tellvaro::presentation {

CategoryBrowser::CategoryBrowser(db::Connection& db, store::Table& articles)
    : db_(db), articles_(articles) {}

std::optional<std::string> CategoryBrowser::pending_number(catalogue::Slot slot) const {
  if (number_dirty_ && slot != catalogue::Slot::None && slot == number_slot_) return number_;
  return std::nullopt;
}

std::string CategoryBrowser::path() const { return catalogue::category_path(names_); }

void CategoryBrowser::clear_from(int level) {
  for (int i = level; i <= kLevels; ++i) {
    levels_[i - 1].clear();
    enabled_[i - 1] = false;
    chosen_[i - 1].reset();
  }
}

void CategoryBrowser::start(catalogue::Slot slot) {
  // Into editing first: on an empty table that inserts, and a new record drops what a browse
  // held.
  articles_.edit();
  change_enabled_ = false;
  clear_from(1);
  names_ = {};
  // The record holds from now on what a post without "Speichern" stores: the slot and the
  // level names empty.
  write_names();
  if (slot != catalogue::Slot::None) {
    number_.clear();
    number_slot_ = slot;
    number_dirty_ = true;
    articles_.set(catalogue::slot_number_field(slot), store::Value::text(""));
    articles_.set(catalogue::slot_path_field(slot), store::Value::text(""));
  }
  save_enabled_ = false;
  auto top = catalogue::read_level(db_, "0");
  if (top.empty()) return;
  levels_[0] = std::move(top);
  enabled_[0] = true;
}

void CategoryBrowser::choose(int level, std::optional<std::size_t> index, catalogue::Slot slot) {
  if (level < 1 || level > kLevels) return;
  auto& entries = levels_[level - 1];
  if (index && *index >= entries.size()) index.reset();
  if (level < kLevels) clear_from(level + 1);
  chosen_[level - 1] = index;
  names_ = {};
  number_.clear();
  number_slot_ = slot;
  number_dirty_ = slot != catalogue::Slot::None;
  std::string parent = index ? entries[*index].cat_id : std::string();
  auto children = catalogue::read_level(db_, parent);
  if (children.empty()) {
    number_ = parent;
    for (int i = 0; i < level; ++i) {
      if (chosen_[i]) names_[i] = levels_[i][*chosen_[i]].cat_name;
    }
    save_enabled_ = true;
    return;
  }
  save_enabled_ = false;
  if (level < kLevels) {
    levels_[level] = std::move(children);
    enabled_[level] = true;
  } else {
    // Deeper than five levels: the sub-categories join the last list, and a leaf chosen there
    // takes the fifth place in the path.
    entries.insert(entries.end(), children.begin(), children.end());
  }
}

void CategoryBrowser::save(catalogue::Slot slot) {
  // Worked out first: each write fires the change hook, which may call back into the browser.
  for (auto& [field, text] : catalogue::stored_category(names_, number_, slot)) {
    articles_.set(field, store::Value::text(std::move(text)));
  }
  number_dirty_ = false;
  articles_.post();
  save_enabled_ = false;
  change_enabled_ = true;
  clear_from(1);
}

bool CategoryBrowser::take(const catalogue::CategoryMatch& match, catalogue::Slot slot) {
  if (!match.leaf || match.names.empty()) return false;
  articles_.edit();
  names_ = catalogue::browse_names(match);
  number_ = match.cat_id;
  number_slot_ = slot;
  number_dirty_ = slot != catalogue::Slot::None;
  save(slot);
  return true;
}

void CategoryBrowser::reset() {
  clear_from(1);
  save_enabled_ = false;
}

void CategoryBrowser::write_names() {
  // A copy: each write fires the change hook, which may call back into the browser.
  const auto names = names_;
  for (int i = 0; i < kLevels; ++i)
    articles_.set(store::category_level(i + 1), store::Value::text(names[i]));
}

void CategoryBrowser::before_post() { change_enabled_ = true; }

void CategoryBrowser::discard_pending() {
  number_dirty_ = false;
  names_ = {};
  number_.clear();
  change_enabled_ = true;
}

}  // namespace tellvaro::presentation
