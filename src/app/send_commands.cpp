#include "app/send_commands.h"

#include <QPushButton>

#include "app/error_report.h"
#include "app/view_upload.h"
#include "ports/dialogs.h"
#include "ports/progress.h"
#include "presentation/run_gate.h"
#include "runs/send_run.h"

namespace tellvaro::app {

SendCommands::SendCommands(Dependencies dependencies, QObject* parent)
    : QObject(parent), d_(std::move(dependencies)), run_(new runs::SendRun(this)) {
  connect(d_.view.sendOneButton(), &QPushButton::clicked, this, &SendCommands::sendMarked);
  connect(d_.view.sendAllButton(), &QPushButton::clicked, this, &SendCommands::sendAll);

  connect(run_, &runs::BackgroundRun::event, this, &SendCommands::told, Qt::QueuedConnection);
  connect(run_, &runs::BackgroundRun::finished, this, &SendCommands::finish);
}

SendCommands::~SendCommands() = default;

void SendCommands::told(const runs::RunEvent& e) {
  if (runs::forward_progress(e, d_.progress)) return;
  workspace::Workspace& ws = d_.workspace;
  using Kind = runs::RunEvent::Kind;
  switch (e.kind) {
    case Kind::ProtocolCleared:
      ws.protocol().clear();
      break;
    case Kind::ProtocolLine:
      ws.protocol().add(e.line.toStdString());
      break;
    case Kind::ProtocolWanted:
      if (d_.show_protocol) d_.show_protocol();
      break;
    case Kind::ArticleStarted:
      // The grid follows the article being sent, as the seller is used to.
      run_guarded(d_.dialogs, [&] {
        if (e.count >= 0 && static_cast<std::size_t>(e.count) < ws.uploads().count())
          ws.uploads().move_to(static_cast<std::size_t>(e.count));
      });
      break;
    case Kind::ListingsChanged:
      ws.listed().take_listings(e.listings);
      break;
    default:
      break;
  }
}

void SendCommands::sendMarked() { start(false); }
void SendCommands::sendAll() { start(true); }

bool SendCommands::running() const { return run_->running(); }

void SendCommands::stopAfterCurrent() { run_->requestStop(); }

void SendCommands::start(bool all) {
  workspace::Workspace& ws = d_.workspace;
  // One run at a time, and none while an import holds the tables.
  if (!d_.gate.allows(presentation::Command::Send) || run_->running()) return;
  run_guarded(d_.dialogs, [&] {
    const store::Table& uploads = ws.uploads();
    auto job = upload::prepare_send(uploads.shown(), uploads.position(), all, &ws.listed(),
                                    d_.dialogs, ws.protocol(), &ws.frames());
    if (!job) return;
    busy_ = std::make_unique<workspace::Workspace::Run>(ws);
    if (!run_->start(runs::send_request(std::move(*job), ws))) busy_.reset();
  });
}

void SendCommands::finish() {
  busy_.reset();
  const upload::SendOutcome& outcome = run_->outcome();
  if (!outcome.stopped) upload::report_send(outcome, d_.dialogs);
  emit runFinished();
}

}  // namespace tellvaro::app
