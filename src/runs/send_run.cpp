#include "runs/send_run.h"

#include "workspace/workspace.h"

namespace tellvaro::runs {

namespace {

// Turns what the run tells into events; told on the run's thread, delivered queued.
class Events : public upload::SendEvents {
 public:
  Events(SendRun& run, const std::vector<std::size_t>& rows)
      : run_(run), rows_(rows), progress_(run) {}
  void protocol_cleared() override { run_.tell(RunEvent::of(RunEvent::Kind::ProtocolCleared)); }
  void protocol_line(const std::string& line) override {
    run_.tell(RunEvent::text(RunEvent::Kind::ProtocolLine, line));
  }
  void show_protocol() override { run_.tell(RunEvent::of(RunEvent::Kind::ProtocolWanted)); }
  void progress_started(std::size_t count) override { progress_.start(count); }
  void progress_advanced() override { progress_.advance(1); }
  void progress_finished() override { progress_.finish(); }
  void article_started(std::size_t index) override {
    if (index < rows_.size())
      run_.tell(RunEvent::of(RunEvent::Kind::ArticleStarted, static_cast<int>(rows_[index])));
  }
  void listings_changed(const std::vector<upload::Listing>& listings) override {
    run_.tell({RunEvent::Kind::ListingsChanged, 0, {}, listings});
  }
  bool stop_requested() override { return run_.stopRequested(); }

 private:
  SendRun& run_;
  const std::vector<std::size_t>& rows_;
  ProgressEvents progress_;
};

}  // namespace

SendRequest send_request(upload::SendJob job, upload::SendServices services,
                         const db::Connection& window_db, const catalogue::FeatureFees& fees,
                         const catalogue::PaymentNames& payments,
                         const upload::ListedRows* listed) {
  SendRequest r;
  r.job = std::move(job);
  r.services = std::move(services);
  r.connect = window_db.connected();
  r.params = window_db.params();
  // The send's own waits and batches from the start: no reopening at its first statement.
  r.params.waits = db::kSendWaits;
  r.params.batches = true;
  r.database = window_db.database();
  r.fees = fees;
  r.payments = payments;
  if (listed) r.listed = listed->copy();
  return r;
}

SendRequest send_request(upload::SendJob job, workspace::Workspace& workspace) {
  return send_request(std::move(job), workspace.send_services(), workspace.db(),
                      workspace.feature_fees(), workspace.payment_names(), &workspace.listed());
}

SendRun::SendRun(QObject* parent) : BackgroundRun(parent) {}

// The job writes the outcome and emits this object's signals until it returns.
SendRun::~SendRun() { stop_and_wait(); }

bool SendRun::start(SendRequest request) {
  if (running()) return false;
  outcome_ = {};
  auto req = std::make_shared<SendRequest>(std::move(request));
  return BackgroundRun::start([this, req] {
    db::Connection db;
    db.set_params(req->params);
    if (req->connect && db.connect() && !req->database.empty()) db.select_database(req->database);
    upload::AuctionHouseRows rows(db, req->fees, req->payments);
    Events events(*this, req->job.rows);
    outcome_ = upload::run_send(req->job, req->services, db, rows, req->listed.get(), events);
  });
}

}  // namespace tellvaro::runs
