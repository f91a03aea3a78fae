#include "app/menu_commands.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include "app/account_windows.h"
#include "app/error_report.h"
#include "catalogue/fee_account.h"
#include "ports/dialogs.h"
#include "store/csv.h"
#include "store/table.h"
#include "workspace/workspace.h"

namespace tellvaro::app {

namespace {
QString u(const char* s) { return QString::fromUtf8(s); }

template <class W>
void show_window(W* w) {
  w->setAttribute(Qt::WA_DeleteOnClose);
  w->show();
  w->raise();
  w->activateWindow();
}
}  // namespace

MenuCommands::MenuCommands(Parts parts, Actions a, QObject* parent)
    : QObject(parent), p_(std::move(parts)) {
  if (a.import_mine && a.imports) {
    connect(a.import_mine, &QAction::triggered, a.imports, &QAction::trigger);
  }
  if (a.import_file) connect(a.import_file, &QAction::triggered, this, [this] { importFile(); });
  if (a.export_file) connect(a.export_file, &QAction::triggered, this, [this] { exportFile(); });
  if (a.my_data) connect(a.my_data, &QAction::triggered, this, [this] { showSellerData(); });
  if (a.my_bills) connect(a.my_bills, &QAction::triggered, this, [this] { showFeeStatement(); });
  if (a.my_messages) {
    a.my_messages->setEnabled(false);
    a.my_messages->setToolTip(u("Das Auktionshaus bietet diesem Programm keine Nachrichten an."));
    // Menus hide their items' tool tips unless asked.
    for (QObject* w : a.my_messages->associatedObjects()) {
      if (auto* menu = qobject_cast<QMenu*>(w)) menu->setToolTipsVisible(true);
    }
  }
  if (a.direct) connect(a.direct, &QAction::triggered, this, [this] { transferDirect(); });
}

SellerDataWindow* MenuCommands::sellerDataWindow() const { return seller_data_; }
FeeStatementWindow* MenuCommands::feeStatementWindow() const { return fee_statement_; }

bool MenuCommands::refuseWhileBusy() {
  if (p_.workspace.busy()) {
    p_.dialogs.inform("Bitte warten, bis das Senden oder der Import beendet ist.");
    return true;
  }
  return false;
}

void MenuCommands::importFile() {
  if (refuseWhileBusy()) return;
  if (p_.commit_edits) p_.commit_edits();
  auto path =
      p_.dialogs.open_file(p_.workspace.program_folder(), std::string(store::kCsvFileTypes));
  if (!path) return;
  run_guarded(p_.dialogs, [&] {
    auto result = store::import_articles_csv(p_.workspace.articles(), *path);
    p_.dialogs.inform(store::import_summary(result));
  });
}

void MenuCommands::exportFile() {
  if (p_.commit_edits) p_.commit_edits();
  auto path =
      p_.dialogs.save_file(p_.workspace.program_folder(), std::string(store::kCsvFileTypes));
  if (!path) return;
  path = store::with_csv_extension(*path);
  run_guarded(p_.dialogs, [&] {
    const std::size_t n = store::export_articles_csv(p_.workspace.articles(), *path);
    p_.dialogs.inform(store::export_summary(n, *path));
  });
}

void MenuCommands::showSellerData() {
  if (!seller_data_) {
    seller_data_ = new SellerDataWindow(p_.workspace.user(), p_.window);
  }
  show_window(seller_data_.data());
}

void MenuCommands::showFeeStatement() {
  // The send and the import hold the one connection between their steps.
  if (refuseWhileBusy()) return;
  catalogue::FeeStatement statement;
  if (!run_guarded(p_.dialogs, [&] {
        statement = catalogue::read_fee_statement(p_.workspace.db(), p_.workspace.user().id);
      })) {
    return;
  }
  // Read anew at each call: a send since the last look has booked new fees.
  if (fee_statement_) fee_statement_->close();
  fee_statement_ = new FeeStatementWindow(statement, p_.window);
  show_window(fee_statement_.data());
}

void MenuCommands::transferDirect() {
  if (refuseWhileBusy()) return;
  if (p_.transfer_one && p_.transfer_one() && p_.send_marked) p_.send_marked();
}

}  // namespace tellvaro::app
