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
namespace tellvaro::workspace {
class Workspace;
}

namespace tellvaro::app {

class FileCommands : public QObject {
  Q_OBJECT

 public:
  struct Parts {
    workspace::Workspace& workspace;
    ports::Dialogs& dialogs;
    QStatusBar* status = nullptr;  // where "Öffnen" says where the old table went
    // Hands over what the user typed into the editor and has not left yet; false when that
    // failed and was shown.
    std::function<bool()> settle_editor;
  };
  FileCommands(Parts parts, QAction* open, QAction* save, QAction* save_as,
               QObject* parent = nullptr);

  void open();
  void save();
  void saveAs();

 private:
  bool settle() { return !p_.settle_editor || p_.settle_editor(); }

  Parts p_;
};

}  // namespace tellvaro::app
