#include "db/connection.h"

#include <mysql.h>

#include <algorithm>
#include <cctype>
#include <utility>

#include "text/cp1252.h"
#include "text/error.h"

namespace tellvaro::db {
namespace {

std::string lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

}  // namespace

Result::Result(st_mysql_res* res) : res_(res) {
  if (!res_) return;
  rows_ = mysql_num_rows(res_);
  unsigned n = mysql_num_fields(res_);
  MYSQL_FIELD* fields = mysql_fetch_fields(res_);
  names_.reserve(n);
  for (unsigned i = 0; i < n; ++i) names_.push_back(lower(fields[i].name));
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
  std::string name = lower(column);
  auto it = std::find(names_.begin(), names_.end(), name);
  if (it == names_.end()) return std::nullopt;
  auto i = static_cast<std::size_t>(it - names_.begin());
  if (!row_[i]) return std::nullopt;
  return text::cp1252_to_utf8(std::string_view(row_[i], lengths_[i]));
}

std::string Result::text(std::string_view column) const { return value(column).value_or(""); }

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
  unsigned timeout = 10;
  mysql_optionsv(mysql_, MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
}

void Connection::set_params(ConnectParams params) {
  if (connected_) close();
  params_ = std::move(params);
}

bool Connection::connect() {
  if (connected_) return true;
  if (!mysql_) reset_handle();
  if (!mysql_) {
    last_error_ = "Keine Verbindung möglich.";
    return false;
  }
  unsigned long flags = params_.compress ? CLIENT_COMPRESS : 0;
  auto host = text::utf8_to_cp1252(params_.host);
  auto user = text::utf8_to_cp1252(params_.user);
  auto password = text::utf8_to_cp1252(params_.password);
  if (!mysql_real_connect(mysql_, host.c_str(), user.c_str(), password.c_str(), nullptr,
                          params_.port, nullptr, flags)) {
    last_error_ = text::cp1252_to_utf8(mysql_error(mysql_));
    reset_handle();  // a failed handle cannot be used for another try
    return false;
  }
  connected_ = true;
  return true;
}

bool Connection::select_database(const std::string& name) {
  if (!connected_) return false;
  if (mysql_select_db(mysql_, text::utf8_to_cp1252(name).c_str()) != 0) {
    last_error_ = text::cp1252_to_utf8(mysql_error(mysql_));
    return false;
  }
  return true;
}

void Connection::close() { reset_handle(); }

std::optional<Result> Connection::query(std::string_view sql) {
  if (!connected_) return std::nullopt;
  std::string bytes = text::utf8_to_cp1252(sql);
  if (mysql_real_query(mysql_, bytes.data(), bytes.size()) != 0) {
    last_error_ = text::cp1252_to_utf8(mysql_error(mysql_));
    return std::nullopt;
  }
  MYSQL_RES* res = mysql_store_result(mysql_);
  if (!res) {
    if (mysql_field_count(mysql_) != 0) {  // rows were due but could not be read
      last_error_ = text::cp1252_to_utf8(mysql_error(mysql_));
      return std::nullopt;
    }
    return Result();
  }
  return Result(res);
}

bool Connection::exec(std::string_view sql) { return query(sql).has_value(); }

Result Connection::fetch(std::string_view sql, std::string_view what) {
  auto result = query(sql);
  if (!result) {
    throw Error("Datenbank: " + std::string(what) + " fehlgeschlagen: " +
                (connected_ ? last_error_ : std::string("keine Verbindung zum Auktionshaus.")));
  }
  return std::move(*result);
}

void Connection::run(std::string_view sql, std::string_view what) { (void)fetch(sql, what); }

std::uint64_t Connection::affected_rows() const {
  return connected_ ? static_cast<std::uint64_t>(mysql_affected_rows(mysql_)) : 0;
}

std::uint64_t Connection::insert_id() const {
  return connected_ ? static_cast<std::uint64_t>(mysql_insert_id(mysql_)) : 0;
}

Transaction::Transaction(Connection& db, std::string what) : db_(db), what_(std::move(what)) {
  db_.run("start transaction", what_);
}

Transaction::~Transaction() {
  // Nothing may escape a destructor; a connection that is gone rolls back on the server anyway.
  if (!done_) (void)db_.exec("rollback");
}

void Transaction::commit() {
  if (done_) throw Error("Datenbank: " + what_ + " wurde schon abgeschlossen.");
  db_.run("commit", what_);
  done_ = true;
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
