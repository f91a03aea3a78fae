#pragma once

// A short read of the auction house (the import view's counts, the fee statement) on a thread of
// its own, so the window paints and takes clicks while the answer travels. The read gets a
// connection of its own, opened like the window's at its first read and kept for the next one.

#include <functional>
#include <memory>
#include <string>

#include "db/connection.h"
#include "runs/background_run.h"

namespace tellvaro::runs {

class DatabaseRead : public BackgroundRun {
  Q_OBJECT

 public:
  explicit DatabaseRead(QObject* parent = nullptr);
  ~DatabaseRead() override;

  // Runs `read` on this object's connection, opened like `window_db` (its server, account and
  // database) unless it already is. False, and nothing started, while a read still runs.
  bool start(const db::Connection& window_db, std::function<void(db::Connection&)> read);

  // The message of what the read threw, "" when it ran to its end; read after finished().
  const std::string& failure() const { return failure_; }

 private:
  std::unique_ptr<db::Connection> db_;  // used only by the read's thread, one read at a time
  std::string failure_;
};

}  // namespace tellvaro::runs
