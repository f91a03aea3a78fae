#include "db/connection.h"

#include <mysql.h>

#include <errmsg.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

#include "text/ascii.h"
#include "text/cp1252.h"
#include "text/error.h"
#include "text/number.h"

namespace tellvaro::db {
namespace {

double now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// After this long without an exchange the server may have ended the session (its idle limit,
// a restart, an administrator's KILL), so a ping goes first. Statements of one operation follow
// each other faster and are not held up.
constexpr double kCheckAfterIdle = 0.5;

// Errors after which the session is gone and the handle cannot be used again.
bool session_gone(unsigned error) {
  switch (error) {
    case CR_SERVER_GONE_ERROR:
    case CR_SERVER_LOST:
    case 2055:  // lost connection, with the system error
    case 1927:  // connection was killed
    case 4031:  // disconnected by the server for inactivity
    // Over TLS a session the server ended shows as a TLS error ("unexpected eof while
    // reading"); a refused handshake never gets this far, that is a failed connect.
    case CR_SSL_CONNECTION_ERROR:
      return true;
    default:
      return false;
  }
}

// The statement's first word(s), lower case, to follow transactions.
std::string leading_words(std::string_view sql) {
  auto start = sql.find_first_not_of(" \t\r\n");
  if (start == std::string_view::npos) return {};
  return text::ascii_lower(sql.substr(start, 17));
}

// What a statement does to the session's transaction.
struct TransactionStep {
  bool starts = false;
  bool ends = false;
};

TransactionStep transaction_step(std::string_view sql) {
  const std::string words = leading_words(sql);
  return {words.rfind("start transaction", 0) == 0 || words.rfind("begin", 0) == 0,
          words.rfind("commit", 0) == 0 || words.rfind("rollback", 0) == 0};
}

// The client library's words for a refused certificate, in German.
std::string certificate_reason(std::string_view library_text) {
  auto has = [&](std::string_view part) { return library_text.find(part) != std::string_view::npos; };
  // The library checks the name itself, after the chain, and says only this.
  if (has("Validation of SSL server certificate failed"))
    return "es ist für einen anderen Servernamen ausgestellt";
  if (has("expired")) return "es ist abgelaufen";
  if (has("self-signed") || has("self signed") || has("issuer") || has("unable to verify"))
    return "es stammt nicht von einer vertrauenswürdigen Stelle";
  return std::string(library_text);
}

}  // namespace

Result::Result(st_mysql_res* res) : res_(res) {
  if (!res_) return;
  rows_ = mysql_num_rows(res_);
  unsigned n = mysql_num_fields(res_);
  MYSQL_FIELD* fields = mysql_fetch_fields(res_);
  names_.reserve(n);
  for (unsigned i = 0; i < n; ++i) names_.push_back(text::ascii_lower(fields[i].name));
  fetch();
}

Result::Result(Result&& other) noexcept { *this = std::move(other); }

Result& Result::operator=(Result&& other) noexcept {
  if (this != &other) {
    if (res_) mysql_free_result(res_);
    res_ = std::exchange(other.res_, nullptr);
    names_ = std::move(other.names_);
    rows_ = std::exchange(other.rows_, 0);
    pos_ = std::exchange(other.pos_, 0);
    row_ = std::exchange(other.row_, nullptr);
    lengths_ = std::exchange(other.lengths_, nullptr);
  }
  return *this;
}

Result::~Result() {
  if (res_) mysql_free_result(res_);
}

void Result::fetch() {
  row_ = nullptr;
  lengths_ = nullptr;
  if (!res_ || pos_ >= rows_) return;
  row_ = mysql_fetch_row(res_);
  lengths_ = row_ ? mysql_fetch_lengths(res_) : nullptr;
}

void Result::first() {
  if (!res_) return;
  pos_ = 0;
  mysql_data_seek(res_, 0);
  fetch();
}

void Result::next() {
  if (pos_ < rows_) ++pos_;
  fetch();
}

std::optional<std::string> Result::value(std::string_view column) const {
  if (!row_) return std::nullopt;
  std::string name = text::ascii_lower(column);
  auto it = std::find(names_.begin(), names_.end(), name);
  if (it == names_.end()) return std::nullopt;
  auto i = static_cast<std::size_t>(it - names_.begin());
  if (!row_[i]) return std::nullopt;
  return text::cp1252_to_utf8(std::string_view(row_[i], lengths_[i]));
}

std::string Result::text(std::string_view column) const { return value(column).value_or(""); }

ThreadUse::ThreadUse() { mysql_thread_init(); }

ThreadUse::~ThreadUse() { mysql_thread_end(); }

Connection::Connection() { reset_handle(); }

Connection::~Connection() {
  if (mysql_) mysql_close(mysql_);
}

void Connection::reset_handle() {
  if (mysql_) mysql_close(mysql_);
  mysql_ = mysql_init(nullptr);
  connected_ = false;
  if (!mysql_) return;
  mysql_optionsv(mysql_, MYSQL_SET_CHARSET_NAME, "latin1");
  unsigned protocol = MYSQL_PROTOCOL_TCP;
  mysql_optionsv(mysql_, MYSQL_OPT_PROTOCOL, &protocol);
  // Without these a server that stops answering would hold the window for good.
  unsigned connect = params_.waits.connect;
  unsigned read = params_.waits.read;
  unsigned write = params_.waits.write;
  mysql_optionsv(mysql_, MYSQL_OPT_CONNECT_TIMEOUT, &connect);
  mysql_optionsv(mysql_, MYSQL_OPT_READ_TIMEOUT, &read);
  mysql_optionsv(mysql_, MYSQL_OPT_WRITE_TIMEOUT, &write);
  // Run by the client library after every connect, so a reconnect gets it too.
  mysql_optionsv(mysql_, MYSQL_INIT_COMMAND, kSessionModeStatement.data());
  // With a certificate check the library insists on TLS, and stops before the login when the
  // server offers none; open() then decides whether clear text may follow.
  if (clear_text_) return;
  my_bool verify = 1;
  mysql_optionsv(mysql_, MYSQL_OPT_SSL_VERIFY_SERVER_CERT, &verify);
  mysql_optionsv(mysql_, MYSQL_OPT_SSL_CAPATH, net::kSystemTrustFolder);
  const std::string& ca = params_.tls.ca_file;
  if (!ca.empty() && ::access(ca.c_str(), F_OK) == 0)
    mysql_optionsv(mysql_, MYSQL_OPT_SSL_CA, ca.c_str());
  if (params_.tls.required) {
    my_bool enforce = 1;
    mysql_optionsv(mysql_, MYSQL_OPT_SSL_ENFORCE, &enforce);
  }
}

void Connection::set_params(ConnectParams params) {
  close();
  params_ = std::move(params);
  database_.clear();
  reset_handle();
}

void Connection::set_waits(Waits waits) {
  if (waits.connect == params_.waits.connect && waits.read == params_.waits.read &&
      waits.write == params_.waits.write) {
    return;
  }
  params_.waits = waits;
  if (connected_) {
    settings_changed_ = true;
  } else {
    reset_handle();
  }
}

void Connection::set_batches(bool on) {
  if (on == params_.batches) return;
  params_.batches = on;
  // The flag goes with the login, so a session takes it only from its next connect.
  if (connected_) settings_changed_ = true;
}

bool Connection::connect() {
  if (connected_) return true;
  return open();
}

bool Connection::open() {
  reset_handle();
  dropped_ = false;
  settings_changed_ = false;
  in_transaction_ = false;
  if (!mysql_) {
    last_error_ = "Keine Verbindung möglich.";
    return false;
  }
  unsigned long flags = params_.compress ? CLIENT_COMPRESS : 0;
  if (params_.batches) flags |= CLIENT_MULTI_STATEMENTS;
  auto host = text::utf8_to_cp1252(params_.host);
  auto user = text::utf8_to_cp1252(params_.user);
  auto password = text::utf8_to_cp1252(params_.password);
  tls_problem_.clear();
  auto login = [&] {
    return mysql_real_connect(mysql_, host.c_str(), user.c_str(), password.c_str(), nullptr,
                              params_.port, nullptr, flags) != nullptr;
  };
  bool in = login();
  if (!in && mysql_errno(mysql_) == CR_SSL_CONNECTION_ERROR) {
    const std::string server = params_.label + " " + params_.host + ": ";
    unsigned long offered = 0;
    mariadb_get_infov(mysql_, MARIADB_CONNECTION_SERVER_CAPABILITIES, &offered);
    if (offered != 0 && !(offered & CLIENT_SSL)) {
      // The server's greeting offers no TLS, and nothing of the login has been sent yet.
      if (params_.tls.required) {
        tls_problem_ = server +
                       "Der Server bietet keine Verschlüsselung (TLS) an; ohne sie wird kein "
                       "Passwort gesendet.";
      } else {
        clear_text_ = true;
        reset_handle();
        clear_text_ = false;
        if (mysql_) in = login();
      }
    } else {
      // Never clear text after a failed handshake: that is what an attacker would want.
      tls_problem_ = server + "Das Zertifikat des Servers wurde nicht angenommen (" +
                     certificate_reason(mysql_error(mysql_)) +
                     "); die Verbindung wurde vor der Anmeldung abgebrochen.";
    }
  }
  if (!in) {
    last_error_ = !tls_problem_.empty() ? tls_problem_
                  : mysql_                ? text::cp1252_to_utf8(mysql_error(mysql_))
                                          : std::string("Keine Verbindung möglich.");
    reset_handle();  // a failed handle cannot be used for another try
    return false;
  }
  connected_ = true;
  idle_since_ = now();
  session_id_ = mysql_thread_id(mysql_);
  if (!database_.empty()) {
    const std::string name = database_;
    if (!select_database(name)) {
      reset_handle();
      return false;
    }
  }
  return true;
}

bool Connection::select_database(const std::string& name) {
  if (!connected_) return false;
  if (mysql_select_db(mysql_, text::utf8_to_cp1252(name).c_str()) != 0) {
    last_error_ = text::cp1252_to_utf8(mysql_error(mysql_));
    return false;
  }
  database_ = name;
  return true;
}

void Connection::close() {
  reset_handle();
  dropped_ = false;
  settings_changed_ = false;
  in_transaction_ = false;
}

void Connection::note_failure(unsigned error, double seconds) {
  const std::string server = params_.label + " " + params_.host + ": ";
  if (!session_gone(error)) {
    last_error_ = text::cp1252_to_utf8(mysql_error(mysql_));
    return;
  }
  dropped_ = true;
  if (seconds + 0.5 >= params_.waits.read) {
    last_error_ = server + "keine Antwort innerhalb von " + text::format_int(params_.waits.read) +
                  " Sekunden. Bitte prüfen Sie die Verbindung und versuchen Sie es erneut.";
  } else {
    last_error_ = server + "die Verbindung wurde getrennt (" +
                  text::cp1252_to_utf8(mysql_error(mysql_)) + ").";
  }
}

void Connection::fail_statement(bool ends_transaction, double seconds) {
  const unsigned error = mysql_errno(mysql_);
  note_failure(error, seconds);
  if (ends_transaction) in_transaction_ = false;
  // The client library failed (out of memory, a packet it could not read): the server's
  // answers may still be under way, so the session cannot be trusted to be in step.
  if (!dropped_ && error >= CR_MIN_ERROR && error <= CR_MAX_ERROR) {
    end_session(last_error_);
    return;
  }
  // A lost session goes into the status list as well as to the caller; a refused statement is
  // the caller's to report.
  if (dropped_ && notice_) notice_(last_error_);
}

void Connection::end_session(std::string why) {
  reset_handle();
  dropped_ = true;
  last_error_ = std::move(why);
}

bool Connection::revive() {
  if (in_transaction_) {
    if (!dropped_) return true;
    // The server has rolled the transaction back with the session; its remaining statements
    // must not run on a new one as if nothing had happened.
    last_error_ = params_.label + " " + params_.host +
                  ": die Verbindung wurde während der Transaktion getrennt; nichts davon wurde "
                  "übernommen.";
    return false;
  }
  if (!connected_ && !dropped_) {
    if (last_error_.empty())
      last_error_ = params_.label + " " + params_.host + ": keine Verbindung.";
    return false;
  }
  bool reopen = dropped_ || settings_changed_;
  if (!reopen && now() - idle_since_ >= kCheckAfterIdle) {
    const double start = now();
    if (mysql_ping(mysql_) != 0) {
      const double seconds = now() - start;
      note_failure(mysql_errno(mysql_), seconds);
      // A server that did not answer the ping would not answer a new login either; the next
      // action tries again.
      if (!dropped_ || seconds + 0.5 >= params_.waits.read) return false;
      reopen = true;
    } else {
      idle_since_ = now();
    }
  }
  if (!reopen) return true;
  const bool announce = dropped_;
  if (!open()) {
    dropped_ = true;
    if (announce && notice_) {
      notice_(params_.label + " " + params_.host +
              ": Verbindung getrennt, neuer Aufbau fehlgeschlagen: " + last_error_);
    }
    return false;
  }
  if (announce && notice_) {
    notice_(params_.label + " " + params_.host +
            ": Verbindung war getrennt und wurde neu aufgebaut");
  }
  return true;
}

std::optional<Result> Connection::query(std::string_view sql) {
  const TransactionStep step = transaction_step(sql);
  if (step.starts) in_transaction_ = false;  // a new operation: it may reconnect
  if (!revive()) {
    if (step.ends) in_transaction_ = false;  // the next action may reconnect
    return std::nullopt;
  }
  std::string bytes = text::utf8_to_cp1252(sql);
  const double start = now();
  if (mysql_real_query(mysql_, bytes.data(), bytes.size()) != 0) {
    fail_statement(step.ends, now() - start);
    return std::nullopt;
  }
  MYSQL_RES* res = mysql_store_result(mysql_);
  if (!res && mysql_field_count(mysql_) != 0) {  // rows were due but could not be read
    fail_statement(step.ends, now() - start);
    return std::nullopt;
  }
  idle_since_ = now();
  if (step.starts) in_transaction_ = true;
  if (step.ends) in_transaction_ = false;
  return res ? Result(res) : Result();
}

std::vector<Result> Connection::query_all(const std::vector<std::string>& statements) {
  std::vector<Result> answers;
  const auto one_by_one = [&] {
    for (const std::string& sql : statements) {
      auto answer = query(sql);
      if (!answer) break;
      answers.push_back(std::move(*answer));
    }
    return std::move(answers);
  };
  if (!params_.batches || statements.size() < 2) return one_by_one();
  std::vector<TransactionStep> steps;
  std::string bytes;
  for (const std::string& sql : statements) {
    steps.push_back(transaction_step(sql));
    if (!bytes.empty()) bytes += ';';
    bytes += text::utf8_to_cp1252(sql);
  }
  // The reconnect rule of the first statement holds for the whole text.
  if (steps.front().starts) in_transaction_ = false;
  if (!revive()) {
    if (steps.front().ends) in_transaction_ = false;
    return answers;
  }
  // Batches allowed inside a transaction whose session was opened before: that session would
  // refuse the whole text unrun, so one by one until it is opened again.
  if ((mysql_->client_flag & CLIENT_MULTI_STATEMENTS) == 0) return one_by_one();
  double since = now();
  for (std::size_t i = 0; i < statements.size(); ++i) {
    // The first answer comes with the text; each further one is 0 when read, -1 when none came.
    const int status = i == 0 ? (mysql_real_query(mysql_, bytes.data(), bytes.size()) != 0 ? 1 : 0)
                              : mysql_next_result(mysql_);
    if (status < 0) {
      end_session("Der Server hat nicht jede Anweisung beantwortet; die Verbindung wurde "
                  "geschlossen.");
      break;
    }
    if (status > 0) {
      fail_statement(steps[i].ends, now() - since);
      break;
    }
    MYSQL_RES* res = mysql_store_result(mysql_);
    if (!res && mysql_field_count(mysql_) != 0) {
      fail_statement(steps[i].ends, now() - since);
      break;
    }
    if (steps[i].starts) in_transaction_ = true;
    if (steps[i].ends) in_transaction_ = false;
    answers.push_back(res ? Result(res) : Result());
    since = now();
    idle_since_ = since;
  }
  // Exactly one answer per statement, and none after a failure: an answer more means a text held
  // a statement of its own, so no answer can be matched to its statement. Closing the session
  // takes back what was not committed.
  if (!dropped_ && mysql_ && mysql_more_results(mysql_)) {
    end_session("Der Server hat mehr Antworten geschickt, als Anweisungen gesendet wurden; die "
                "Verbindung wurde geschlossen.");
  }
  return answers;
}

bool Connection::exec(std::string_view sql) { return query(sql).has_value(); }

bool Connection::settle_session(std::uint64_t id) {
  const std::string number = text::format_int(id);
  // A session whose client is gone may still run or sit idle: ended, it commits or rolls back
  // what it holds. An id the server no longer knows is refused, which is as good.
  (void)exec("kill connection " + number);
  if (!revive()) return false;
  const double until = now() + params_.waits.read;
  for (;;) {
    auto r = query("select count(*) as n from information_schema.processlist where id=" + number);
    if (!r) return false;
    if (r->text("n") == "0") return true;
    if (now() >= until) {
      last_error_ = params_.label + " " + params_.host + ": die getrennte Sitzung endet nicht.";
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

Error Connection::failure(std::string_view what) const {
  return Error("Datenbank: " + std::string(what) + " fehlgeschlagen: " +
               (connected_ || dropped_ ? last_error_
                                       : std::string("keine Verbindung zum Auktionshaus.")));
}

Result Connection::fetch(std::string_view sql, std::string_view what) {
  auto result = query(sql);
  if (!result) throw failure(what);
  return std::move(*result);
}

void Connection::run(std::string_view sql, std::string_view what) { (void)fetch(sql, what); }

std::uint64_t Connection::affected_rows() const {
  return connected_ ? static_cast<std::uint64_t>(mysql_affected_rows(mysql_)) : 0;
}

std::uint64_t Connection::insert_id() const {
  return connected_ ? static_cast<std::uint64_t>(mysql_insert_id(mysql_)) : 0;
}

void Batch::add(std::string sql, std::string what, std::function<void(Result&)> answer) {
  entries_.push_back({std::move(sql), std::move(what), std::move(answer)});
}

void Batch::run() {
  std::vector<Entry> entries = std::move(entries_);
  entries_.clear();
  std::vector<std::string> statements;
  statements.reserve(entries.size());
  for (const Entry& e : entries) statements.push_back(e.sql);
  std::vector<Result> answers = db_.query_all(statements);
  std::optional<Error> failed;
  // Every statement answered and the session closed all the same: answers that cannot be
  // matched to their statements are given to nobody.
  const bool untrusted = answers.size() >= entries.size() && db_.session_lost();
  if (answers.size() < entries.size()) failed = db_.failure(entries[answers.size()].what);
  if (untrusted) failed = db_.failure(entries.back().what);
  // What ran is settled before any answer is given, so a transaction whose start ran is rolled
  // back even when giving an answer throws.
  for (std::size_t i = 0; i < answers.size(); ++i) {
    if (entries[i].begins) entries[i].begins->begun_ = true;
    if (entries[i].ends) entries[i].ends->done_ = true;
  }
  if (!untrusted)
    for (std::size_t i = 0; i < answers.size(); ++i)
      if (entries[i].answer) entries[i].answer(answers[i]);
  if (failed) throw *failed;
}

Transaction::Transaction(Connection& db, std::string what) : db_(db), what_(std::move(what)) {
  db_.run("start transaction", what_);
  begun_ = true;
}

Transaction::Transaction(Batch& batch, std::string what, std::function<void()> then)
    : db_(batch.db_), what_(std::move(what)) {
  batch.add("start transaction", what_, [then = std::move(then)](Result&) {
    if (then) then();
  });
  batch.entries_.back().begins = this;
}

Transaction::~Transaction() {
  // Nothing may escape a destructor; a connection that is gone rolls back on the server anyway.
  if (begun_ && !done_) (void)db_.exec("rollback");
}

void Transaction::commit() {
  if (done_) throw Error("Datenbank: " + what_ + " wurde schon abgeschlossen.");
  db_.run("commit", what_);
  done_ = true;
}

void Transaction::commit(Batch& batch, std::function<void()> then) {
  if (done_) throw Error("Datenbank: " + what_ + " wurde schon abgeschlossen.");
  batch.add("commit", what_, [then = std::move(then)](Result&) {
    if (then) then();
  });
  batch.entries_.back().ends = this;
}

std::string Connection::quoted(std::string_view value) const {
  std::string bytes = text::utf8_to_cp1252(value);
  std::string escaped(bytes.size() * 2 + 1, '\0');
  unsigned long n =
      mysql_ ? mysql_real_escape_string(mysql_, escaped.data(), bytes.data(), bytes.size())
             : mysql_escape_string(escaped.data(), bytes.data(), bytes.size());
  escaped.resize(n);
  return "'" + text::cp1252_to_utf8(escaped) + "'";
}

}  // namespace tellvaro::db
