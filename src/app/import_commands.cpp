#include "app/import_commands.h"

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
#include "presentation/run_gate.h"
#include "runs/database_read.h"
#include "runs/import_run.h"
#include "text/error.h"

namespace tellvaro::app {

ImportCommands::ImportCommands(Dependencies dependencies, QObject* parent)
    : QObject(parent),
      d_(std::move(dependencies)),
      run_(new runs::ImportRun(this)),
      count_read_(new runs::DatabaseRead(this)) {
  ImportView& view = d_.view;
  connect(&d_.open_view, &QAction::triggered, this, &ImportCommands::showCounts);
  connect(view.importButton(), &QPushButton::clicked, this, &ImportCommands::runImport);
  connect(view.transferOneAction(), &QAction::triggered, this, &ImportCommands::transferCurrent);
  connect(view.transferAllAction(), &QAction::triggered, this, &ImportCommands::transferAll);

  connect(
      run_, &runs::BackgroundRun::event, this,
      [this](const runs::RunEvent& e) {
        if (runs::forward_progress(e, d_.progress) || e.kind != runs::RunEvent::Kind::Note) return;
        // Seen where the run was started, and kept in the connection status list as before.
        d_.view.addNote(e.line);
        if (d_.note) d_.note(e.line.toStdString());
      },
      Qt::QueuedConnection);
  connect(run_, &runs::BackgroundRun::finished, this, &ImportCommands::finish);
  connect(count_read_, &runs::BackgroundRun::finished, this, &ImportCommands::countsRead);
}

ImportCommands::~ImportCommands() {
  delete count_read_;
  delete run_;
}

bool ImportCommands::running() const { return run_->running(); }

void ImportCommands::stopAfterCurrent() { run_->requestStop(); }

void ImportCommands::showCounts() {
  workspace::Workspace& ws = d_.workspace;
  // Without a database the captions keep their last counts; the connection status list on the
  // editor says why already. A running send holds the connection.
  if (!ws.db().connected() || !d_.gate.allows(presentation::Command::CountImports)) return;
  count_read_->start(ws.db(), [this, user = ws.user().id](db::Connection& db) {
    counts_ = importer::count_auctions(db, user);
  });
}

void ImportCommands::countsRead() {
  if (!count_read_->failure().empty()) {
    d_.dialogs.error(count_read_->failure());
  } else {
    d_.view.currentBox()->setText(
        QString::fromStdString(presentation::current_import_caption(counts_.current)));
    d_.view.expiredBox()->setText(
        QString::fromStdString(presentation::expired_import_caption(counts_.expired)));
  }
  emit countsShown();
}

void ImportCommands::runImport() {
  workspace::Workspace& ws = d_.workspace;
  if (!d_.gate.allows(presentation::Command::Import) || run_->running()) return;
  auto request = runs::import_request(
      {d_.view.currentBox()->isChecked(), d_.view.expiredBox()->isChecked()}, ws);
  d_.view.clearNotes();
  busy_ = std::make_unique<workspace::Workspace::Run>(ws);
  if (!run_->start(std::move(request))) busy_.reset();
}

void ImportCommands::finish() {
  workspace::Workspace& ws = d_.workspace;
  busy_.reset();
  run_guarded(d_.dialogs, [&] {
    if (!run_->failure().empty()) throw Error(run_->failure());
    // The grid hears of the new rows once; it stands on the last of them, as after a walk.
    const auto added = importer::add_imported(run_->result(), ws.imports());
    if (!added.empty()) ws.imports().move_to_key(added.back());
    if (!run_->result().error.empty()) throw Error(run_->result().error);
  });
  emit runFinished();
}

void ImportCommands::transferCurrent() {
  workspace::Workspace& ws = d_.workspace;
  if (!d_.gate.allows(presentation::Command::TransferBack)) return;
  run_guarded(d_.dialogs, [&] {
    const auto added = importer::transfer_back({ws.imports().values()}, ws.articles());
    // The new article is the one the editor shows.
    ws.articles().move_to_key(added.back());
  });
}

void ImportCommands::transferAll() {
  workspace::Workspace& ws = d_.workspace;
  if (!d_.gate.allows(presentation::Command::TransferBack)) return;
  run_guarded(d_.dialogs, [&] {
    store::Table& imports = ws.imports();
    imports.post_if_changed();
    const auto added = importer::transfer_back(imports.shown(), ws.articles());
    // Where a walk through them ends: the import grid on its last record, the editor on the
    // last new article.
    imports.last();
    if (!added.empty()) ws.articles().move_to_key(added.back());
  });
}

}  // namespace tellvaro::app
