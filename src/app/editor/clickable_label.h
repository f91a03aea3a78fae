#pragma once

#include <QLabel>
#include <QMouseEvent>

namespace tellvaro::app {

// A text that acts like a link: hand cursor, a click is a signal.
class ClickableLabel : public QLabel {
  Q_OBJECT

 public:
  explicit ClickableLabel(QWidget* parent = nullptr) : QLabel(parent) {
    setCursor(Qt::PointingHandCursor);
  }

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
      emit clicked();
    }
    QLabel::mouseReleaseEvent(event);
  }
};

}  // namespace tellvaro::app
