#include "app/send_controller.h"

#include <QAction>
#include <QCoreApplication>
#include <QListWidget>
#include <QPushButton>

#include "app/editor/article_editor.h"
#include "app/error_report.h"
#include "app/main_window.h"
#include "app/record_navigator.h"
#include "app/status_progress.h"
#include "app/view_article.h"
#include "app/view_protocol.h"
#include "app/view_upload.h"
#include "store/article_store.h"

namespace tellvaro::app {

SendController::SendController(MainWindow& window, std::string web_url)
    : QObject(&window), window_(window), web_url_(std::move(web_url)) {
  UploadView* view = window_.uploadView();
  connect(view->sendOneButton(), &QPushButton::clicked, this, &SendController::sendMarked);
  connect(view->sendAllButton(), &QPushButton::clicked, this, &SendController::sendAll);
}

SendController::~SendController() = default;

QProgressBar* SendController::progressBar() const { return window_.statusProgress()->bar(); }

void SendController::sendMarked() { run(false); }
void SendController::sendAll() { run(true); }

void SendController::run(bool all) {
  // The pauses of a send let clicks through; a second send waits for the first to end.
  if (running_) return;
  setRunning(true);
  run_guarded(window_.dialogs(), [&] {
    upload::AuctionHouseRows rows(window_.connection(),
                                  window_.articleView()->editor()->featureFees(),
                                  window_.articleView()->editor()->paymentNames());
    upload::Sender sender({window_.connection(),
                           window_.store().uploads,
                           rows,
                           window_.dialogs(),
                           *this,
                           *this,
                           this,
                           [this] { window_.showView(MainWindow::View::Protocol); },
                           window_.config(),
                           window_.user(),
                           web_url_,
                           window_.pictureFolder(),
                           {}});
    if (all) {
      sender.send_all();
    } else {
      sender.send_marked();
    }
  });
  setRunning(false);
}

void SendController::setRunning(bool on) {
  running_ = on;
  window_.setBusy(on);
  UploadView* view = window_.uploadView();
  // Everything on the upload view that sends again or changes the upload table.
  for (QWidget* w :
       {static_cast<QWidget*>(view->sendOneButton()), static_cast<QWidget*>(view->sendAllButton()),
        static_cast<QWidget*>(view->navigator())})
    w->setEnabled(!on);
  ArticleView* articles = window_.articleView();
  for (QAction* a :
       {view->copyAction(), view->removeAction(), view->removeAllAction(),
        articles->transferOneAction(), articles->transferAllAction(), articles->directAction()})
    a->setEnabled(!on);
  emit runningChanged(on);
}

void SendController::pump() { QCoreApplication::processEvents(); }

void SendController::clear() { window_.protocolView()->list()->clear(); }

void SendController::add(const std::string& line) {
  QListWidget* list = window_.protocolView()->list();
  list->addItem(QString::fromStdString(line));
  list->scrollToBottom();
}

void SendController::start(std::size_t count) { window_.statusProgress()->start(count); }

void SendController::advance() { window_.statusProgress()->advance(); }

void SendController::finish() { window_.statusProgress()->finish(); }

}  // namespace tellvaro::app
