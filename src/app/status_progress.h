#pragma once

// The progress of a long run (send all, import) as a bar in the fourth status panel, "k / N"
// on it: the Qt side of the core's Progress port.

#include <QObject>
#include <cstddef>

#include "ports/progress.h"

class QLabel;
class QProgressBar;

namespace tellvaro::app {

class StatusProgress : public QObject, public ports::Progress {
  Q_OBJECT

 public:
  explicit StatusProgress(QLabel* panel);

  QProgressBar* bar() const { return bar_; }

  void start(std::size_t count) override;
  void advance(std::size_t steps = 1) override;
  void finish() override;

 private:
  QLabel* panel_;
  QProgressBar* bar_ = nullptr;
  int panel_width_ = 0;
};

}  // namespace tellvaro::app
