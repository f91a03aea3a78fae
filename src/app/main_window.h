#pragma once

#include <QMainWindow>
#include <memory>
#include <string>

#include "session/session.h"

class QLabel;
class QMenu;

namespace tellvaro::ports {
class Dialogs;
}
namespace tellvaro::store {
struct ArticleStore;
class GridSorting;
}  // namespace tellvaro::store
namespace tellvaro::db {
class Connection;
}

namespace tellvaro::app {

class ArticleView;
class UploadView;
class ProtocolView;
class ImportView;
class SendController;
class ImportController;
class StatusProgress;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // The login hands over what it found; `login_window` is closed by the close sequence, which
  // ends the program.
  MainWindow(session::ServiceConfig config, session::SessionUser user,
             session::Deployment deployment, std::string program_folder, ports::Dialogs& dialogs,
             QWidget* login_window, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Main window creation in its order: tables, caption, refresh, start sort, connection,
  // reference lists. Shows errors through the dialogs; the window stays usable.
  void start();

  enum class View { Articles, Uploads, Protocol, Imports };
  // Shows one view, hides the others and checks only its menu item. Changes no data.
  void showView(View view);
  View currentView() const;

  // The menu items; items whose work belongs elsewhere are connected by their owners.
  struct Menus {
    QMenu* file = nullptr;
    QAction* open = nullptr;
    QAction* save = nullptr;
    QAction* save_as = nullptr;
    QAction* quit = nullptr;
    QMenu* article = nullptr;
    QAction* articles = nullptr;
    QAction* uploads = nullptr;
    QAction* imports = nullptr;
    QAction* protocol = nullptr;
    QAction* import_mine = nullptr;
    QAction* import_file = nullptr;
    QMenu* user = nullptr;
    QAction* my_data = nullptr;
    QAction* my_bills = nullptr;
    QAction* my_messages = nullptr;
  };
  const Menus& menus() const;

  ArticleView* articleView() const;
  UploadView* uploadView() const;
  ProtocolView* protocolView() const;
  ImportView* importView() const;
  // Status bar panels 0 to 3.
  QLabel* statusPanel(int index) const;
  SendController* sendController() const;
  ImportController* importController() const;
  // The progress bar of long runs in the fourth panel.
  StatusProgress* statusProgress() const;

  // A send or an import runs: the window may not close under it.
  void setBusy(bool busy);
  bool busy() const;

  store::ArticleStore& store();
  db::Connection& connection();
  store::GridSorting& sorting();
  ports::Dialogs& dialogs();
  const std::string& programFolder() const;
  const std::string& pictureFolder() const;
  const session::ServiceConfig& config() const;
  const session::SessionUser& user() const;

 protected:
  // The close sequence: save the three tables, release the connection, close the login window.
  // A failed save is shown and the window stays open.
  void closeEvent(QCloseEvent* event) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tellvaro::app
