#pragma once

// Sending the articles of the upload table to the auction house: the auction number, the
// auction period from the house's clock, the fee rows and the auction row in one transaction,
// the pictures by FTP, the protocol line by line, and the protocol mail at the end. What was
// listed is remembered as each article commits; a row listed before is sent again only when the
// seller says so.
//
// A send comes in three steps: prepare_send() asks its questions and copies the articles,
// run_send() works on those copies and a connection of its own without asking anything (a
// window runs it on a worker thread, the command line directly), report_send() shows how it
// ended. Sender chains the three for callers that wait for the end.

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
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
class FrameFolder;
class Table;
}
namespace tellvaro::ports {
class Dialogs;
class Progress;
}  // namespace tellvaro::ports

namespace tellvaro::upload {

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

// The lines naming what a run that broke off did list and did not; `unsure` are those whose
// commit may or may not have happened (its answer lost, and the check failed too).
std::vector<std::string> partial_run_lines(const std::vector<Listed>& listed,
                                           const std::vector<std::string>& not_listed,
                                           const std::vector<Listed>& unsure = {});

// The protocol line of a listing found live after its commit's answer was lost.
std::string lost_confirmation_line(const std::string& auction_number, const std::string& why);

// The protocol line of a run of all articles stopped on request between two articles.
inline constexpr std::string_view kStoppedLine =
    "Der Versand wurde auf Wunsch nach dem laufenden Artikel angehalten.";

// Connections and requests of the last run, per service.
struct RunCounts {
  long ftp_connections = 0;
  long smtp_connections = 0;
  long http_connections = 0;
  long http_requests = 0;
  long articles = 0;  // auctions written
};

// What a run works on: copies of the rows to send, in order.
struct SendJob {
  bool all = false;  // "Alle Artikel senden" (progress, one FTP session for all, its texts)
  std::vector<store::Record> articles;  // as sent: a framed description filled in
  // The same rows as the upload table holds them, for the memory of listed rows (none: as sent).
  std::vector<store::Record> stored;
  std::vector<std::size_t> rows;  // where each stood in the upload table as shown
};

// Where a run sends to and as whom.
struct SendServices {
  session::ServiceConfig config;
  session::SessionUser user;
  std::string web_url;
  std::string picture_folder;  // ends with a separator
  net::Timeouts timeouts;
};

// What a run tells while it runs, on the thread that runs it, in the order it happens.
class SendEvents {
 public:
  virtual ~SendEvents() = default;
  virtual void protocol_cleared() {}
  virtual void protocol_line(const std::string& line) { (void)line; }
  // The file server and the clock answered: the protocol is worth looking at.
  virtual void show_protocol() {}
  // Only for a run of all articles: started with the count, one step per article, finished
  // also after an error.
  virtual void progress_started(std::size_t count) { (void)count; }
  virtual void progress_advanced() {}
  virtual void progress_finished() {}
  // The article at `index` of the job is taken up (a window marks its row).
  virtual void article_started(std::size_t index) { (void)index; }
  // The memory of listed rows changed (an article listed, or one whose commit failed taken
  // back); every listing it now holds.
  virtual void listings_changed(const std::vector<Listing>& listings) { (void)listings; }
  // Asked before every article but the first; true ends the run there, the articles listed so
  // far mailed as by a run that broke off.
  virtual bool stop_requested() { return false; }
};

// How a run ended.
struct SendOutcome {
  bool ok = false;
  bool stopped = false;        // on request, between two articles
  std::string error;           // for the error report; empty when there is none
  std::string notice;          // for a plain message (nobody could be mailed)
  std::vector<Listed> listed;  // what this run listed, in order
  std::vector<Listed> unsure;  // committed or not, nobody could tell (at most one)
  RunCounts counts;
  std::vector<std::string> lines;  // the run's protocol
};

// Before a run, on the caller's thread: the rows to send, copied from `shown` (the upload table
// as shown; `marked` is its current row, used when `all` is false). Asks about rows listed
// before; nothing when there is nothing to send, the seller declines, or a text the auction
// house would store as "?" stops it (the dialogs say so). An empty table also empties
// `protocol`. With `frames`, each description goes out in its frame, and a frame that is
// missing or broken stops it too.
std::optional<SendJob> prepare_send(const std::vector<store::Record>& shown,
                                    std::optional<std::size_t> marked, bool all,
                                    const ListedRows* listed, ports::Dialogs& dialogs,
                                    Protocol& protocol, const store::FrameFolder* frames = nullptr);

// The run: plain calls on `db` (its waits raised and batches of statements allowed for the run,
// both set back after), the file server, the clock and the mail server; asks nothing. `listed` (may be null) remembers each
// listing before its commit. Throws nothing: the outcome says how it ended.
SendOutcome run_send(const SendJob& job, const SendServices& services, db::Connection& db,
                     ListingRows& rows, ListedRows* listed, SendEvents& events);

// The outcome's message, if any, through the dialogs.
void report_send(const SendOutcome& outcome, ports::Dialogs& dialogs);

struct SendSetup {
  db::Connection& db;
  store::Table& uploads;
  ListingRows& rows;
  ports::Dialogs& dialogs;
  Protocol& protocol;                   // emptied when a send begins, then line by line
  ports::Progress* progress = nullptr;  // article k of N during a run of all articles
  std::function<void()> show_protocol_view;
  session::ServiceConfig config;
  session::SessionUser user;
  std::string web_url;
  std::string picture_folder;  // ends with a separator
  net::Timeouts timeouts;
  ListedRows* listed = nullptr;  // what was listed; none: every row counts as new
  const store::FrameFolder* frames = nullptr;  // the descriptions' frames
};

// The three steps in one call, for callers that wait for the end.
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
  const std::vector<Listed>& listed() const { return outcome_.listed; }
  const RunCounts& counts() const { return outcome_.counts; }
  const std::vector<std::string>& protocol_lines() const { return s_.protocol.lines(); }

 private:
  bool run(bool all);

  SendSetup s_;
  SendOutcome outcome_;
};

}  // namespace tellvaro::upload
