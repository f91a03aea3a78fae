#include "app/import_controller.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QPushButton>

#include "app/error_report.h"
#include "app/view_import.h"
#include "import/auction_import.h"
#include "import/transfer_back.h"
#include "ports/progress.h"
#include "workspace/workspace.h"

namespace tellvaro::app {

ImportController::ImportController(Parts parts, QObject* parent)
    : QObject(parent), p_(std::move(parts)) {
  ImportView& view = p_.view;
  if (p_.open_view) {
    connect(p_.open_view, &QAction::triggered, this, &ImportController::showCounts);
  }
  connect(view.importButton(), &QPushButton::clicked, this, &ImportController::runImport);
  connect(view.transferOneAction(), &QAction::triggered, this, &ImportController::transferCurrent);
  connect(view.transferAllAction(), &QAction::triggered, this, &ImportController::transferAll);
}

void ImportController::showCounts() {
  workspace::Workspace& ws = p_.workspace;
  // Without a database the captions keep their last counts; the connection status list on the
  // editor says why already. A running send holds the connection.
  if (!ws.db().connected() || ws.busy()) return;
  run_guarded(p_.dialogs, [&] {
    const importer::Counts counts = importer::count_auctions(ws.db(), ws.user().id);
    p_.view.currentBox()->setText(
        QString::fromStdString(importer::current_caption(counts.current)));
    p_.view.expiredBox()->setText(
        QString::fromStdString(importer::expired_caption(counts.expired)));
  });
}

void ImportController::runImport() {
  workspace::Workspace& ws = p_.workspace;
  if (ws.busy()) return;
  const importer::Selection selection{p_.view.currentBox()->isChecked(),
                                      p_.view.expiredBox()->isChecked()};
  importer::Hooks hooks;
  hooks.pump = [] { QCoreApplication::processEvents(); };
  hooks.progress = &p_.progress;
  p_.view.clearNotes();
  // Seen where the run was started, and kept in the connection status list as before.
  hooks.note = [this](const std::string& line) {
    p_.view.addNote(QString::fromStdString(line));
    if (p_.note) p_.note(line);
  };
  const session::ServiceConfig& config = ws.config();
  net::Endpoint ftp;
  ftp.host = config.ftp_host;
  ftp.user = config.ftp_user;
  ftp.password = config.ftp_password;
  const importer::Services services{ws.db(),      std::move(ftp),      {},
                                    ws.user().id, ws.picture_folder(), ws.payment_names()};
  const workspace::Workspace::Run busy(ws);
  run_guarded(p_.dialogs, [&] {
    // The grid hears of the new rows once, when the run is over.
    const store::Table::Batch batch(ws.imports());
    importer::run_import(services, selection, ws.imports(), hooks);
  });
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
