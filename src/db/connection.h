#pragma once

// A MySQL connection that speaks Windows-1252 on the wire and UTF-8 to its callers. A failed
// connect, query() or exec() never throws: callers get false or an absent result, which the
// compiler makes them look at. fetch() and run() throw tellvaro::Error with the server's message
// instead, for runs that must stop at the first failure; Transaction groups their statements, and
// Batch sends several of them in one round trip.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/tls.h"
#include "text/error.h"

struct st_mysql;
struct st_mysql_res;

namespace tellvaro::db {

// How long the client waits for a server, in seconds; the only place these values are set.
struct Waits {
  unsigned connect = 10;
  unsigned read = 5;
  unsigned write = 5;
};
// Browsing, reference lists, login and import: short statements a user waits for.
inline constexpr Waits kCatalogueWaits{10, 5, 5};
// A send's statements may wait on row locks held by the auction house's own site.
inline constexpr Waits kSendWaits{10, 60, 60};

// Sent first on every session. Our statements put '' into number columns and rely on it being
// read as 0; a server in strict mode (the default of current MariaDB and MySQL) refuses that.
// So each session takes the server's own mode without the two strict flags, computed by the
// server in the same round trip. Quoting escapes with backslashes, so the mode that would read
// them as plain characters goes too; and the character set is set here as well, so it never
// rests on what the login negotiated.
inline constexpr std::string_view kSessionModeStatement =
    "SET SESSION sql_mode = TRIM(BOTH ',' FROM REPLACE(REPLACE(REPLACE(CONCAT(',', "
    "@@GLOBAL.sql_mode, ','), ',STRICT_TRANS_TABLES,', ','), ',STRICT_ALL_TABLES,', ','), "
    "',NO_BACKSLASH_ESCAPES,', ',')), NAMES latin1";

struct ConnectParams {
  std::string host;
  unsigned port = 3306;
  std::string user;
  std::string password;
  std::string database;
  bool compress = true;
  // Names the server in messages: "Auktionshaus 127.0.0.1: keine Antwort ...".
  std::string label = "Auktionshaus";
  Waits waits = kCatalogueWaits;
  // Several statements in one text (Batch). Off unless a run asks for it: a session that takes
  // only one statement per text cannot be made to run a second one by a value.
  bool batches = false;
  // TLS whenever the server offers it (or required), the certificate and host name checked.
  net::TlsPolicy tls{};
};

// A stored result: all rows are on the client, positioned on the first row.
class Result {
 public:
  Result() = default;  // the result of a statement that returns no rows
  explicit Result(st_mysql_res* res);
  Result(Result&&) noexcept;
  Result& operator=(Result&&) noexcept;
  ~Result();

  std::size_t row_count() const { return rows_; }
  bool eof() const { return pos_ >= rows_; }
  void first();
  void next();

  // Column of the current row by name, without regard to case; absent for NULL, for an unknown
  // column and past the last row.
  std::optional<std::string> value(std::string_view column) const;
  // As value(), with absent read as the empty text.
  std::string text(std::string_view column) const;

 private:
  void fetch();

  st_mysql_res* res_ = nullptr;
  std::vector<std::string> names_;  // lower case
  std::size_t rows_ = 0;
  std::size_t pos_ = 0;
  char** row_ = nullptr;
  unsigned long* lengths_ = nullptr;
};

class Connection {
 public:
  Connection();
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  void set_params(ConnectParams params);
  // What set_params() was given and the database selected last: what a second connection for
  // another thread opens with.
  const ConnectParams& params() const { return params_; }
  const std::string& database() const { return database_; }
  // Connects over TCP with compression allowed; true at once when already connected.
  bool connect();
  bool connected() const { return connected_; }
  bool select_database(const std::string& name);
  void close();

  // Runs a statement; absent when not connected or when the server refused it. A statement
  // that returns no rows gives an empty result.
  [[nodiscard]] std::optional<Result> query(std::string_view sql);
  [[nodiscard]] bool exec(std::string_view sql);

  // As query() and exec(), but a failure throws tellvaro::Error carrying the server's message:
  // "Datenbank: <what> fehlgeschlagen: <message>".
  Result fetch(std::string_view sql, std::string_view what = "Anweisung");
  void run(std::string_view sql, std::string_view what = "Anweisung");
  // The statements in order, sent as one text when batches are on (else one by one, with the
  // same outcome): the answers of those that succeeded. Fewer answers than statements: the next
  // one failed (last_error() says why, failure() words it) and none after it ran. An answer more
  // than statements, or a failure of the client library, closes the session (session_lost()).
  [[nodiscard]] std::vector<Result> query_all(const std::vector<std::string>& statements);
  // The error fetch() throws when the statement named `what` failed.
  Error failure(std::string_view what) const;
  // Rows changed by the last statement, and the id the last insert generated.
  std::uint64_t affected_rows() const;
  std::uint64_t insert_id() const;

