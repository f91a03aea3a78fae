#pragma once

// Owns "Ausgewählte Artikel bearbeiten..." and "Rückgängig: Sammelbearbeitung": from the menu
// "&Artikel" and from the article grid's context menu (Ctrl+Shift+E; Ctrl+Z while the grid has
// focus). It picks the articles, opens the dialog, stores the change through the core and keeps
// the undo for the rest of the run.

#include <QObject>
#include <QPointer>
#include <functional>

#include "workspace/bulk_edit.h"

class QAction;
class QWidget;

namespace tellvaro::ports {
class Dialogs;
}
namespace tellvaro::presentation {
class RunGate;
}
namespace tellvaro::workspace {
class Workspace;
}

namespace tellvaro::app {

class BulkEditDialog;
class EditorSession;
class TableGrid;

class BulkEditCommands : public QObject {
  Q_OBJECT

 public:
  struct Dependencies {
    workspace::Workspace& workspace;
    const presentation::RunGate& gate;
    TableGrid& grid;  // the article grid: its selection, its context menu
    ports::Dialogs& dialogs;
    QWidget* window;                             // parent of the dialog
    EditorSession& editor;                       // settled before articles are changed
    std::function<void()> show_articles;         // the article view to the front
    std::function<void(const QString&)> status;  // a line in the status bar
    // The menu's two items; the grid gets its own entries.
    QAction* edit = nullptr;
    QAction* undo = nullptr;
  };
  explicit BulkEditCommands(Dependencies dependencies, QObject* parent = nullptr);

  // Opens the dialog for the selected articles (after asking, for all shown). Not modal for the
  // program's other windows' sake, but the main window waits for it.
  void openDialog();
  void undo();

  BulkEditDialog* dialog() const;  // while it is open
  const workspace::BulkEditor& editor() const { return editor_; }
  QAction* gridEditAction() const { return grid_edit_; }
  QAction* gridUndoAction() const { return grid_undo_; }

 private:
  bool apply(const std::vector<store::Table::Key>& keys, const workspace::BulkChange& change);
  void showUndo();

  Dependencies d_;
  workspace::BulkEditor editor_;
  QAction* edit_;
  QAction* undo_;
  QAction* grid_edit_ = nullptr;
  QAction* grid_undo_ = nullptr;
  QPointer<BulkEditDialog> dialog_;
};

}  // namespace tellvaro::app
