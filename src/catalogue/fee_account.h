#pragma once

// The seller's own fee rows in the auction house's account ("Meine Rechnungen").

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tellvaro::db {
class Connection;
}

namespace tellvaro::catalogue {

struct FeeRow {
  std::string date;  // as the server gives it, "2026-12-10 14:05:09"; empty when the row has none
  std::string auction, title, description;
  std::int64_t cents = 0;
};

// Rows whose dates begin alike ("2026-12") are summed together, newest first.
struct MonthSum {
  std::string month;  // the first seven characters of the rows' dates; empty for shorter ones
  std::int64_t cents = 0;
};

struct FeeStatement {
  std::vector<FeeRow> rows;      // newest first
  std::vector<MonthSum> months;  // newest first
  std::int64_t total_cents = 0;
};

// The seller's rows of `accountpos`, newest first.
std::string fee_rows_query(const db::Connection& db, std::string_view user_id);

// One statement; a failed read throws tellvaro::Error with a German message.
FeeStatement read_fee_statement(db::Connection& db, std::string_view user_id);

// "12.50", "-0.35", with "." as everywhere in the program.
std::string money_text(std::int64_t cents);

}  // namespace tellvaro::catalogue
