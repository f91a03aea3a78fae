#include "cli/commands.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/fee_account.h"
#include "cli/articles.h"
#include "cli/console.h"
#include "cli/password.h"
#include "import/auction_import.h"
#include "presentation/labels.h"
#include "store/csv.h"
#include "store/file_io.h"
#include "store/files.h"
#include "store/folder_lock.h"
#include "store/table.h"
#include "text/error.h"
#include "text/number.h"
#include "upload/listed_rows.h"
#include "upload/send.h"
#include "upload/transfer.h"
#include "workspace/workspace.h"

namespace tellvaro::cli {
namespace {

constexpr const char* kFolderInUse =
    "Tellvaro läuft bereits mit diesem Datenordner (im Fenster oder als tellvaro-cli). Der "
    "Befehl wurde nicht ausgeführt; bitte später noch einmal versuchen.";

std::string money(double amount) {
  return catalogue::money_text(static_cast<std::int64_t>(std::llround(amount * 100))) + " €";
}

// A folder of its own for trying the picture rules, gone with the object.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tellvaro-cli-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
      throw Error("Ein vorläufiger Ordner für die Prüfung der Bilder kann nicht angelegt werden.");
    }
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// What a logged-in command works on.
struct Session {
  std::unique_ptr<store::FolderLock> lock;
  std::unique_ptr<workspace::Workspace> workspace;
};

// The password, the data folder and the login, in the window's order. Absent with the exit code
// set when the command cannot go on.
std::optional<Session> log_in(const Options& o, const session::Deployment& deployment,
                              std::ostream& err, int& exit_code) {
  const bool terminal = ::isatty(STDIN_FILENO) != 0;
  const auto prompt = [&] { return prompt_password("Passwort für " + o.user + ": "); };
  std::optional<Password> password;
  std::string missing;
  try {
    password =
        find_password({o.password_file, terminal}, std::getenv(kPasswordVariable), missing, prompt);
  } catch (const Error& e) {
    err << e.what() << '\n';
    exit_code = kBadCall;
    return std::nullopt;
  }
  // Nothing started from here needs it.
  ::unsetenv(kPasswordVariable);
  if (!password) {
    err << missing << '\n';
    exit_code = kBadCall;
    return std::nullopt;
  }

  Session s;
  const std::string root = store::data_root();
  s.lock = std::make_unique<store::FolderLock>(root);
  if (!s.lock->held()) {
    err << (s.lock->held_elsewhere() ? std::string(kFolderInUse) : s.lock->error()) << '\n';
    exit_code = kBadCall;
    return std::nullopt;
  }

  session::Login login(deployment, root);
  std::vector<std::string> lines;
  const session::Login::Status status{[&] { lines.clear(); },
                                      [&](const std::string& line) { lines.push_back(line); }};
  const auto say_lines = [&] {
    for (const std::string& line : lines) err << line << '\n';
  };
  for (;;) {
    session::LoginResult result{session::LoginOutcome::TryAgain, {}};
    try {
      result = login.run(o.user, password->text, status);
    } catch (const Error& e) {
      say_lines();
      err << e.what() << '\n';
      exit_code = kNoLogin;
      return std::nullopt;
    }
    switch (result.outcome) {
      case session::LoginOutcome::OpenMainWindow:
        break;
      case session::LoginOutcome::TryAgain:
        say_lines();
        // A typed password may be typed again, as in the window, up to the third failure.
        if (password->prompted && login.failed_attempts() > 0) {
          if (auto again = prompt()) {
            password->text = *again;
            continue;
          }
        }
        if (login.failed_attempts() == 0) {
          err << "Die Anmeldung ist für dieses Konto nicht möglich.\n";
        }
        exit_code = kNoLogin;
        return std::nullopt;
      case session::LoginOutcome::ShowAndStay:
        say_lines();
        err << result.message << '\n';
        exit_code = kBadCall;
        return std::nullopt;
      case session::LoginOutcome::ShowAndEnd:
        say_lines();
        err << result.message << '\n';
        exit_code = kNoLogin;
        return std::nullopt;
    }
    break;
  }

  s.workspace = std::make_unique<workspace::Workspace>(login.deployment(), login.config(),
                                                       login.user(), root);
  lines.clear();
  if (!s.workspace->connect([&](const std::string& line) { lines.push_back(line); })) {
    say_lines();
    exit_code = kNoLogin;
    return std::nullopt;
  }
  return s;
}

bool load_lists(workspace::Workspace& ws, std::ostream& err) {
  try {
    ws.load_reference_lists();
    return true;
  } catch (const Error& e) {
    err << e.what() << '\n';
    return false;
  }
}

// The file read and every good row made ready against `attach`; the rows left out as problems.
struct CheckedFile {
  std::vector<PreparedArticle> articles;
  store::CsvImport read;
};

CheckedFile check_file(const std::string& path, workspace::Workspace& ws,
                       const std::string& attach) {
  CheckedFile f;
  f.read = store::read_articles_csv(store::detail::read_whole_file(path));
  const Folders folders{folder_of(path), ws.picture_folder(), attach, &ws.frames()};
  // A text the auction house would cut is named here already, as the send would stop there.
  const upload::ColumnLimits* limits = ws.column_limits();
  for (std::size_t i = 0; i < f.read.records.size(); ++i) {
    f.articles.push_back(prepare_article(f.read.records[i], f.read.sources[i], ws.feature_fees(),
                                         folders, limits));
  }
  return f;
}

// Every row of the file in line order: what it would cost, or why it would not be sent; with
// `only_refused` only the latter.
void print_check(const CheckedFile& f, std::ostream& out, bool only_refused = false) {
  struct Line {
    std::size_t line;
    std::string text;
  };
  std::vector<Line> lines;
  for (const PreparedArticle& a : f.articles) {
    if (only_refused && !a.problem) continue;
    std::string text = "Zeile " + text::format_int(a.line) + ": \"" + a.title + "\" ";
    text += a.problem ? "unvollständig: " + *a.problem : "vollständig, Gebühr " + money(a.fee);
    lines.push_back({a.line, text});
  }
  for (std::size_t i = 0; i < f.read.problems.size(); ++i) {
    lines.push_back({f.read.skipped_lines[i], "nicht lesbar: " + f.read.problems[i]});
  }
  std::stable_sort(lines.begin(), lines.end(),
                   [](const Line& a, const Line& b) { return a.line < b.line; });
  for (const Line& l : lines) out << l.text << '\n';
}

std::size_t complete_count(const CheckedFile& f) {
  return static_cast<std::size_t>(std::count_if(f.articles.begin(), f.articles.end(),
                                                [](const auto& a) { return !a.problem; }));
}

// Every picture is tried where nothing is kept: a refused call leaves no file behind.
std::optional<CheckedFile> check_in_scratch(const Options& o, workspace::Workspace& ws,
                                            std::ostream& err) {
  try {
    const ScratchFolder scratch;
    return check_file(o.file, ws, scratch.path());
  } catch (const Error& e) {
    err << e.what() << '\n';
    return std::nullopt;
  }
}

int check_command(const Options& o, workspace::Workspace& ws, std::ostream& out,
                  std::ostream& err) {
  if (!load_lists(ws, err)) return kNoLogin;
  const std::optional<CheckedFile> checked = check_in_scratch(o, ws, err);
  if (!checked) return kBadCall;
  const CheckedFile& f = *checked;
  if (f.articles.empty() && f.read.problems.empty()) {
    err << "Die Datei " << o.file << " enthält keine Artikel.\n";
    return kBadCall;
  }
  print_check(f, out);
  const std::size_t complete = complete_count(f);
  double fees = 0;
  for (const auto& a : f.articles) {
    if (!a.problem) fees += a.fee;
  }
  const std::size_t incomplete = f.articles.size() - complete;
  out << complete << " vollständig, " << incomplete << " unvollständig, " << f.read.problems.size()
      << " nicht lesbar. Gebühren der vollständigen Artikel: " << money(fees) << '\n';
  return complete == f.articles.size() && f.read.problems.empty() ? kDone : kPartly;
}

int send_command(const Options& o, workspace::Workspace& ws, std::ostream& out, std::ostream& err) {
  if (!load_lists(ws, err)) return kNoLogin;
  std::optional<CheckedFile> checked = check_in_scratch(o, ws, err);
  if (!checked) return kBadCall;
  CheckedFile& f = *checked;
  const std::size_t complete = complete_count(f);
  const std::size_t refused = f.articles.size() - complete + f.read.problems.size();
  print_check(f, err, true);
  if (complete == 0) {
    err << "Kein vollständiger Artikel in " << o.file << "; es wurde nichts gesendet.\n";
    return kBadCall;
  }
  if (refused > 0 && !o.only_complete) {
    err << refused << (refused == 1 ? " Artikel ist" : " Artikel sind")
        << " unvollständig oder nicht lesbar; es wurde nichts gesendet. Mit --nur-vollstaendige "
           "werden nur die vollständigen gesendet.\n";
    return kBadCall;
  }

  for (const std::string& m : ws.load_tables()) err << m << '\n';
  // Now into the picture folder, as the editor would have stored them.
  const Folders folders{folder_of(o.file), ws.picture_folder(), ws.picture_folder(), &ws.frames()};
  std::size_t failed = refused;
  // The rows as a table holds them (texts fitted to their fields): the memory of listings then
  // knows them as it knows the window's upload rows.
  store::Table to_send;
  // A nightly export names yesterday's articles again: the upload table keeps one row per
  // article, not one per night. Equal rows count one for one, as the memory of listings does.
  std::map<std::string, std::size_t> held;
  for (const store::Record& row : ws.uploads().stored()) ++held[upload::row_digest(row)];
  std::vector<store::Record> copies;
  for (std::size_t i = 0; i < f.articles.size(); ++i) {
    if (f.articles[i].problem) continue;
    PreparedArticle a =
        prepare_article(f.read.records[i], f.read.sources[i], ws.feature_fees(), folders);
    for (const std::string& note : a.notes) out << note << '\n';
    if (a.problem) {
      err << "Zeile " << a.line << ": \"" << a.title << "\": " << *a.problem << '\n';
      ++failed;
      continue;
    }
    copies.push_back(upload::upload_copy(a.article));
  }
  to_send.add(std::move(copies));
  std::vector<store::Record> new_rows;
  for (const store::Record& copy : to_send.stored()) {
    if (std::size_t& n = held[upload::row_digest(copy)]; n > 0) {
      --n;
    } else {
      new_rows.push_back(copy);
    }
  }
  ws.uploads().add(std::move(new_rows));
  if (to_send.empty()) {
    err << "Es wurde nichts gesendet.\n";
    return kPartly;
  }
  try {
    // The upload table holds them before the first statement, as after a transfer.
    ws.save_tables();
  } catch (const Error& e) {
    err << e.what() << "\nEs wurde nichts gesendet.\n";
    return kBadCall;
  }

  ConsoleDialogs dialogs(o.again, out, err, ask_on_terminal);
  // The window's send-all from here on: its questions, then the run, then its closing message.
  const auto job = upload::prepare_send(to_send.stored(), std::nullopt, true, &ws.listed(), dialogs,
                                        ws.protocol(), &ws.frames());
  if (!job) {
    if (dialogs.errors() > 0) return kBadCall;
    out << "Es wurde nichts gesendet: die Artikel wurden bereits eingestellt.\n";
    return failed > 0 ? kPartly : kDone;
  }
  ConsoleProgress progress(stderr);
  ConsoleSendEvents events(out, progress);
  const StopOnSignal stop;
  upload::AuctionHouseRows rows(ws.db(), ws.feature_fees(), ws.payment_names());
  const upload::SendOutcome outcome =
      upload::run_send(*job, ws.send_services(), ws.db(), rows, &ws.listed(), events);
  upload::report_send(outcome, dialogs);
  if (!outcome.ok) return outcome.listed.empty() ? kNoLogin : kPartly;
  return failed > 0 ? kPartly : kDone;
}

int import_command(const Options& o, workspace::Workspace& ws, std::ostream& out,
                   std::ostream& err) {
  if (!load_lists(ws, err)) return kNoLogin;
  const importer::Services services = ws.import_services(ws.db());
  ConsoleProgress progress(stderr);
  const StopOnSignal stop;
  importer::Hooks hooks;
  hooks.progress = &progress;
  hooks.note = [&err](const std::string& line) { err << line << '\n'; };
  hooks.stop = [] { return StopOnSignal::requested(); };
  // Records only: the window's import table stays as the seller left it.
  importer::RunResult result;
  try {
    result = importer::import_auctions(services, {o.current, o.expired}, hooks);
  } catch (const Error& e) {
    err << e.what() << '\n';
    return kNoLogin;
  }
  const bool broke_off = !result.error.empty() || result.stopped;
  if (!result.error.empty()) err << result.error << '\n';
  const std::size_t n = result.records.size();
  if (broke_off && n == 0) return result.stopped ? kPartly : kNoLogin;
  try {
    if (o.output.empty()) {
      out << store::write_articles_csv(result.records) << std::flush;
    } else {
      store::write_articles_csv_file(result.records, o.output);
    }
  } catch (const Error& e) {
    err << e.what() << '\n';
    return kBadCall;
  }
  err << n << (n == 1 ? " Auktion importiert" : " Auktionen importiert")
      << (o.output.empty() ? "." : " nach " + o.output + ".") << '\n';
  return broke_off ? kPartly : kDone;
}

int fees_command(const Options& o, workspace::Workspace& ws, std::ostream& out, std::ostream& err) {
  catalogue::FeeStatement statement;
  try {
    statement = catalogue::read_fee_statement(ws.db(), ws.user().id);
  } catch (const Error& e) {
    err << e.what() << '\n';
    return kNoLogin;
  }
  if (o.csv) {
    out << store::kCsvByteOrderMark
        << store::csv_line({"Datum", "Auktion", "Titel", "Beschreibung", "Betrag"});
    for (const auto& r : statement.rows) {
      out << store::csv_line({presentation::fee_row_date(r.date), r.auction, r.title, r.description,
                              catalogue::money_text(r.cents)});
    }
    return kDone;
  }
  if (statement.rows.empty()) {
    out << "Für Ihr Konto sind keine Gebühren gebucht.\n";
    return kDone;
  }
  out << "Gebühren:\n";
  for (const auto& r : statement.rows) {
    out << "  " << (r.date.empty() ? "ohne Datum" : presentation::fee_row_date(r.date))
        << "  Auktion " << r.auction << "  " << r.title << "  " << r.description << "  "
        << catalogue::money_text(r.cents) << " €\n";
  }
  out << "Summen je Monat:\n";
  for (const auto& m : statement.months) {
    out << "  " << presentation::fee_month_caption(m.month) << "  "
        << catalogue::money_text(m.cents) << " €\n";
  }
  out << "Gesamt: " << catalogue::money_text(statement.total_cents) << " €\n";
  return kDone;
}

}  // namespace

int run_command(const Options& o, const session::Deployment& deployment, std::ostream& out,
                std::ostream& err) {
  int exit_code = kDone;
  std::optional<Session> s = log_in(o, deployment, err, exit_code);
  if (!s) return exit_code;
  workspace::Workspace& ws = *s->workspace;
  switch (o.command) {
    case Command::Check:
      return check_command(o, ws, out, err);
    case Command::Send:
      return send_command(o, ws, out, err);
    case Command::Import:
      return import_command(o, ws, out, err);
    case Command::Fees:
      return fees_command(o, ws, out, err);
    case Command::Help:
    case Command::Version:
      break;
  }
  return kBadCall;
}

}  // namespace tellvaro::cli
