#include "catalogue/fee_account.h"

#include <cmath>
#include <cstdlib>

#include "db/connection.h"
#include "text/error.h"
#include "text/number.h"

namespace tellvaro::catalogue {
namespace {

constexpr const char* kMonths[] = {"Januar",    "Februar", "März",     "April",
                                   "Mai",       "Juni",    "Juli",     "August",
                                   "September", "Oktober", "November", "Dezember"};

// "2026-12-10 14:05:09" as the German date the window shows; other forms are shown as they are.
std::string german_date(const std::string& sql) {
  if (sql.size() < 10 || sql[4] != '-' || sql[7] != '-') return sql;
  std::string out = sql.substr(8, 2) + "." + sql.substr(5, 2) + "." + sql.substr(0, 4);
  if (sql.size() > 10) out += sql.substr(10);
  return out;
}

std::string month_of(const std::string& sql) {
  if (sql.size() < 7 || sql[4] != '-') return "ohne Datum";
  const int m = std::atoi(sql.substr(5, 2).c_str());
  if (m < 1 || m > 12) return "ohne Datum";
  return std::string(kMonths[m - 1]) + " " + sql.substr(0, 4);
}

}  // namespace

std::string fee_rows_query(const db::Connection& db, std::string_view user_id) {
  return "select date, auction_id, auction_title, description, value from accountpos where "
         "user_id=" +
         db.quoted(user_id) + " order by date desc, id desc";
}

FeeStatement read_fee_statement(db::Connection& db, std::string_view user_id) {
  auto result = db.query(fee_rows_query(db, user_id));
  if (!result) {
    throw Error("Die Rechnungen konnten nicht gelesen werden. " + db.last_error());
  }
  FeeStatement statement;
  std::string last_month_key;
  for (; !result->eof(); result->next()) {
    FeeRow row;
    const std::string date = result->text("date");
    row.date = german_date(date);
    row.auction = result->text("auction_id");
    row.title = result->text("auction_title");
    row.description = result->text("description");
    const std::string value = result->text("value");
    // Whole cents, so the sums carry no binary rounding.
    const auto amount = text::try_parse_number(value);
    if (!value.empty() && !amount) {
      throw Error("Die Rechnungen konnten nicht gelesen werden: der Betrag '" + value +
                  "' ist keine Zahl.");
    }
    row.cents = amount ? std::llround(*amount * 100) : 0;
    const std::string key = date.size() >= 7 ? date.substr(0, 7) : std::string();
    if (statement.months.empty() || key != last_month_key) {
      statement.months.push_back({month_of(date), 0});
      last_month_key = key;
    }
    statement.months.back().cents += row.cents;
    statement.total_cents += row.cents;
    statement.rows.push_back(std::move(row));
  }
  return statement;
}

std::string money_text(std::int64_t cents) {
  const std::int64_t a = cents < 0 ? -cents : cents;
  std::string frac = std::to_string(a % 100);
  if (frac.size() < 2) frac = "0" + frac;
  return (cents < 0 ? "-" : "") + std::to_string(a / 100) + "." + frac;
}

}  // namespace tellvaro::catalogue
