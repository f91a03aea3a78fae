#include "app/account_commands.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include "app/account_windows.h"
#include "ports/dialogs.h"
#include "presentation/run_gate.h"
#include "runs/database_read.h"
#include "session/session.h"

namespace tellvaro::app {

namespace {

template <class W>
void show_window(W* w) {
  w->setAttribute(Qt::WA_DeleteOnClose);
  w->show();
  w->raise();
  w->activateWindow();
}

}  // namespace

AccountCommands::AccountCommands(Dependencies dependencies, QObject* parent)
    : QObject(parent), d_(dependencies), fee_read_(new runs::DatabaseRead(this)) {
  connect(fee_read_, &runs::BackgroundRun::finished, this, &AccountCommands::feeStatementRead);
  connect(&d_.my_data, &QAction::triggered, this, [this] { showSellerData(); });
  connect(&d_.my_bills, &QAction::triggered, this, [this] { showFeeStatement(); });
  d_.my_messages.setEnabled(false);
  d_.my_messages.setToolTip(
      QString::fromUtf8("Das Auktionshaus bietet diesem Programm keine Nachrichten an."));
  // Menus hide their items' tool tips unless asked.
  for (QObject* w : d_.my_messages.associatedObjects()) {
    if (auto* menu = qobject_cast<QMenu*>(w)) menu->setToolTipsVisible(true);
  }
}

AccountCommands::~AccountCommands() {
  delete fee_read_;
}

SellerDataWindow* AccountCommands::sellerDataWindow() const { return seller_data_; }
FeeStatementWindow* AccountCommands::feeStatementWindow() const { return fee_statement_; }

void AccountCommands::showSellerData() {
  if (!seller_data_) seller_data_ = new SellerDataWindow(d_.user, &d_.window);
  show_window(seller_data_.data());
}

void AccountCommands::showFeeStatement() {
  // The send and the import hold the one connection between their steps.
  const std::string refusal = d_.gate.refusal(presentation::Command::FeeStatement);
  if (!refusal.empty()) {
    d_.dialogs.inform(refusal);
    return;
  }
  // Read anew at each call: a send since the last look has booked new fees.
  fee_read_->start(d_.db, [this, user = d_.user.id](db::Connection& db) {
    statement_ = catalogue::read_fee_statement(db, user);
  });
}

void AccountCommands::feeStatementRead() {
  if (!fee_read_->failure().empty()) {
    d_.dialogs.error(fee_read_->failure());
    return;
  }
  if (fee_statement_) fee_statement_->close();
  fee_statement_ = new FeeStatementWindow(statement_, &d_.window);
  show_window(fee_statement_.data());
}

}  // namespace tellvaro::app
