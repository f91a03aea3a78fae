#pragma once

// Owns the menu "&Benutzer": "Meine Daten" (the seller as the login found it), "Meine
// Rechnungen" (the fee statement, read anew off the window's thread at each call) and "Meine
// Nachrichten" (offered by no auction house to this program).

#include <QObject>
#include <QPointer>

#include "catalogue/fee_account.h"

class QAction;
class QWidget;

namespace tellvaro::db {
class Connection;
}
namespace tellvaro::ports {
class Dialogs;
}
namespace tellvaro::presentation {
class RunGate;
}
namespace tellvaro::runs {
class DatabaseRead;
}
namespace tellvaro::session {
struct SessionUser;
}

namespace tellvaro::app {

class SellerDataWindow;
class FeeStatementWindow;

class AccountCommands : public QObject {
  Q_OBJECT

 public:
  struct Dependencies {
    const session::SessionUser& user;
    const db::Connection& db;  // the window's: the statement is read on one like it
    const presentation::RunGate& gate;
    ports::Dialogs& dialogs;
    QWidget& window;  // parent of the windows
    QAction& my_data;
    QAction& my_bills;
    QAction& my_messages;
  };
  explicit AccountCommands(Dependencies dependencies, QObject* parent = nullptr);
  // Waits for the fee read while it is still whole: the read writes into it.
  ~AccountCommands() override;

  void showSellerData();
  // Reads the fee statement off the window's thread and shows it when it is there.
  void showFeeStatement();

  // The windows while they are open.
  SellerDataWindow* sellerDataWindow() const;
  FeeStatementWindow* feeStatementWindow() const;

 private:
  void feeStatementRead();

  Dependencies d_;
  QPointer<SellerDataWindow> seller_data_;
  QPointer<FeeStatementWindow> fee_statement_;
  runs::DatabaseRead* fee_read_ = nullptr;
  catalogue::FeeStatement statement_;  // written by the read's thread, read once it has ended
};

}  // namespace tellvaro::app
