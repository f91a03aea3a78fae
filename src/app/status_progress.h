#pragma once

// The progress bar of long runs (send all, import) in the fourth status panel: row k of N.

#include <QObject>
#include <cstddef>

class QLabel;
class QProgressBar;

namespace tellvaro::app {

class StatusProgress : public QObject {
  Q_OBJECT

 public:
  explicit StatusProgress(QLabel* panel);

  QProgressBar* bar() const { return bar_; }

  void start(std::size_t count);
  // Paints the bar at once, so it moves while the run holds the event loop.
  void advance();
  void finish();

 private:
  QLabel* panel_;
  QProgressBar* bar_ = nullptr;
  int panel_width_ = 0;
};

}  // namespace tellvaro::app
