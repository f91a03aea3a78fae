#include "runs/import_run.h"

#include <memory>

#include "text/error.h"
#include "workspace/workspace.h"

namespace tellvaro::runs {

void connect_like(ImportRequest& request, const db::Connection& window_db) {
  request.connect = window_db.connected();
  request.params = window_db.params();
  request.database = window_db.database();
}

ImportRequest import_request(importer::Selection selection, workspace::Workspace& workspace) {
  ImportRequest request;
  request.selection = selection;
  connect_like(request, workspace.db());
  importer::Services services = workspace.import_services(workspace.db());
  request.ftp = std::move(services.ftp);
  request.timeouts = services.timeouts;
  request.user_id = std::move(services.user_id);
  request.picture_folder = std::move(services.picture_folder);
  request.payments = std::move(services.payments);
  return request;
}

ImportRun::ImportRun(QObject* parent) : BackgroundRun(parent) {}

// The job writes the outcome and emits this object's signals until it returns.
ImportRun::~ImportRun() { stop_and_wait(); }

bool ImportRun::start(ImportRequest request) {
  if (running()) return false;
  result_ = {};
  failure_.clear();
  auto req = std::make_shared<ImportRequest>(std::move(request));
  return BackgroundRun::start([this, req] {
    db::Connection db;
    db.set_params(req->params);
    if (req->connect && db.connect() && !req->database.empty()) db.select_database(req->database);
    const importer::Services services{
        db, req->ftp, req->timeouts, req->user_id, req->picture_folder, req->payments};
    ProgressEvents progress(*this);
    importer::Hooks hooks;
    hooks.progress = &progress;
    hooks.note = [this](const std::string& line) {
      tell(RunEvent::text(RunEvent::Kind::Note, line));
    };
    hooks.stop = [this] { return stopRequested(); };
    try {
      result_ = importer::import_auctions(services, req->selection, hooks);
    } catch (const std::exception& e) {
      failure_ = e.what();
    }
  });
}

}  // namespace tellvaro::runs
