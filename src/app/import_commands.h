#pragma once

// Owns the import view's commands: the counts in the check-box captions when the view opens,
// "Importieren" (a long run on a thread of its own: the workspace is busy, its notes and
// progress come through queued signals, its rows arrive in one batch when it ends), and the two
// transfers back of the import grid's menu.

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "import/auction_import.h"
#include "workspace/workspace.h"

class QAction;

namespace tellvaro::ports {
class Dialogs;
class Progress;
}  // namespace tellvaro::ports
namespace tellvaro::runs {
class DatabaseRead;
class ImportRun;
}  // namespace tellvaro::runs
namespace tellvaro::presentation {
class RunGate;
}

namespace tellvaro::app {

class ImportView;

class ImportCommands : public QObject {
  Q_OBJECT

 public:
  struct Dependencies {
    workspace::Workspace& workspace;
    const presentation::RunGate& gate;
    ImportView& view;
    QAction& open_view;  // the menu item that shows the view
    ports::Dialogs& dialogs;
    ports::Progress& progress;
    std::function<void(const std::string&)> note;  // the connection status list
  };
  explicit ImportCommands(Dependencies dependencies, QObject* parent = nullptr);
  // Waits for its reads and runs while it is still whole: they write into it.
  ~ImportCommands() override;

  // Counts the seller's current and expired auctions into the check-box captions, off the
  // window's thread; countsShown() when they are there.
  void showCounts();
  // One press of "Importieren".
  void runImport();
  void transferCurrent();
  void transferAll();

  bool running() const;
  // Ends the running import after its current auction; what was read so far is kept.
  void stopAfterCurrent();

 signals:
  // An import that was started has ended; its rows are in the table.
  void runFinished();
  // The counts of showCounts() are in the captions (or their failure was shown).
  void countsShown();

 private:
  void finish();
  void countsRead();

  Dependencies d_;
  runs::ImportRun* run_ = nullptr;
  runs::DatabaseRead* count_read_ = nullptr;
  importer::Counts counts_;  // written by the count's thread, read once it has ended
  std::unique_ptr<workspace::Workspace::Run> busy_;
};

}  // namespace tellvaro::app
