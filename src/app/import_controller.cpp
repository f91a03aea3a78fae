#include "app/import_controller.h"

#include <QAction>
#include <QCheckBox>
#include <QPushButton>

#include "app/error_report.h"
#include "app/view_import.h"
#include "import/auction_import.h"
#include "import/transfer_back.h"
#include "ports/dialogs.h"
#include "ports/progress.h"
#include "presentation/labels.h"
#include "runs/import_run.h"
#include "text/error.h"

namespace tellvaro::app {

ImportController::ImportController(Parts parts, QObject* parent)
    : QObject(parent), p_(std::move(parts)), run_(new runs::ImportRun(this)) {
  ImportView& view = p_.view;
  if (p_.open_view) {
    connect(p_.open_view, &QAction::triggered, this, &ImportController::showCounts);
  }
  connect(view.importButton(), &QPushButton::clicked, this, &ImportController::runImport);
  connect(view.transferOneAction(), &QAction::triggered, this, &ImportController::transferCurrent);
  connect(view.transferAllAction(), &QAction::triggered, this, &ImportController::transferAll);

  const auto queued = Qt::QueuedConnection;
  // Seen where the run was started, and kept in the connection status list as before.
  connect(
      run_, &runs::ImportRun::note, this,
      [this](const QString& line) {
        p_.view.addNote(line);
        if (p_.note) p_.note(line.toStdString());
      },
      queued);
  connect(
      run_, &runs::ImportRun::progressStarted, this,
      [this](int count) { p_.progress.start(static_cast<std::size_t>(count)); }, queued);
  connect(
      run_, &runs::ImportRun::progressAdvanced, this, [this] { p_.progress.advance(); }, queued);
  connect(
      run_, &runs::ImportRun::progressFinished, this, [this] { p_.progress.finish(); }, queued);
  connect(run_, &runs::BackgroundRun::finished, this, &ImportController::finish);
}

bool ImportController::running() const { return run_->running(); }

void ImportController::stopAfterCurrent() { run_->requestStop(); }

void ImportController::showCounts() {
  workspace::Workspace& ws = p_.workspace;
  // Without a database the captions keep their last counts; the connection status list on the
  // editor says why already. A running send holds the connection.
  if (!ws.db().connected() || ws.busy()) return;
  run_guarded(p_.dialogs, [&] {
    const importer::Counts counts = importer::count_auctions(ws.db(), ws.user().id);
    p_.view.currentBox()->setText(
        QString::fromStdString(presentation::current_import_caption(counts.current)));
    p_.view.expiredBox()->setText(
        QString::fromStdString(presentation::expired_import_caption(counts.expired)));
  });
}

void ImportController::runImport() {
  workspace::Workspace& ws = p_.workspace;
  if (ws.busy() || run_->running()) return;
  runs::ImportRequest request;
  request.selection = {p_.view.currentBox()->isChecked(), p_.view.expiredBox()->isChecked()};
  runs::connect_like(request, ws.db());
  const session::ServiceConfig& config = ws.config();
  request.ftp.host = config.ftp_host;
  request.ftp.user = config.ftp_user;
  request.ftp.password = config.ftp_password;
  request.user_id = ws.user().id;
  request.picture_folder = ws.picture_folder();
  request.payments = ws.payment_names();
  p_.view.clearNotes();
  busy_ = std::make_unique<workspace::Workspace::Run>(ws);
  if (!run_->start(std::move(request))) busy_.reset();
}

void ImportController::finish() {
  workspace::Workspace& ws = p_.workspace;
  busy_.reset();
  run_guarded(p_.dialogs, [&] {
    if (!run_->failure().empty()) throw Error(run_->failure());
    {
      // The grid hears of the new rows once.
      const store::Table::Batch batch(ws.imports());
      importer::add_imported(run_->result(), ws.imports());
    }
    if (!run_->result().error.empty()) throw Error(run_->result().error);
  });
  emit runFinished();
}

void ImportController::transferCurrent() {
  workspace::Workspace& ws = p_.workspace;
  if (ws.busy()) return;
  run_guarded(p_.dialogs, [&] { importer::transfer_current(ws.imports(), ws.articles()); });
}

void ImportController::transferAll() {
  workspace::Workspace& ws = p_.workspace;
  if (ws.busy()) return;
  run_guarded(p_.dialogs, [&] { importer::transfer_all(ws.imports(), ws.articles()); });
}

}  // namespace tellvaro::app
