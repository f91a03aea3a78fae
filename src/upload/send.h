#pragma once

// Sending the articles of the upload table to the auction house: the auction number, the
// auction period from the house's clock, the fee rows and the auction row in one transaction,
// the pictures by FTP, the protocol line by line, and the protocol mail at the end.

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "net/net.h"
#include "session/session.h"
#include "store/field.h"
#include "upload/listing_rows.h"
#include "upload/protocol.h"

namespace tellvaro::db {
class Connection;
}
namespace tellvaro::store {
class Table;
}
namespace tellvaro::ports {
class Dialogs;
class Progress;
class Pump;
}  // namespace tellvaro::ports

namespace tellvaro::upload {

struct SendSetup {
  db::Connection& db;
  store::Table& uploads;
  ListingRows& rows;
  ports::Dialogs& dialogs;
  ports::Pump& pump;
  Protocol& protocol;                   // emptied when a send begins, then line by line
  ports::Progress* progress = nullptr;  // article k of N during a run of all articles
  std::function<void()> show_protocol_view;
  session::ServiceConfig config;
  session::SessionUser user;
  std::string web_url;
  std::string picture_folder;  // ends with a separator
  net::Timeouts timeouts;
};

// Connections and requests of the last run, per service.
struct RunCounts {
  long ftp_connections = 0;
  long smtp_connections = 0;
  long http_connections = 0;
  long http_requests = 0;
  long articles = 0;  // auctions written
};

class Sender {
 public:
  explicit Sender(SendSetup setup);
  ~Sender();

  // "Markierten Artikel senden": the current record of the upload table. False when nothing
  // was sent or the run stopped at an error (reported through the dialogs and the protocol).
  bool send_marked();
  // "Alle Artikel senden": every record the upload table shows, in its order.
  bool send_all();

  bool running() const { return running_; }
  const RunCounts& counts() const { return counts_; }
  const std::vector<std::string>& protocol_lines() const { return s_.protocol.lines(); }

 private:
  bool run(bool all);
  void add(const std::string& line);
  std::string take_auction_number();
  void send_article(std::size_t row, bool single);
  void send_pictures(const store::Record& article, ArticleContext& c);
  void send_mail();

  SendSetup s_;
  std::unique_ptr<net::FtpSession> ftp_;
  std::unique_ptr<net::WebClock> clock_;
  RunCounts counts_;
  bool running_ = false;
  bool article_pending_ = false;  // an article's rows are begun and not committed
};

}  // namespace tellvaro::upload
