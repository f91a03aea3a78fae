#include "app/status_progress.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <algorithm>

namespace tellvaro::app {

StatusProgress::StatusProgress(QLabel* panel) : QObject(panel), panel_(panel) {
  bar_ = new QProgressBar(panel);
  bar_->setAccessibleName(QStringLiteral("Fortschritt"));
  bar_->setTextVisible(true);
  bar_->setFormat(QStringLiteral("%v / %m"));
  auto* layout = new QHBoxLayout(panel);
  layout->setContentsMargins(1, 1, 1, 1);
  layout->addWidget(bar_);
  bar_->hide();
}

void StatusProgress::start(std::size_t count) {
  // The panel is narrow at rest; the bar needs room for "k / N".
  panel_width_ = panel_->width();
  panel_->setFixedWidth(std::max(panel_width_, 200));
  bar_->setRange(0, static_cast<int>(count));
  bar_->setValue(0);
  bar_->show();
}

void StatusProgress::advance(std::size_t steps) {
  bar_->setValue(std::min(bar_->maximum(), bar_->value() + static_cast<int>(steps)));
}

void StatusProgress::finish() {
  bar_->hide();
  if (panel_width_ > 0) panel_->setFixedWidth(panel_width_);
}

}  // namespace tellvaro::app
