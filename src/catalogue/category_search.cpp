#include "catalogue/category_search.h"

#include <map>

#include "db/connection.h"
#include "text/cp1252.h"
#include "text/error.h"
#include "text/number.h"

namespace tellvaro::catalogue {
namespace {

// Deeper than any real tree; a chain that is still going there runs in a circle.
constexpr int kMaxDepth = 64;

[[noreturn]] void throw_unread(const db::Connection& db) {
  throw Error("Die Kategoriesuche ist fehlgeschlagen. " + db.last_error());
}

}  // namespace

std::string CategoryMatch::path() const {
  std::string out;
  for (const auto& n : names) {
    if (!out.empty()) out += " > ";
    out += n;
  }
  return out;
}

std::string category_match_query(const db::Connection& db, std::string_view text) {
  // instr rather than like: the user's % and _ are letters here, not wildcards. lower() on both
  // sides ignores letter case whatever the column's collation.
  return "select c.cat_id, c.parent_id, c.cat_name, exists(select * from categories k where "
         "k.parent_id = c.cat_id) as has_children from categories c where instr(lower(c.cat_name), "
         "lower(" +
         db.quoted(text) + ")) > 0 order by c.cat_name, c.cat_id limit " +
         text::format_int(kSearchMaxMatches);
}

std::string category_path_query(const db::Connection& db, const std::vector<std::string>& ids) {
  std::string list;
  for (const auto& id : ids) {
    if (!list.empty()) list += ",";
    list += db.quoted(id);
  }
  return "with recursive up (match_id, parent_id, cat_name, depth) as (select cat_id, parent_id, "
         "cat_name, 0 from categories where cat_id in (" +
         list +
         ") union all select up.match_id, c.parent_id, c.cat_name, up.depth + 1 from up join "
         "categories c on c.cat_id = up.parent_id where up.depth < " +
         text::format_int(kMaxDepth) +
         ") select match_id, parent_id, cat_name, depth from up order by match_id, depth";
}

bool searchable(std::string_view text) {
  return text::char_count(text::trim_blanks(text)) >= kSearchMinChars;
}

std::vector<CategoryMatch> search_categories(db::Connection& db, std::string_view text) {
  if (!searchable(text)) return {};
  text = text::trim_blanks(text);
  auto found = db.query(category_match_query(db, text));
  if (!found) throw_unread(db);
  std::vector<CategoryMatch> matches;
  std::vector<std::string> ids;
  for (; !found->eof(); found->next()) {
    CategoryMatch m;
    m.cat_id = found->text("cat_id");
    m.cat_name = std::string(text::first_chars(found->text("cat_name"), 255));
    m.leaf = found->text("has_children") != "1";
    ids.push_back(m.cat_id);
    matches.push_back(std::move(m));
  }
  if (matches.empty()) return matches;

  auto up = db.query(category_path_query(db, ids));
  if (!up) throw_unread(db);
  // Per match: the names from itself upwards, and whether the last one stands at the top.
  struct Chain {
    std::vector<std::string> names;
    bool reaches_top = false;
  };
  std::map<std::string, Chain> chains;
  for (; !up->eof(); up->next()) {
    Chain& chain = chains[up->text("match_id")];
    chain.names.push_back(std::string(text::first_chars(up->text("cat_name"), 255)));
    chain.reaches_top = up->text("parent_id") == "0";
  }
  std::vector<CategoryMatch> reachable;
  for (auto& m : matches) {
    auto it = chains.find(m.cat_id);
    if (it == chains.end() || !it->second.reaches_top) continue;
    m.names.assign(it->second.names.rbegin(), it->second.names.rend());
    reachable.push_back(std::move(m));
  }
  return reachable;
}

}  // namespace tellvaro::catalogue