  // The one way a value enters a statement: the value escaped and between single quotes, so a
  // quote or backslash in it is stored exactly and never changes the statement.
  std::string quoted(std::string_view value) const;

  // The server's id of the session opened last; it stays after that session was lost.
  std::uint64_t session_id() const { return session_id_; }
  // Ends the session `id` of this account, if the server still runs it, and waits until it has
  // finished what it was doing; false when the server could not be asked or the read wait ran
  // out. After it, what that session did is settled.
  bool settle_session(std::uint64_t id);

  // Whether the last failure ended the session before its answer came: what it asked for may
  // or may not have happened. False after a refusal the server answered.
  bool session_lost() const { return dropped_; }

  // The server's last error text, for diagnostics; never holds a password.
  const std::string& last_error() const { return last_error_; }
  // Set when the last connect was refused for want of a trusted encrypted connection (a
  // certificate that failed, a server without TLS while it is required): the German reason,
  // naming the server. Empty otherwise.
  const std::string& tls_problem() const { return tls_problem_; }

  // The waits of the following statements. A change reopens the connection before the next
  // statement outside a transaction, as the client fixes them when it connects.
  void set_waits(Waits waits);
  const Waits& waits() const { return params_.waits; }
  // Whether query_all() sends one text; a change reopens the connection as set_waits() does.
  void set_batches(bool on);
  bool batches() const { return params_.batches; }

  // Told, in German, when a dropped connection was opened again or could not be.
  void on_notice(std::function<void(const std::string&)> notice) { notice_ = std::move(notice); }

 private:
  void reset_handle();
  // Before an operation's first statement: a connection the server dropped, or one idle long
  // enough that it may have, is checked and opened again once. Never inside a transaction.
  bool revive();
  bool open();
  void note_failure(unsigned error, double seconds);
  void fail_statement(bool ends_transaction, double seconds);
  // Closes a session whose answers can no longer be matched to its statements; the server
  // rolls back what it had open, and the next operation opens a new one.
  void end_session(std::string why);

  st_mysql* mysql_ = nullptr;
  ConnectParams params_;
  bool connected_ = false;
  std::string last_error_;
  std::string tls_problem_;
  bool clear_text_ = false;        // the server offers no TLS: the next handle asks for none
  std::string database_;           // selected again after a reconnect
  bool dropped_ = false;           // the server or a timeout ended the session
  bool settings_changed_ = false;  // reopen with new waits or batches at the next chance
  bool in_transaction_ = false;    // between start transaction and commit or rollback
  double idle_since_ = 0;          // monotonic seconds of the last exchange
  std::uint64_t session_id_ = 0;
  std::function<void(const std::string&)> notice_;
};

// Holds the client library's per-thread state for a thread other than the one that first used
// the library: made at the start of such a thread, before its first connection, and kept until
// its last connection is closed.
class ThreadUse {
 public:
  ThreadUse();
  ~ThreadUse();
  ThreadUse(const ThreadUse&) = delete;
  ThreadUse& operator=(const ThreadUse&) = delete;
};

class Transaction;

// Statements that go to the server together: one round trip for all of them when the connection
// has batches on. The server runs them in order and stops at the first that fails, so none
// after it runs. A statement that needs what an earlier one read belongs in a later batch.
class Batch {
 public:
  explicit Batch(Connection& db) : db_(db) {}
  Batch(const Batch&) = delete;
  Batch& operator=(const Batch&) = delete;

  // `what` names the statement in its failure's message, as fetch() does; `answer` is given
  // its result.
  void add(std::string sql, std::string what, std::function<void(Result&)> answer = {});
  // Sends them and reads every answer, then gives the answers in order up to the first failure
  // and throws tellvaro::Error for that one as fetch() would. The batch is empty afterwards.
  void run();
  bool empty() const { return entries_.empty(); }

 private:
  friend class Transaction;
  struct Entry {
    std::string sql;
    std::string what;
    std::function<void(Result&)> answer;
    Transaction* begins = nullptr;  // its start
    Transaction* ends = nullptr;    // its commit
  };
  Connection& db_;
  std::vector<Entry> entries_;
};

// Starts a transaction; rolls it back when it goes without commit() (an exception, an early
// return). A failed start or commit throws tellvaro::Error with the server's message.
class Transaction {
 public:
  // `what` names the step in the messages ("Eintrag des Artikels").
  explicit Transaction(Connection& db, std::string what = "Transaktion");
  // The start goes with `batch` and counts once the batch has run past it; `then` is called
  // with its answer. The batch must run while this transaction lives.
  Transaction(Batch& batch, std::string what, std::function<void()> then = {});
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  void commit();
  // The commit goes with `batch`: committed once the batch has run past it; `then` is called
  // with its answer.
  void commit(Batch& batch, std::function<void()> then = {});
  bool committed() const { return done_; }

 private:
  friend class Batch;
  Connection& db_;
  std::string what_;
  bool begun_ = false;
  bool done_ = false;
};

}  // namespace tellvaro::db
