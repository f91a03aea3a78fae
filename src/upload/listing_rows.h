#pragma once

// What one sent article writes into the auction house: its fee rows and its auction row, as
// statements the send runs in one transaction.

#include <array>
#include <string>
#include <vector>

#include "catalogue/reference.h"
#include "store/field.h"

namespace tellvaro::db {
class Connection;
}

namespace tellvaro::upload {

// The per-article values the row statements are made from.
struct ArticleContext {
  std::string auction_number;
  std::string start_text, end_text;  // "2006.12.04 9:05:09", "2006.12.11 09:05:09"
  std::string seller_id;
  std::string picture_folder;                // ends with a separator
  std::array<std::string, 3> picture_names;  // "41.jpg", "41_2.jpg", "41_3.jpg" or empty
};

// The fee booking of one article: the protocol lines and, per booked item, its statement.
struct BookedFee {
  std::string statement;
  std::string line;
};
struct FeeRows {
  std::vector<std::string> head_lines;  // the total line and the rule
  std::vector<BookedFee> fees;
};

// The statements of one article's rows.
class ListingRows {
 public:
  virtual ~ListingRows() = default;
  virtual FeeRows fee_rows(const store::Record& article, const ArticleContext& c) = 0;
  virtual std::string auction_row(const store::Record& article, const ArticleContext& c) = 0;
};

// The auction house's rows: fee rows by the feature fees, the auction row with its value codes
// and payment text. Keeps references: the lists may be read again after construction.
class AuctionHouseRows : public ListingRows {
 public:
  AuctionHouseRows(const db::Connection& quoting, const catalogue::FeatureFees& fees,
                   const catalogue::PaymentNames& payments)
      : quoting_(quoting), fees_(fees), payments_(payments) {}
  // The rows keep references; a temporary would be gone before the first article.
  AuctionHouseRows(const db::Connection&, const catalogue::FeatureFees&&,
                   const catalogue::PaymentNames&) = delete;
  AuctionHouseRows(const db::Connection&, const catalogue::FeatureFees&,
                   const catalogue::PaymentNames&&) = delete;
  AuctionHouseRows(const db::Connection&, const catalogue::FeatureFees&&,
                   const catalogue::PaymentNames&&) = delete;
  FeeRows fee_rows(const store::Record& article, const ArticleContext& c) override;
  std::string auction_row(const store::Record& article, const ArticleContext& c) override;

 private:
  const db::Connection& quoting_;
  const catalogue::FeatureFees& fees_;
  const catalogue::PaymentNames& payments_;
};

}  // namespace tellvaro::upload
