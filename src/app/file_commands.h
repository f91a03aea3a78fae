#pragma once

// Owns the files the seller opens and writes from the menus: in "&Datei" the table files
// ("Öffnen" with a backup of the table it replaces, "Speichern" of the standard files,
// "Speichern unter" of the article table), in "&Artikel" the articles from and to a CSV file.
// The file formats are the store's. What a run writes too waits until it has ended.

#include <QObject>

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

class EditorSession;

class FileCommands : public QObject {
  Q_OBJECT

 public:
  struct Dependencies {
    workspace::Workspace& workspace;
    const presentation::RunGate& gate;
    EditorSession& editor;  // settled before a file is read from or written
    ports::Dialogs& dialogs;
    QStatusBar& status;  // where "Öffnen" says where the old table went
    QAction& open;       // "Öffnen", "Speichern", "Speichern unter"
    QAction& save;
    QAction& save_as;
    QAction& import_file;  // "Artikel aus einer Datei importieren"
    QAction& export_file;  // "Artikel in eine Datei exportieren"
  };
  explicit FileCommands(Dependencies dependencies, QObject* parent = nullptr);

  void open();
  void save();
  void saveAs();
  void importFile();
  void exportFile();

 private:
  Dependencies d_;
};

}  // namespace tellvaro::app
