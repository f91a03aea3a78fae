#pragma once

// The main window: four views in a stack, the menus, the status bar. It works on a workspace
// it does not own, constructs the classes that own each group of commands, wires them to the
// menus and binds its controls to the run gate.

#include <QMainWindow>
#include <memory>

class QLabel;
class QMenu;

namespace tellvaro::ports {
class Dialogs;
}
namespace tellvaro::presentation {
class GridSorting;
class RunGate;
}  // namespace tellvaro::presentation
namespace tellvaro::workspace {
class Workspace;
struct Opening;
}  // namespace tellvaro::workspace

namespace tellvaro::app {

class ArticleView;
class FramesWindow;
class UploadView;
class ProtocolView;
class ImportView;
class SendCommands;
class ImportCommands;
class GridCommands;
class TransferCommands;
class FileCommands;
class StatusProgress;
class AccountCommands;
class EditorSession;
class BulkEditCommands;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // `login_window` is closed by the close sequence, which ends the program. The workspace
  // outlives the window.
  MainWindow(workspace::Workspace& workspace, ports::Dialogs& dialogs, QWidget* login_window,
             QWidget* parent = nullptr);
  ~MainWindow() override;

  // Main window creation in its order: tables, caption, refresh, start sort, connection,
  // reference lists. Shows errors through the dialogs; the window stays usable.
  // Loads the tables and opens the connection; with `restore_journal` the changes an earlier run
  // left unsaved come back first (workspace::ask_about_earlier_journal asked).
  // With `opened`, the auction house was opened already (off the window's thread): its status
  // lines and a failed read are shown where the connection's own would be.
  void start(bool restore_journal = false, const workspace::Opening* opened = nullptr);

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
    QAction* export_file = nullptr;
    QAction* bulk_edit = nullptr;
    QAction* bulk_undo = nullptr;
    QAction* frames = nullptr;
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
  // The progress bar of long runs in the fourth panel.
  StatusProgress* statusProgress() const;

  // The owners of the commands, one per group.
  SendCommands* sendCommands() const;
  ImportCommands* importCommands() const;
  GridCommands* gridCommands() const;
  TransferCommands* transferCommands() const;
  FileCommands* fileCommands() const;
  AccountCommands* accountCommands() const;
  BulkEditCommands* bulkEditCommands() const;
  // "Vorlagen...": opens the frames window (or brings it forward); the window while it is open.
  FramesWindow* openFrames();
  FramesWindow* framesWindow() const;
  presentation::GridSorting& sorting();
  // What may run while a send or an import works; the window's controls follow it.
  const presentation::RunGate& runGate() const;

 protected:
  // The close sequence: save the three tables, release the connection, close the login window.
  // A failed save is shown and the window stays open. During a send or an import it asks
  // whether to stop after the current article; if so, the sequence runs once the run has ended.
  void closeEvent(QCloseEvent* event) override;

 private:
  void bindGate();
  void closeAfterRun();

  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tellvaro::app
