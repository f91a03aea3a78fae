#pragma once

// What one logged-in run works on, without any window: the deployment values, the service
// configuration, the seller, the program and picture folders, the three tables, the one
// auction-house connection, the reference lists read from it, the upload protocol, and the busy
// state of a long run. It attaches the fee rule to the article table, so a post anywhere (the
// editor, a transfer, a copy) stores the same `Gebühr`. main.cpp owns it; the windows and their
// controllers take a reference and never own any of this.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/reference.h"
#include "db/connection.h"
#include "import/auction_import.h"
#include "ports/dialogs.h"
#include "ports/signal.h"
#include "session/session.h"
#include "store/article_store.h"
#include "store/description_frames.h"
#include "store/journal.h"
#include "upload/column_limits.h"
#include "upload/listed_rows.h"
#include "upload/protocol.h"
#include "upload/send.h"

namespace tellvaro::workspace {

// What opening the auction house for a main window left behind, to be shown once it is there.
struct Opening {
  std::vector<std::string> status;  // the connection's status lines
  std::string failure;              // why a reference list could not be read, "" when none
};

class Workspace {
 public:
  Workspace(session::Deployment deployment, session::ServiceConfig config,
            session::SessionUser user, std::string program_folder);
  ~Workspace();
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  const session::Deployment& deployment() const { return deployment_; }
  const session::ServiceConfig& config() const { return config_; }
  const session::SessionUser& user() const { return user_; }
  const std::string& program_folder() const { return program_folder_; }  // ends with "/"
  const std::string& picture_folder() const { return picture_folder_; }  // ends with "/"

  // The description frames of the data folder.
  store::FrameFolder& frames() { return frames_; }
  store::ArticleStore& store() { return store_; }
  store::Table& articles() { return store_.articles; }
  store::Table& uploads() { return store_.uploads; }
  store::Table& imports() { return store_.imports; }
  db::Connection& db() { return db_; }
  upload::Protocol& protocol() { return protocol_; }
  // What was listed from the upload table, read with the tables.
  upload::ListedRows& listed() { return listed_; }
  // How much text the auction house's columns hold, read once per session of the connection;
  // none without a connection or when the server could not be asked (the send reads them
  // again and stops there).
  const upload::ColumnLimits* column_limits();

  // --- the tables' standard files ---
  // Loads the three tables and the memory of listed rows; one message per file that could not
  // be read (that table stays empty). Such a file would be overwritten by the next save, so its
  // bytes are kept beside it first and the message names the copy.
  std::vector<std::string> load_tables();
  // Saves the three tables (a pending edit is posted first); a failure throws tellvaro::Error.
  // The recovery journal ends with a successful save.
  void save_tables();
  // "&Speichern": the article and upload tables; their journals start afresh.
  void save_standard_files();

  // --- the recovery journal (the window's run; the command line keeps none) ---
  // Starts it over the tables as just loaded. With `restore`, the journals an earlier run left
  // are applied first (see store::restore_journals).
  store::Recovery start_journal(bool restore);
  // Every second: the records being typed. Returns a failure to write, once ("" when none).
  std::string note_journal_edits();
  store::RecoveryJournal* journal() { return journal_.get(); }

  // --- the auction house ---
  // Opens the connection the way the login does; `status` receives its two status lines.
  bool connect(const std::function<void(const std::string&)>& status);
  void disconnect() { db_.close(); }
  // Connects and reads the reference lists: everything a main window waits for from the
  // auction house before it opens. It touches no window, so it may run off the window's thread
  // before the window exists.
  Opening open_auction_house();
  // What the connection notes on its own later (a session opened again, a lost one).
  [[nodiscard]] ports::Subscription on_connection_notice(
      std::function<void(const std::string&)> f) {
    return connection_notice_.connect(std::move(f));
  }
  // What a send and an import work with, put together here once for the window's runs and the
  // command line: the services the configuration names, the seller, the picture folder.
  upload::SendServices send_services() const;
  importer::Services import_services(db::Connection& db) const;

  // Reads durations, feature fees and payment names once. A list that cannot be read throws
  // tellvaro::Error (the lists read before it stay). Fees that are no number are left out; once
  // all lists are read they are reported together by throwing tellvaro::Error.
  void load_reference_lists();
  const std::vector<std::string>& durations() const { return durations_; }
  const catalogue::FeatureFees& feature_fees() const { return fees_; }
  const catalogue::PaymentNames& payment_names() const { return payments_; }
  // Also the way tests give the lists without a database.
  void set_durations(std::vector<std::string> durations);
  void set_feature_fees(const catalogue::FeatureFees& fees);
  void set_payment_names(const catalogue::PaymentNames& names);
  // A list changed (read or set); the editor repaints its fee texts and choices.
  [[nodiscard]] ports::Subscription on_reference_lists(std::function<void()> f) {
    return reference_lists_.connect(std::move(f));
  }

  // --- long runs ---
  // Marks the workspace busy while it lives (send all, import): the views disable what would
  // change the tables the run walks or share the connection. Runs may nest.
  class Run {
   public:
    explicit Run(Workspace& w);
    ~Run();
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

   private:
    Workspace& w_;
  };
  bool busy() const { return runs_ > 0; }
  [[nodiscard]] ports::Subscription on_busy_change(std::function<void(bool busy)> f) {
    return busy_change_.connect(std::move(f));
  }

 private:
  session::Deployment deployment_;
  session::ServiceConfig config_;
  session::SessionUser user_;
  std::string program_folder_;
  std::string picture_folder_;
  upload::ListedRows listed_;
  store::FrameFolder frames_;
  store::ArticleStore store_;
  std::unique_ptr<store::RecoveryJournal> journal_;  // after store_: listens to its tables
  db::Connection db_;
  upload::Protocol protocol_;
  std::unique_ptr<upload::ColumnLimits> limits_;
  std::uint64_t limits_session_ = 0;
  std::vector<std::string> durations_;
  catalogue::FeatureFees fees_;
  catalogue::PaymentNames payments_;
  int runs_ = 0;
  ports::Signal<> reference_lists_;
  ports::Signal<bool> busy_change_;
  ports::Signal<const std::string&> connection_notice_;
};

// At a start: when the journals of a run that did not end cleanly hold changes, asks whether to
// restore them. "Verwerfen" (or closing the question) keeps them as dated copies. True to
// restore.
bool ask_about_earlier_journal(ports::Dialogs& dialogs, std::string_view program_folder);

}  // namespace tellvaro::workspace
