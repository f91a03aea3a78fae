#pragma once

// The protocol view: the lines of the last send, one per row.

#include <QWidget>

class QListWidget;

namespace tellvaro::app {

class ProtocolView : public QWidget {
  Q_OBJECT

 public:
  explicit ProtocolView(QWidget* parent = nullptr);

  QListWidget* list() const { return list_; }

 private:
  QListWidget* list_ = nullptr;
};

}  // namespace tellvaro::app
