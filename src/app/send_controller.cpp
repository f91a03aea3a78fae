#include "app/send_controller.h"

#include <QCoreApplication>
#include <QPushButton>

#include "app/error_report.h"
#include "app/view_upload.h"
#include "ports/progress.h"
#include "workspace/workspace.h"

namespace tellvaro::app {

SendController::SendController(Parts parts, QObject* parent)
    : QObject(parent), p_(std::move(parts)) {
  connect(p_.view.sendOneButton(), &QPushButton::clicked, this, &SendController::sendMarked);
  connect(p_.view.sendAllButton(), &QPushButton::clicked, this, &SendController::sendAll);
}

SendController::~SendController() = default;

void SendController::sendMarked() { run(false); }
void SendController::sendAll() { run(true); }

void SendController::run(bool all) {
  workspace::Workspace& ws = p_.workspace;
  // The pauses of a run let clicks through; a second run waits for the first to end.
  if (ws.busy()) return;
  const workspace::Workspace::Run busy(ws);
  run_guarded(p_.dialogs, [&] {
    upload::AuctionHouseRows rows(ws.db(), ws.feature_fees(), ws.payment_names());
    upload::Sender sender({ws.db(),
                           ws.uploads(),
                           rows,
                           p_.dialogs,
                           *this,
                           ws.protocol(),
                           &p_.progress,
                           p_.show_protocol,
                           ws.config(),
                           ws.user(),
                           ws.deployment().web_url,
                           ws.picture_folder(),
                           {},
                           &ws.listed()});
    if (all) {
      sender.send_all();
    } else {
      sender.send_marked();
    }
  });
}

void SendController::pump() { QCoreApplication::processEvents(); }

}  // namespace tellvaro::app
