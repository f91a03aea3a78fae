#include "app/view_protocol.h"

#include <QListView>
#include <QVBoxLayout>

#include "upload/protocol.h"

namespace tellvaro::app {

ProtocolModel::ProtocolModel(upload::Protocol& protocol, QObject* parent)
    : QAbstractListModel(parent), protocol_(protocol), rows_(static_cast<int>(protocol.size())) {
  changes_ = protocol_.on_change([this](const upload::Protocol::Change& c) {
    const int size = static_cast<int>(protocol_.size());
    const int first = static_cast<int>(c.first);
    const int count = static_cast<int>(c.count);
    if (c.kind == upload::Protocol::Change::Kind::Added && first == rows_ && count > 0 &&
        first + count == size) {
      beginInsertRows({}, first, first + count - 1);
      rows_ = size;
      endInsertRows();
      return;
    }
    beginResetModel();
    rows_ = size;
    endResetModel();
  });
}

int ProtocolModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

QVariant ProtocolModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || role != Qt::DisplayRole) return {};
  const auto row = static_cast<std::size_t>(index.row());
  if (row >= protocol_.size()) return {};
  return QString::fromStdString(protocol_.lines()[row]);
}

ProtocolView::ProtocolView(upload::Protocol& protocol, QWidget* parent) : QWidget(parent) {
  list_ = new QListView;
  list_->setAccessibleName(QStringLiteral("Upload-Protokoll"));
  list_->setObjectName(QStringLiteral("Upload-Protokoll"));
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setUniformItemSizes(true);  // thousands of lines stay cheap to lay out
  auto* model = new ProtocolModel(protocol, list_);
  list_->setModel(model);
  connect(model, &QAbstractItemModel::rowsInserted, list_, [this] { list_->scrollToBottom(); });
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(list_);
}

QStringList ProtocolView::lines() const {
  QStringList out;
  const QAbstractItemModel* model = list_->model();
  for (int i = 0; i < model->rowCount(); ++i) out << model->index(i, 0).data().toString();
  return out;
}

}  // namespace tellvaro::app
