#include "presentation/labels.h"

#include <charconv>
#include <cstdlib>

#include "catalogue/categories.h"
#include "text/number.h"
#include "upload/listed_rows.h"

namespace tellvaro::presentation {
namespace {

std::string panel(std::string_view caption, const std::string& value) {
  return std::string(caption) + " " + value;
}

constexpr const char* kMonths[] = {"Januar",    "Februar", "März",     "April",
                                   "Mai",       "Juni",    "Juli",     "August",
                                   "September", "Oktober", "November", "Dezember"};

}  // namespace

std::string articles_panel(std::size_t count) {
  return panel(kArticlesPanel, text::format_int(count));
}

std::string uploads_panel(std::size_t count) {
  return panel(kUploadsPanel, text::format_int(count));
}

std::string upload_total_panel(double total) {
  return panel(kUploadTotalPanel, text::format_number(total));
}

std::string current_import_caption(std::size_t count) {
  return text::format_int(count) + " Aktuelle Artikel importieren";
}

std::string expired_import_caption(std::size_t count) {
  return text::format_int(count) + " Abgelaufene Artikel importieren";
}

RowMark listed_row_mark(const upload::Listing& listing) {
  return {"\u2714 " + listing.auction_number, "Eingestellt am " +
                                                  upload::listing_time_text(listing.when) +
                                                  " als Auktion " + listing.auction_number};
}

std::string fee_label(double fee) { return "( " + text::format_money(fee) + " € )"; }

std::string category_entry_label(const catalogue::CategoryEntry& entry, bool top_level) {
  if (!entry.has_children) return entry.cat_name;
  return entry.cat_name + (top_level ? " -->" : " ->");
}

catalogue::Slot category_slot(std::string_view caption) {
  if (caption == "Kat 1") return catalogue::Slot::First;
  if (caption == "Kat 2") return catalogue::Slot::Second;
  return catalogue::Slot::None;
}

std::string fee_row_date(std::string_view server_date) {
  const std::string sql(server_date);
  if (sql.size() < 10 || sql[4] != '-' || sql[7] != '-') return sql;
  std::string out = sql.substr(8, 2) + "." + sql.substr(5, 2) + "." + sql.substr(0, 4);
  if (sql.size() > 10) out += sql.substr(10);
  return out;
}

std::string fee_month_caption(std::string_view month) {
  const std::string sql(month);
  if (sql.size() < 7 || sql[4] != '-') return "ohne Datum";
  int m = 0;
  std::from_chars(sql.data() + 5, sql.data() + 7, m);
  if (m < 1 || m > 12) return "ohne Datum";
  return std::string(kMonths[m - 1]) + " " + sql.substr(0, 4);
}

}  // namespace tellvaro::presentation
