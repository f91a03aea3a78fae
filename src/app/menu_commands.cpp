#include "app/menu_commands.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include "app/account_windows.h"
#include "app/error_report.h"
#include "catalogue/fee_account.h"
#include "media/pictures.h"
#include "ports/dialogs.h"
#include "presentation/run_gate.h"
#include "runs/database_read.h"
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

MenuCommands::MenuCommands(Dependencies dependencies, QObject* parent)
    : QObject(parent), d_(std::move(dependencies)), fee_read_(new runs::DatabaseRead(this)) {
  connect(fee_read_, &runs::BackgroundRun::finished, this, &MenuCommands::feeStatementRead);
  if (d_.import_mine && d_.imports) {
    connect(d_.import_mine, &QAction::triggered, d_.imports, &QAction::trigger);
  }
  if (d_.import_file) connect(d_.import_file, &QAction::triggered, this, [this] { importFile(); });
  if (d_.export_file) connect(d_.export_file, &QAction::triggered, this, [this] { exportFile(); });
  if (d_.my_data) connect(d_.my_data, &QAction::triggered, this, [this] { showSellerData(); });
  if (d_.my_bills) connect(d_.my_bills, &QAction::triggered, this, [this] { showFeeStatement(); });
  if (d_.my_messages) {
    d_.my_messages->setEnabled(false);
    d_.my_messages->setToolTip(u("Das Auktionshaus bietet diesem Programm keine Nachrichten an."));
    // Menus hide their items' tool tips unless asked.
    for (QObject* w : d_.my_messages->associatedObjects()) {
      if (auto* menu = qobject_cast<QMenu*>(w)) menu->setToolTipsVisible(true);
    }
  }
  if (d_.direct) connect(d_.direct, &QAction::triggered, this, [this] { transferDirect(); });
}

SellerDataWindow* MenuCommands::sellerDataWindow() const { return seller_data_; }
FeeStatementWindow* MenuCommands::feeStatementWindow() const { return fee_statement_; }

bool MenuCommands::refused(presentation::Command command) {
  const std::string refusal = d_.gate.refusal(command);
  if (!refusal.empty()) d_.dialogs.inform(refusal);
  return !refusal.empty();
}

void MenuCommands::importFile() {
  if (refused(presentation::Command::ImportFile)) return;
  if (d_.commit_edits) d_.commit_edits();
  auto path =
      d_.dialogs.open_file(d_.workspace.program_folder(), std::string(store::kCsvFileTypes));
  if (!path) return;
  run_guarded(d_.dialogs, [&] {
    auto result = media::import_articles_with_pictures(d_.workspace.articles(), *path,
                                                       d_.workspace.picture_folder());
    d_.dialogs.inform(store::import_summary(result));
  });
}

void MenuCommands::exportFile() {
  if (d_.commit_edits) d_.commit_edits();
  auto path =
      d_.dialogs.save_file(d_.workspace.program_folder(), std::string(store::kCsvFileTypes));
  if (!path) return;
  path = store::with_csv_extension(*path);
  run_guarded(d_.dialogs, [&] {
    const std::size_t n = store::export_articles_csv(d_.workspace.articles(), *path);
    d_.dialogs.inform(store::export_summary(n, *path));
  });
}

void MenuCommands::showSellerData() {
  if (!seller_data_) {
    seller_data_ = new SellerDataWindow(d_.workspace.user(), d_.window);
  }
  show_window(seller_data_.data());
}

void MenuCommands::showFeeStatement() {
  // The send and the import hold the one connection between their steps.
  if (refused(presentation::Command::FeeStatement)) return;
  // Read anew at each call: a send since the last look has booked new fees.
  fee_read_->start(d_.workspace.db(), [this, user = d_.workspace.user().id](db::Connection& db) {
    statement_ = catalogue::read_fee_statement(db, user);
  });
}

void MenuCommands::feeStatementRead() {
  if (!fee_read_->failure().empty()) {
    d_.dialogs.error(fee_read_->failure());
    return;
  }
  if (fee_statement_) fee_statement_->close();
  fee_statement_ = new FeeStatementWindow(statement_, d_.window);
  show_window(fee_statement_.data());
}

void MenuCommands::transferDirect() {
  if (refused(presentation::Command::TransferToUploads)) return;
  if (d_.transfer_one && d_.transfer_one() && d_.send_marked) d_.send_marked();
}

}  // namespace tellvaro::app
