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

store::F slot_number_field(Slot slot) {
  return slot == Slot::First ? store::F::Kategorie_Nummer : store::F::Kategorie_Nummer_2;
}
store::F slot_path_field(Slot slot) {
  return slot == Slot::First ? store::F::Kategorie : store::F::Kategorie_2;
}

std::vector<std::pair<store::F, std::string>> stored_category(
    const std::array<std::string, 5>& names, std::string_view number, Slot slot) {
  std::vector<std::pair<store::F, std::string>> values;
  if (slot != Slot::None) {
    values.emplace_back(slot_path_field(slot), category_path(names));
    values.emplace_back(slot_number_field(slot), std::string(number));
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    values.emplace_back(store::category_level(static_cast<int>(i) + 1), names[i]);
  }
  return values;
}

}  // namespace tellvaro::catalogue
