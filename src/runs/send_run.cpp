#include "runs/send_run.h"

#include <QMetaType>

namespace tellvaro::runs {

namespace {

// Turns what the run tells into signals; emitted on the run's thread, delivered queued.
class Signals : public upload::SendEvents {
 public:
  Signals(SendRun& run, const std::vector<std::size_t>& rows) : run_(run), rows_(rows) {}
  void protocol_cleared() override { emit run_.protocolCleared(); }
  void protocol_line(const std::string& line) override {
    emit run_.protocolLine(QString::fromStdString(line));
  }
  void show_protocol() override { emit run_.protocolWanted(); }
  void progress_started(std::size_t count) override {
    emit run_.progressStarted(static_cast<int>(count));
  }
  void progress_advanced() override { emit run_.progressAdvanced(); }
  void progress_finished() override { emit run_.progressFinished(); }
  void article_started(std::size_t index) override {
    if (index < rows_.size()) emit run_.articleStarted(static_cast<int>(rows_[index]));
  }
  void listings_changed(const std::vector<upload::Listing>& listings) override {
    emit run_.listingsChanged(listings);
  }
  bool stop_requested() override { return run_.stopRequested(); }

 private:
  SendRun& run_;
  const std::vector<std::size_t>& rows_;
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

SendRun::SendRun(QObject* parent) : BackgroundRun(parent) {
  qRegisterMetaType<std::vector<upload::Listing>>();
}

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
    Signals events(*this, req->job.rows);
    outcome_ = upload::run_send(req->job, req->services, db, rows, req->listed.get(), events);
  });
}

}  // namespace tellvaro::runs
