#pragma once

// The protocol view: the lines of the workspace's upload protocol, one per row, following the
// newest. The lines belong to the protocol; the view only shows them.

#include <QAbstractListModel>
#include <QStringList>
#include <QWidget>

#include "ports/signal.h"

class QListView;

namespace tellvaro::upload {
class Protocol;
}

namespace tellvaro::app {

// A read-only list model over the protocol's lines.
class ProtocolModel : public QAbstractListModel {
  Q_OBJECT

 public:
  explicit ProtocolModel(upload::Protocol& protocol, QObject* parent = nullptr);
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

 private:
  upload::Protocol& protocol_;
  int rows_ = 0;  // the row count the views were last told
  ports::Subscription changes_;
};

class ProtocolView : public QWidget {
  Q_OBJECT

 public:
  explicit ProtocolView(upload::Protocol& protocol, QWidget* parent = nullptr);

  QListView* list() const { return list_; }
  // The lines as shown.
  QStringList lines() const;

 private:
  QListView* list_ = nullptr;
};

}  // namespace tellvaro::app
