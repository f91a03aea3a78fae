#include "workspace/workspace.h"

#include <ctime>
#include <filesystem>
#include <optional>
#include <system_error>

#include "catalogue/fees.h"
#include "store/data_packet.h"
#include "store/files.h"
#include "store/table_commands.h"
#include "text/error.h"
#include "text/number.h"

namespace tellvaro::workspace {
namespace {

// Keeps the bytes of a table file that cannot be read beside it. Returns the copy's path, or
// nothing when no copy was made.
std::optional<std::string> keep_unreadable(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return std::nullopt;
  for (int n = 1; n < 100; ++n) {
    std::string copy = path + ".unlesbar" + (n == 1 ? "" : "-" + text::format_int(n));
    if (fs::exists(copy, ec)) continue;
    if (fs::copy_file(path, copy, ec)) return copy;
    return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

Workspace::Workspace(session::Deployment deployment, session::ServiceConfig config,
                     session::SessionUser user, std::string program_folder)
    : deployment_(std::move(deployment)),
      config_(std::move(config)),
      user_(std::move(user)),
      program_folder_(std::move(program_folder)),
      picture_folder_(store::data_path(program_folder_, store::kPictureFolder)),
      listed_(store::data_path(program_folder_, store::kListedFile)),
      frames_(program_folder_) {
  db_.on_notice([this](const std::string& line) { connection_notice_.notify(line); });
  store_.articles.set_post_rule([this](store::Record& article) {
    store::at(article, store::F::Gebuehr) =
        store::Value::amount(catalogue::compute_fees(fees_, article).total);
  });
}

// The connection goes after the signal its notices feed.
Workspace::~Workspace() { db_.on_notice(nullptr); }

std::vector<std::string> Workspace::load_tables() {
  std::vector<std::string> messages;
  for (auto [table, relative] : store_.standard_files()) {
    const auto path = store::data_path(program_folder_, relative);
    try {
      store::load_table(*table, path);
    } catch (const std::exception& e) {
      std::string text = e.what();
      if (auto copy = keep_unreadable(path)) {
        text += "\n\nDie Datei wurde unverändert als " + *copy + " aufbewahrt.";
      }
      messages.push_back(std::move(text));
    }
  }
  try {
    listed_.load();
  } catch (const std::exception& e) {
    std::string text = e.what();
    if (auto copy = keep_unreadable(listed_.path())) {
      text += "\n\nDie Datei wurde unverändert als " + *copy + " aufbewahrt.";
    }
    messages.push_back(std::move(text));
  }
  return messages;
}

void Workspace::save_tables() {
  store_.save_all(program_folder_);
  if (journal_) journal_->end();
}

void Workspace::save_standard_files() {
  store::save_standard_files(store_, program_folder_);
  if (journal_) {
    journal_->journal_of(store_.articles).rebase();
    journal_->journal_of(store_.uploads).rebase();
  }
}

store::Recovery Workspace::start_journal(bool restore) {
  journal_ = std::make_unique<store::RecoveryJournal>(store_, program_folder_);
  if (restore) {
    journal_->hold_all();
    store::Recovery r = store::restore_journals(store_, program_folder_);
    journal_->note_edits();
    journal_->release_all();
    return r;
  }
  // Whatever an earlier run left (nothing worth asking about) goes now.
  journal_->rebase_all();
  return {};
}

std::string Workspace::note_journal_edits() {
  if (!journal_) return {};
  journal_->note_edits();
  return journal_->take_error();
}

bool ask_about_earlier_journal(ports::Dialogs& dialogs, std::string_view program_folder) {
  const store::FoundJournals found = store::find_journals(program_folder);
  if (!found.worth_asking()) return false;
  const std::size_t answer =
      dialogs.choose(store::recovery_question(found),
                     {std::string(store::kRestoreButton), std::string(store::kDiscardButton)});
  if (answer == 0) return true;
  store::discard_journals(program_folder, std::time(nullptr));
  return false;
}

const upload::ColumnLimits* Workspace::column_limits() {
  if (!db_.connected() || runs_ > 0) return nullptr;
  if (!limits_ || limits_session_ != db_.session_id()) {
    try {
      auto limits = std::make_unique<upload::ColumnLimits>(upload::ColumnLimits::read(db_));
      limits_ = std::move(limits);
      limits_session_ = db_.session_id();
    } catch (const Error&) {
      limits_.reset();
    }
  }
  return limits_.get();
}

bool Workspace::connect(const std::function<void(const std::string&)>& status) {
  return session::open_auction_house(db_, config_, status);
}

upload::SendServices Workspace::send_services() const {
  return {config_, user_, deployment_.web_url, picture_folder_, {}};
}

importer::Services Workspace::import_services(db::Connection& db) const {
  return {db, session::ftp_endpoint(config_), {}, user_.id, picture_folder_, payments_};
}

Opening Workspace::open_auction_house() {
  Opening opening;
  connect([&opening](const std::string& line) { opening.status.push_back(line); });
  if (!db_.connected()) return opening;
  try {
    load_reference_lists();
  } catch (const std::exception& e) {
    opening.failure = e.what();
  }
  return opening;
}

void Workspace::load_reference_lists() {
  set_durations(catalogue::load_durations(db_));
  std::vector<std::string> bad_fees;
  set_feature_fees(catalogue::load_features(db_, &bad_fees));
  set_payment_names(catalogue::load_payments(db_));
  if (!bad_fees.empty()) {
    std::string text;
    for (const auto& line : bad_fees) text += (text.empty() ? "" : "\n") + line;
    throw Error(text);
  }
}

void Workspace::set_durations(std::vector<std::string> durations) {
  durations_ = std::move(durations);
  reference_lists_.notify();
}

void Workspace::set_feature_fees(const catalogue::FeatureFees& fees) {
  fees_ = fees;
  reference_lists_.notify();
}

void Workspace::set_payment_names(const catalogue::PaymentNames& names) {
  payments_ = names;
  reference_lists_.notify();
}

Workspace::Run::Run(Workspace& w) : w_(w) {
  if (w_.runs_++ == 0) w_.busy_change_.notify(true);
}

Workspace::Run::~Run() {
  if (--w_.runs_ == 0) {
    try {
      w_.busy_change_.notify(false);
    } catch (...) {
      // A view that fails to enable itself again must not end the program from here.
    }
  }
}

}  // namespace tellvaro::workspace
