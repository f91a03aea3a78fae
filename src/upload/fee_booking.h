#pragma once

// The listing fees a send books to the seller's account: one `accountpos` row per charged
// feature, and the protocol lines that report them. Nothing is run here, so the send can put
// the fee rows and the auction row into one transaction.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/reference.h"
#include "store/field.h"
#include "upload/auction_row.h"

namespace tellvaro::db {
class Connection;
}

namespace tellvaro::upload {

// True when `name` is not empty and names a regular file in `folder`. The fee booking and the
// picture transfer both charge and send a picture only then.
bool picture_file_exists(const std::filesystem::path& folder, std::string_view name);

struct FeeItem {
  catalogue::Feature feature;
  double fee = 0;
  std::string_view description;  // the row's `description`: "Hervorhebung: Fettschrift", ...
  std::string statement;         // "insert into accountpos (...) values(...)"
  std::string protocol_line;     // "0.50 Euro: Hervorhebung: Fettschrift"
};

struct FeeBooking {
  // The total from `Gebühr` ("1.75 Euro: Gesamt Uploadkosten") and the rule of 62 hyphens:
  // written before any item, also when nothing is charged.
  std::vector<std::string> head;
  std::vector<FeeItem> items;  // in the order features are examined

  std::vector<std::string> statements() const;
  std::vector<std::string> protocol_lines() const;  // head, then one line per item
};

// Charged: a flag feature when its field is True, a second or third picture when its file
// exists in `picture_folder`, the subtitle when it is not empty, the reserve price when above 0;
// each only when its fee is above 0. The first picture is free.
FeeBooking book_fees(const db::Connection& quoting, const store::Record& article,
                     const SendValues& send, const catalogue::FeatureFees& fees,
                     const std::filesystem::path& picture_folder);

}  // namespace tellvaro::upload
