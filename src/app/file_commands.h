#pragma once

// Owns the "Datei" menu's table files: "Öffnen" (with a backup of the table it replaces),
// "Speichern" of the standard files and "Speichern unter" of the article table. The file
// formats are the store's. "Speichern" waits while a run walks the tables.

#include <QObject>
#include <functional>

class QAction;
class QStatusBar;

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

class FileCommands : public QObject {
  Q_OBJECT

 public:
  struct Dependencies {
    workspace::Workspace& workspace;
    const presentation::RunGate& gate;
    ports::Dialogs& dialogs;
    QStatusBar* status = nullptr;  // where "Öffnen" says where the old table went
    // Hands over what the user typed into the editor and has not left yet; false when that
    // failed and was shown.
    std::function<bool()> settle_editor;
    QAction* open = nullptr;  // "Öffnen", "Speichern", "Speichern unter"
    QAction* save = nullptr;
    QAction* save_as = nullptr;
  };
  explicit FileCommands(Dependencies dependencies, QObject* parent = nullptr);

  void open();
  void save();
  void saveAs();

 private:
  bool settle() { return !d_.settle_editor || d_.settle_editor(); }

  Dependencies d_;
};

}  // namespace tellvaro::app
