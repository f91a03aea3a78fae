#pragma once

// The menu items beyond the views and files: showing the import view from "Meine Artikel aus
// dem Auktionshaus importieren", articles from and to a CSV file, the windows "Meine Daten" and
// "Meine Rechnungen", "Meine Nachrichten" (offered by no auction house to this program), and
// the direct transfer of one article from the article grid's menu.

#include <QObject>
#include <QPointer>
#include <functional>

#include "catalogue/fee_account.h"

class QAction;
class QWidget;

namespace tellvaro::runs {
class DatabaseRead;
}
namespace tellvaro::ports {
class Dialogs;
}
namespace tellvaro::presentation {
class RunGate;
enum class Command;
}  // namespace tellvaro::presentation
namespace tellvaro::workspace {
class Workspace;
}

namespace tellvaro::app {

class SellerDataWindow;
class FeeStatementWindow;

class MenuCommands : public QObject {
  Q_OBJECT

 public:
  struct Dependencies {
    workspace::Workspace& workspace;
    const presentation::RunGate& gate;
    QWidget* window;  // parent of the windows
    ports::Dialogs& dialogs;
    std::function<void()> commit_edits;  // what the editor holds goes into the record
    // The article grid's one-article transfer (true when the article was copied) and the send
    // of the upload table's current record.
    std::function<bool()> transfer_one;
    std::function<void()> send_marked;
    // The menu items; absent ones are left alone.
    QAction* imports = nullptr;  // "&Importieren"
    QAction* import_mine = nullptr;
    QAction* import_file = nullptr;
    QAction* export_file = nullptr;
    QAction* my_data = nullptr;
    QAction* my_bills = nullptr;
    QAction* my_messages = nullptr;
    QAction* direct = nullptr;
  };
  explicit MenuCommands(Dependencies dependencies, QObject* parent = nullptr);

  void importFile();
  void exportFile();
  void showSellerData();
  // Reads the fee statement off the window's thread and shows it when it is there.
  void showFeeStatement();
  void transferDirect();

  // The windows while they are open.
  SellerDataWindow* sellerDataWindow() const;
  FeeStatementWindow* feeStatementWindow() const;

 private:
  // Says why `command` waits for a run, if it does.
  bool refused(presentation::Command command);
  void feeStatementRead();

  Dependencies d_;
  QPointer<SellerDataWindow> seller_data_;
  QPointer<FeeStatementWindow> fee_statement_;
  runs::DatabaseRead* fee_read_ = nullptr;
  catalogue::FeeStatement statement_;  // written by the read's thread, read once it has ended
};

}  // namespace tellvaro::app
