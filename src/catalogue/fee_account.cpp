#include "catalogue/fee_account.h"

#include <cmath>

#include "db/connection.h"
#include "text/error.h"
#include "text/number.h"

namespace tellvaro::catalogue {

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
  for (; !result->eof(); result->next()) {
    FeeRow row;
    row.date = result->text("date");
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
    const std::string month = row.date.size() >= 7 ? row.date.substr(0, 7) : std::string();
    if (statement.months.empty() || month != statement.months.back().month) {
      statement.months.push_back({month, 0});
    }
    statement.months.back().cents += row.cents;
    statement.total_cents += row.cents;
    statement.rows.push_back(std::move(row));
  }
  return statement;
}

std::string money_text(std::int64_t cents) {
  const std::int64_t a = cents < 0 ? -cents : cents;
  std::string frac = text::format_int(a % 100);
  if (frac.size() < 2) frac = "0" + frac;
  return (cents < 0 ? "-" : "") + text::format_int(a / 100) + "." + frac;
}

}  // namespace tellvaro::catalogue
