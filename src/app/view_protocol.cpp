#include "app/view_protocol.h"

#include <QListWidget>
#include <QVBoxLayout>

namespace tellvaro::app {

ProtocolView::ProtocolView(QWidget* parent) : QWidget(parent) {
  list_ = new QListWidget;
  list_->setAccessibleName(QStringLiteral("Upload-Protokoll"));
  list_->setObjectName(QStringLiteral("Upload-Protokoll"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(list_);
}

}  // namespace tellvaro::app
