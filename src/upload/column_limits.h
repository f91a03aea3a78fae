#pragma once

// How much text the auction house's columns hold, as its own server defines them: a site may
// run `VARCHAR(255)` titles or a `TEXT` description. The server cuts a text that is too long
// with no more than a warning, so a send measures every text first.

#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "store/field.h"

namespace tellvaro::db {
class Connection;
}

namespace tellvaro::upload {

struct ColumnLimit {
  std::size_t chars = 0;  // characters
  std::size_t bytes = 0;  // bytes in the column's character set
  std::string charset;    // "latin1", "utf8mb4", ...
};

// A text of the article as a send writes it, and where it goes.
struct SentText {
  store::F field;
  const char* table;
  const char* column;
  std::string value;
};
// Every text a send writes as the seller typed it.
std::vector<SentText> sent_texts(const store::Record& article);

class ColumnLimits {
 public:
  ColumnLimits() = default;
  // The text columns of `auctions` and `accountpos` in the connection's database; throws
  // tellvaro::Error when the server cannot be asked.
  static ColumnLimits read(db::Connection& db);

  void set(const std::string& table, const std::string& column, ColumnLimit limit);
  // The lines of the texts of `article` that do not fit, one per field ("Beschreibung: 73511
  // Zeichen, die Spalte fasst 65535 Byte"); empty when all fit.
  std::vector<std::string> too_long(const store::Record& article) const;

 private:
  std::map<std::pair<std::string, std::string>, ColumnLimit> limits_;  // lower-case names
};

// "Der Artikel "X" hat Texte, die das Auktionshaus nur gekürzt speichern würde:" and a line per
// field that does not fit; empty when every text fits.
std::string too_long_text(const store::Record& article, const ColumnLimits& limits);

// The send's message for the articles whose texts do not fit, naming each article and its
// fields; empty when every text fits.
std::string too_long_message(const std::vector<store::Record>& articles,
                             const ColumnLimits& limits);

}  // namespace tellvaro::upload
