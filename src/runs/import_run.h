#pragma once

// "Importieren" on a thread of its own: a connection opened for the run with the window's
// settings, the records handed back when it ends, notes and progress as events
// (BackgroundRun::event).

#include <QObject>
#include <string>

#include "catalogue/reference.h"
#include "db/connection.h"
#include "import/auction_import.h"
#include "runs/background_run.h"

namespace tellvaro::workspace {
class Workspace;
}

namespace tellvaro::runs {

struct ImportRequest {
  importer::Selection selection;
  bool connect = false;  // as the window's connection: not connected, neither is the run's
  db::ConnectParams params;
  std::string database;
  net::Endpoint ftp;
  net::Timeouts timeouts{};
  std::string user_id;
  std::string picture_folder;  // ends with "/"
  catalogue::PaymentNames payments;
};

// The connection part of a request, copied from the window's connection.
void connect_like(ImportRequest& request, const db::Connection& window_db);
// A whole request from what the workspace holds: the way the window starts an import.
ImportRequest import_request(importer::Selection selection, workspace::Workspace& workspace);

class ImportRun : public BackgroundRun {
  Q_OBJECT

 public:
  explicit ImportRun(QObject* parent = nullptr);
  ~ImportRun() override;

  // Tells progress and a Note for each thing it left out.
  bool start(ImportRequest request);
  // The last run's records and counts (its `error` set where it broke off); read after
  // finished().
  const importer::RunResult& result() const { return result_; }
  // A statement the server refused: nothing was read.
  const std::string& failure() const { return failure_; }

 private:
  importer::RunResult result_;
  std::string failure_;
};

}  // namespace tellvaro::runs
