#pragma once

// The listing fees a send books to the seller's account: one `accountpos` row per charged
// feature, and the protocol lines that report them. Nothing is run here, so the send can put
// the fee rows and the auction row into one transaction.

#include <filesystem>
#include <string_view>

#include "catalogue/reference.h"
#include "store/field.h"
#include "upload/listing_rows.h"

namespace tellvaro::db {
class Connection;
}

namespace tellvaro::upload {

// True when `name` is a plain file name (no folder part) of a regular file in `folder`. A second or
// third picture is charged (and sent) only then.
bool picture_file_exists(const std::filesystem::path& folder, std::string_view name);

// Head lines: the total from `Gebühr` ("1.75 Euro: Gesamt Uploadkosten") and the rule of 62
// hyphens, also when nothing is charged. Then, in the order features are examined, one row and
// one line ("0.50 Euro: Hervorhebung: Fettschrift") per charged feature: a flag feature when its
// field is True, a second or third picture when its file exists in `c.picture_folder`, the
// subtitle when it is not empty, the reserve price when above 0; each only when its fee is
// above 0. The first picture is free.
FeeRows book_fees(const db::Connection& quoting, const store::Record& article,
                  const ArticleContext& c, const catalogue::FeatureFees& fees);

}  // namespace tellvaro::upload
