#include "runs/import_run.h"

#include <memory>

#include "ports/progress.h"
#include "text/error.h"

namespace tellvaro::runs {

namespace {

class ProgressSignals : public ports::Progress {
 public:
  explicit ProgressSignals(ImportRun& run) : run_(run) {}
  void start(std::size_t count) override { emit run_.progressStarted(static_cast<int>(count)); }
  void advance(std::size_t steps) override {
    for (std::size_t i = 0; i < steps; ++i) emit run_.progressAdvanced();
  }
  void finish() override { emit run_.progressFinished(); }

 private:
  ImportRun& run_;
};

}  // namespace

void connect_like(ImportRequest& request, const db::Connection& window_db) {
  request.connect = window_db.connected();
  request.params = window_db.params();
  request.database = window_db.database();
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
    ProgressSignals progress(*this);
    importer::Hooks hooks;
    hooks.progress = &progress;
    hooks.note = [this](const std::string& line) { emit note(QString::fromStdString(line)); };
    hooks.stop = [this] { return stopRequested(); };
    try {
      result_ = importer::import_auctions(services, req->selection, hooks);
    } catch (const std::exception& e) {
      failure_ = e.what();
    }
  });
}

}  // namespace tellvaro::runs
