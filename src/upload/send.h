#pragma once

// Sending the articles of the upload table to the auction house: the auction number, the
// auction period from the house's clock, the fee rows and the auction row in one transaction,
// the pictures by FTP, the protocol line by line, and the protocol mail at the end. What was
// listed is remembered as each article commits; a row listed before is sent again only when the
// seller says so.

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "net/net.h"
#include "session/session.h"
#include "store/field.h"
#include "upload/listed_rows.h"
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
  ListedRows* listed = nullptr;  // what was listed; none: every row counts as new
};

// The listing a row got in this run.
struct Listed {
  std::string auction_number;
  std::string title;
};

// The questions before a send, for rows listed before.
// "Dieser Artikel wurde am 10.12.2026 20:31:05 als Auktion 1000 eingestellt. Noch einmal
// einstellen?"
std::string send_again_question(const Listing& listing);
// How many of `total` were listed already, and the buttons: only the others (absent when all
// were listed), all, nothing.
std::string send_all_again_question(std::size_t listed, std::size_t total);
std::vector<std::string> send_all_again_buttons(std::size_t listed, std::size_t total);

// The lines naming what a run that broke off did list and did not.
std::vector<std::string> partial_run_lines(const std::vector<Listed>& listed,
                                           const std::vector<std::string>& not_listed);

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
  // "Alle Artikel senden": every record the upload table shows, in its order (those listed
  // before only when the seller chooses so).
  bool send_all();
  // The articles this run listed, in order.
  const std::vector<Listed>& listed() const { return listed_; }

  bool running() const { return running_; }
  const RunCounts& counts() const { return counts_; }
  const std::vector<std::string>& protocol_lines() const { return s_.protocol.lines(); }

 private:
  bool run(bool all);
  // The rows to send after asking about those listed before; empty when the seller declines.
  std::vector<std::size_t> rows_to_send(bool all);
  void add(const std::string& line);
  std::string take_auction_number();
  void send_article(std::size_t row, bool single);
  void send_pictures(const store::Record& article, ArticleContext& c);
  void forget_unless_live(const std::string& auction_number) noexcept;
  // Mails the protocol; the text for the closing message when nobody could be mailed.
  std::string send_mail();

  SendSetup s_;
  std::unique_ptr<net::FtpSession> ftp_;
  std::unique_ptr<net::WebClock> clock_;
  RunCounts counts_;
  std::vector<Listed> listed_;
  bool running_ = false;
  bool article_pending_ = false;  // an article's rows are begun and not committed
};

}  // namespace tellvaro::upload
