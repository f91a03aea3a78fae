#include "runs/database_read.h"

#include <exception>

namespace tellvaro::runs {

namespace {

bool same_place(const db::ConnectParams& a, const db::ConnectParams& b) {
  return a.host == b.host && a.port == b.port && a.user == b.user && a.password == b.password;
}

}  // namespace

DatabaseRead::DatabaseRead(QObject* parent) : BackgroundRun(parent) {}

// The read uses the connection until it returns; it goes with this object only after that.
DatabaseRead::~DatabaseRead() { stop_and_wait(); }

bool DatabaseRead::start(const db::Connection& window_db,
                         std::function<void(db::Connection&)> read) {
  if (running()) return false;
  failure_.clear();
  const bool connect = window_db.connected();
  const db::ConnectParams params = window_db.params();
  const std::string database = window_db.database();
  return BackgroundRun::start([this, connect, params, database, read = std::move(read)] {
    try {
      // Without the window's connection the read has none either: it fails as the window's would.
      if (!connect || !db_ || !same_place(db_->params(), params) || !db_->connected()) {
        db_ = std::make_unique<db::Connection>();
        db_->set_params(params);
        if (connect && db_->connect() && !database.empty()) db_->select_database(database);
      } else if (db_->database() != database && !database.empty()) {
        db_->select_database(database);
      }
      read(*db_);
    } catch (const std::exception& e) {
      failure_ = e.what();
    }
  });
}

}  // namespace tellvaro::runs
