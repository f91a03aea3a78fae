#pragma once

// The row a sent article becomes in `auctions`: its 48 values and the insert statement.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/reference.h"
#include "store/field.h"
#include "upload/listing_rows.h"

namespace tellvaro::db {
class Connection;
}
namespace tellvaro::store {
class FrameFolder;
}

namespace tellvaro::upload {

// A field of the record read as text (null as the empty text).
std::string field_text(const store::Record& article, store::F field);

// "1" when any of `Bild1` to `Bild3` names a file (whether it exists or not), else "0".
std::string photo_flag(const store::Record& article);

// Each ticked payment's name followed by a blank and a line feed, in slot order. The line feed
// is real: quoting turns it into the statement's backslash-n.
std::string payment_text(const store::Record& article, const catalogue::PaymentNames& names);

// "41.jpg", "41_2.jpg", "41_3.jpg" for slots 1 to 3.
std::string picture_name(std::string_view auction_number, int slot);

// The article as the send writes it: `Beschreibung` holding the description with its frame
// filled in (see store::FrameFolder::framed), so every check of a sent text sees what is sent.
// Nothing when the frame is missing or broken; `problem` then says why. Without `frames` the
// article as it is.
std::optional<store::Record> as_sent(const store::Record& article, const store::FrameFolder* frames,
                                     std::string* problem = nullptr);

// `Beschreibung` with every apostrophe turned into "´".
std::string listing_description(const store::Record& article);

// A sent text holding characters the auction house cannot store: its database, its mails and
// its pages are Windows-1252, and the wire would turn each of them into "?".
struct UnstorableText {
  store::F field;
  std::vector<std::string> chars;  // each character once, in order of appearance
};
// The fields whose texts a send writes as they are (coded fields map to their codes anyway).
std::vector<UnstorableText> unstorable_texts(const store::Record& article);
// "Der Artikel "Łódź Vase" enthält Zeichen, die das Auktionshaus nicht speichern kann: ..." with
// one line per field and its characters; empty when everything can be stored.
std::string unstorable_message(const store::Record& article);

struct ColumnValue {
  std::string_view column;
  std::string value;
  bool quoted = true;  // false only for the three fixed zeros
};

// The 48 values in column order.
std::vector<ColumnValue> auction_row(const store::Record& article, const ArticleContext& send,
                                     const catalogue::PaymentNames& names);

// "insert into auctions (...) values(...)" with every value quoted by `quoting` (which need not
// be connected).
std::string auction_insert(const db::Connection& quoting, const std::vector<ColumnValue>& row);
std::string auction_insert(const db::Connection& quoting, const store::Record& article,
                           const ArticleContext& send, const catalogue::PaymentNames& names);

}  // namespace tellvaro::upload
