#pragma once

// Owns the import view's commands: the counts in the check-box captions when the view opens,
// "Importieren" (a long run: the workspace is busy, its progress goes through the Progress
// port, its rows arrive in one batch), and the two transfers back of the import grid's menu.

#include <QObject>
#include <functional>
#include <string>

class QAction;

namespace tellvaro::ports {
class Dialogs;
class Progress;
}  // namespace tellvaro::ports
namespace tellvaro::workspace {
class Workspace;
}

namespace tellvaro::app {

class ImportView;

class ImportController : public QObject {
  Q_OBJECT

 public:
  struct Parts {
    workspace::Workspace& workspace;
    ImportView& view;
    QAction* open_view = nullptr;  // the menu item that shows the view
    ports::Dialogs& dialogs;
    ports::Progress& progress;
    std::function<void(const std::string&)> note;  // the connection status list
  };
  explicit ImportController(Parts parts, QObject* parent = nullptr);

  // Counts the seller's current and expired auctions into the check-box captions.
  void showCounts();
  // One press of "Importieren".
  void runImport();
  void transferCurrent();
  void transferAll();

 private:
  Parts p_;
};

}  // namespace tellvaro::app
