#include "app/import_controller.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QListWidget>
#include <QPushButton>

#include "app/editor/article_editor.h"
#include "app/error_report.h"
#include "app/main_window.h"
#include "app/record_navigator.h"
#include "app/status_progress.h"
#include "app/table_grid.h"
#include "app/view_article.h"
#include "app/view_import.h"
#include "db/connection.h"
#include "import/auction_import.h"
#include "import/transfer_back.h"
#include "store/article_store.h"
#include "text/error.h"

namespace tellvaro::app {

ImportController::ImportController(MainWindow& window) : QObject(&window), window_(window) {
  ImportView* view = window_.importView();
  connect(window_.menus().imports, &QAction::triggered, this, &ImportController::showCounts);
  connect(view->importButton(), &QPushButton::clicked, this, &ImportController::runImport);
  connect(view->transferOneAction(), &QAction::triggered, this, &ImportController::transferCurrent);
  connect(view->transferAllAction(), &QAction::triggered, this, &ImportController::transferAll);
}

void ImportController::showCounts() {
  // Without a database the captions keep their last counts; the connection status list on the
  // editor says why already.
  if (!window_.connection().connected()) return;
  run_guarded(window_.dialogs(), [&] {
    const importer::Counts counts =
        importer::count_auctions(window_.connection(), window_.user().id);
    ImportView* view = window_.importView();
    view->currentBox()->setText(QString::fromStdString(importer::current_caption(counts.current)));
    view->expiredBox()->setText(QString::fromStdString(importer::expired_caption(counts.expired)));
  });
}

void ImportController::runImport() {
  if (running_) return;
  ImportView* view = window_.importView();
  const importer::Selection selection{view->currentBox()->isChecked(),
                                      view->expiredBox()->isChecked()};
  StatusProgress* progress = window_.statusProgress();
  QListWidget* status = window_.articleView()->editor()->connectionStatusList();
  importer::Hooks hooks;
  hooks.pump = [] { QCoreApplication::processEvents(); };
  hooks.start = [progress](std::size_t rows) { progress->start(rows); };
  hooks.advance = [progress] { progress->advance(); };
  hooks.finish = [progress] { progress->finish(); };
  hooks.note = [status](const std::string& line) { status->addItem(QString::fromStdString(line)); };
  const session::ServiceConfig& config = window_.config();
  net::Endpoint ftp;
  ftp.host = config.ftp_host;
  ftp.user = config.ftp_user;
  ftp.password = config.ftp_password;
  const importer::Services services{window_.connection(),
                                    std::move(ftp),
                                    {},
                                    window_.user().id,
                                    window_.pictureFolder(),
                                    window_.articleView()->editor()->paymentNames()};
  setRunning(true);
  // The grid shows the new rows once, when the run is over.
  view->grid()->setUpdatesEnabled(false);
  run_guarded(window_.dialogs(),
              [&] { importer::run_import(services, selection, window_.store().imports, hooks); });
  view->grid()->setUpdatesEnabled(true);
  setRunning(false);
}

void ImportController::transferCurrent() {
  if (running_) return;
  run_guarded(window_.dialogs(), [&] {
    importer::transfer_current(window_.store().imports, window_.store().articles);
  });
}

void ImportController::transferAll() {
  if (running_) return;
  run_guarded(window_.dialogs(),
              [&] { importer::transfer_all(window_.store().imports, window_.store().articles); });
}

void ImportController::setRunning(bool on) {
  running_ = on;
  window_.setBusy(on);
  ImportView* view = window_.importView();
  for (QWidget* w : {static_cast<QWidget*>(view->importButton()),
                     static_cast<QWidget*>(view->navigator()), static_cast<QWidget*>(view->grid())})
    w->setEnabled(!on);
  for (QAction* a : {view->transferOneAction(), view->transferAllAction(), view->removeAllAction()})
    a->setEnabled(!on);
  emit runningChanged(on);
}

}  // namespace tellvaro::app
