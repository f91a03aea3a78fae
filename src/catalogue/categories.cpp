#include "catalogue/categories.h"

#include "catalogue/category_search.h"
#include "db/connection.h"
#include "store/table.h"
#include "text/cp1252.h"
#include "text/error.h"
#include "text/number.h"

namespace tellvaro::catalogue {
namespace {

constexpr std::size_t kKept = 255;

std::string kept(std::string s) { return std::string(text::first_chars(s, kKept)); }

// A failed read must not look like a level without entries.
[[noreturn]] void throw_unread(const db::Connection& db) {
  throw Error("Die Kategorien konnten nicht gelesen werden. " + db.last_error());
}

std::vector<CategoryEntry> read_children(db::Connection& db, std::string_view parent_id) {
  std::vector<CategoryEntry> entries;
  auto result = db.query(children_query(db, parent_id));
  if (!result) throw_unread(db);
  entries.reserve(result->row_count());
  for (; !result->eof(); result->next()) {
    entries.push_back({kept(result->text("cat_id")), kept(result->text("parent_id")),
                       kept(result->text("cat_name"))});
  }
  return entries;
}

store::F number_field(Slot slot) {
  return slot == Slot::First ? store::F::Kategorie_Nummer : store::F::Kategorie_Nummer_2;
}
store::F path_field(Slot slot) {
  return slot == Slot::First ? store::F::Kategorie : store::F::Kategorie_2;
}

}  // namespace

std::string children_query(const db::Connection& db, std::string_view parent_id) {
  return "select * from categories where (parent_id=" + db.quoted(parent_id) +
         ") order by cat_name";
}

std::vector<CategoryEntry> read_level(db::Connection& db, std::string_view parent_id) {
  std::vector<CategoryEntry> entries = read_children(db, parent_id);
  if (entries.empty()) return entries;
  // One statement finds every marker of the level: a far-away server answers a level of hundreds
  // of entries in two round trips instead of hundreds. Each entry gets its own test with the
  // children query's comparison, so the server's collation and column type decide exactly as
  // they would for that query (case, trailing blanks, umlauts, a number column against '012').
  std::string sql;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i) sql += " union all ";
    sql += "select " + text::format_int(i) +
           " as entry, exists(select * from categories where (parent_id=" +
           db.quoted(entries[i].cat_id) + ")) as has_children";
  }
  sql += " order by entry";
  auto result = db.query(sql);
  if (!result) throw_unread(db);
  for (; !result->eof(); result->next()) {
    auto i = text::try_parse_number(result->text("entry"));
    if (i && *i >= 0 && *i < static_cast<double>(entries.size())) {
      entries[static_cast<std::size_t>(*i)].has_children = result->text("has_children") == "1";
    }
  }
  return entries;
}

std::vector<CategoryEntry> read_level_per_entry(db::Connection& db, std::string_view parent_id) {
  std::vector<CategoryEntry> entries = read_children(db, parent_id);
  for (auto& e : entries) {
    auto result = db.query(children_query(db, e.cat_id));
    e.has_children = result && result->row_count() > 0;
  }
  return entries;
}

std::string category_path(const std::array<std::string, 5>& names) {
  std::string path = names[0];
  for (std::size_t i = 1; i < names.size(); ++i) {
    if (!names[i].empty()) path += " > " + names[i];
  }
  return path;
}

std::array<std::string, 5> browse_names(const CategoryMatch& match) {
  std::array<std::string, 5> names;
  const std::size_t depth = match.names.size();
  for (std::size_t i = 0; i < depth && i < names.size(); ++i) names[i] = match.names[i];
  // A browse below the fifth level lists the deeper entries in the fifth list, so the leaf
  // takes the fifth place there.
  if (depth > names.size()) names.back() = match.names.back();
  return names;
}

std::vector<std::pair<store::F, std::string>> stored_category(
    const std::array<std::string, 5>& names, std::string_view number, Slot slot) {
  std::vector<std::pair<store::F, std::string>> values;
  if (slot != Slot::None) {
    values.emplace_back(path_field(slot), category_path(names));
    values.emplace_back(number_field(slot), std::string(number));
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    values.emplace_back(store::category_level(static_cast<int>(i) + 1), names[i]);
  }
  return values;
}

CategoryBrowser::CategoryBrowser(db::Connection& db, store::Table& articles)
    : db_(db), articles_(articles) {}

std::optional<std::string> CategoryBrowser::pending_number(Slot slot) const {
  if (number_dirty_ && slot != Slot::None && slot == number_slot_) return number_;
  return std::nullopt;
}

std::string CategoryBrowser::path() const { return category_path(names_); }

void CategoryBrowser::clear_from(int level) {
  for (int i = level; i <= kLevels; ++i) {
    levels_[i - 1].clear();
    enabled_[i - 1] = false;
    chosen_[i - 1].reset();
  }
}

void CategoryBrowser::start(Slot slot) {
  // Into editing first: on an empty table that inserts, and a new record drops what a browse
  // held.
  articles_.edit();
  change_enabled_ = false;
  clear_from(1);
  names_ = {};
  // The record holds from now on what a post without "Speichern" stores: the slot and the
  // level names empty.
  write_names();
  if (slot != Slot::None) {
    number_.clear();
    number_slot_ = slot;
    number_dirty_ = true;
    articles_.set(number_field(slot), store::Value::text(""));
    articles_.set(path_field(slot), store::Value::text(""));
  }
  save_enabled_ = false;
  auto top = read_level(db_, "0");
  if (top.empty()) return;
  levels_[0] = std::move(top);
  enabled_[0] = true;
}

void CategoryBrowser::choose(int level, std::optional<std::size_t> index, Slot slot) {
  if (level < 1 || level > kLevels) return;
  auto& entries = levels_[level - 1];
  if (index && *index >= entries.size()) index.reset();
  if (level < kLevels) clear_from(level + 1);
  chosen_[level - 1] = index;
  names_ = {};
  number_.clear();
  number_slot_ = slot;
  number_dirty_ = slot != Slot::None;
  std::string parent = index ? entries[*index].cat_id : std::string();
  auto children = read_level(db_, parent);
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

void CategoryBrowser::save(Slot slot) {
  // Worked out first: each write fires the change hook, which may call back into the browser.
  for (auto& [field, text] : stored_category(names_, number_, slot)) {
    articles_.set(field, store::Value::text(std::move(text)));
  }
  number_dirty_ = false;
  articles_.post();
  save_enabled_ = false;
  change_enabled_ = true;
  clear_from(1);
}

bool CategoryBrowser::take(const CategoryMatch& match, Slot slot) {
  if (!match.leaf || match.names.empty()) return false;
  articles_.edit();
  names_ = browse_names(match);
  number_ = match.cat_id;
  number_slot_ = slot;
  number_dirty_ = slot != Slot::None;
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

}  // namespace tellvaro::catalogue
