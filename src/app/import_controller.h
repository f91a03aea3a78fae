#pragma once

// The import view's commands: the counts in the check-box captions when the view opens, the
// import run with its progress in the fourth status panel, and the two transfers of the
// import grid's context menu. Everything that would change the import table is disabled
// while a run goes on.

#include <QObject>

namespace tellvaro::app {

class MainWindow;

class ImportController : public QObject {
  Q_OBJECT

 public:
  explicit ImportController(MainWindow& window);

  bool running() const { return running_; }

  // Counts the seller's current and expired auctions into the check-box captions.
  void showCounts();
  // One press of "Importieren".
  void runImport();
  void transferCurrent();
  void transferAll();

 signals:
  void runningChanged(bool running);

 private:
  void setRunning(bool on);

  MainWindow& window_;
  bool running_ = false;
};

}  // namespace tellvaro::app
