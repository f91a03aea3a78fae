#include "app/send_controller.h"

#include <QPushButton>

#include "app/error_report.h"
#include "app/view_upload.h"
#include "ports/dialogs.h"
#include "ports/progress.h"
#include "presentation/run_gate.h"
#include "runs/send_run.h"

namespace tellvaro::app {

SendController::SendController(Dependencies dependencies, QObject* parent)
    : QObject(parent), d_(std::move(dependencies)), run_(new runs::SendRun(this)) {
  connect(d_.view.sendOneButton(), &QPushButton::clicked, this, &SendController::sendMarked);
  connect(d_.view.sendAllButton(), &QPushButton::clicked, this, &SendController::sendAll);

  workspace::Workspace& ws = d_.workspace;
  const auto queued = Qt::QueuedConnection;
  connect(
      run_, &runs::SendRun::protocolCleared, this, [&ws] { ws.protocol().clear(); }, queued);
  connect(
      run_, &runs::SendRun::protocolLine, this,
      [&ws](const QString& line) { ws.protocol().add(line.toStdString()); }, queued);
  connect(
      run_, &runs::SendRun::protocolWanted, this,
      [this] {
        if (d_.show_protocol) d_.show_protocol();
      },
      queued);
  connect(
      run_, &runs::SendRun::progressStarted, this,
      [this](int count) { d_.progress.start(static_cast<std::size_t>(count)); }, queued);
  connect(
      run_, &runs::SendRun::progressAdvanced, this, [this] { d_.progress.advance(); }, queued);
  connect(
      run_, &runs::SendRun::progressFinished, this, [this] { d_.progress.finish(); }, queued);
  // The grid follows the article being sent, as the seller is used to.
  connect(
      run_, &runs::SendRun::articleStarted, this,
      [this, &ws](int row) {
        run_guarded(d_.dialogs, [&] {
          if (row >= 0 && static_cast<std::size_t>(row) < ws.uploads().count())
            ws.uploads().move_to(static_cast<std::size_t>(row));
        });
      },
      queued);
  connect(
      run_, &runs::SendRun::listingsChanged, this,
      [&ws](const std::vector<upload::Listing>& listings) { ws.listed().take_listings(listings); },
      queued);
  connect(run_, &runs::BackgroundRun::finished, this, &SendController::finish);
}

SendController::~SendController() = default;

void SendController::sendMarked() { start(false); }
void SendController::sendAll() { start(true); }

bool SendController::running() const { return run_->running(); }

void SendController::stopAfterCurrent() { run_->requestStop(); }

void SendController::start(bool all) {
  workspace::Workspace& ws = d_.workspace;
  // One run at a time, and none while an import holds the tables.
  if (!d_.gate.allows(presentation::Command::Send) || run_->running()) return;
  run_guarded(d_.dialogs, [&] {
    const store::Table& uploads = ws.uploads();
    auto job = upload::prepare_send(uploads.shown(), uploads.position(), all, &ws.listed(),
                                    d_.dialogs, ws.protocol());
    if (!job) return;
    busy_ = std::make_unique<workspace::Workspace::Run>(ws);
    if (!run_->start(runs::send_request(
            std::move(*job),
            {ws.config(), ws.user(), ws.deployment().web_url, ws.picture_folder(), {}}, ws.db(),
            ws.feature_fees(), ws.payment_names(), &ws.listed())))
      busy_.reset();
  });
}

void SendController::finish() {
  busy_.reset();
  const upload::SendOutcome& outcome = run_->outcome();
  if (!outcome.stopped) upload::report_send(outcome, d_.dialogs);
  emit runFinished();
}

}  // namespace tellvaro::app
