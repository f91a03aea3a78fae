#include "app/view_upload.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/record_navigator.h"
#include "app/table_grid.h"
#include "app/table_model.h"

namespace tellvaro::app {

UploadView::UploadView(store::Table& uploads, ports::Dialogs& dialogs, QWidget* parent)
    : QWidget(parent) {
  using B = RecordNavigator::Button;
  navigator_ = new RecordNavigator(uploads, dialogs,
                                   {B::First, B::Prior, B::Next, B::Last, B::Delete, B::Post});
  send_one_ = new QPushButton(QStringLiteral("Markierten Artikel senden"));
  send_all_ = new QPushButton(QStringLiteral("Alle Artikel senden"));

  auto* model = new TableModel(uploads, upload_grid_columns(), false, dialogs);
  grid_ = new TableGrid(model, QStringLiteral("Upload-Tabelle"), false);
  copy_ = grid_->addMenuEntry(QStringLiteral("Artikel kopieren"));
  grid_->addMenuSeparator();
  remove_ = grid_->addMenuEntry(QString::fromUtf8("Artikel löschen"));
  remove_all_ = grid_->addMenuEntry(QString::fromUtf8("Alle Artikel löschen"));

  auto* top = new QHBoxLayout;
  top->addWidget(navigator_);
  top->addSpacing(16);
  top->addWidget(send_one_);
  top->addWidget(send_all_);
  top->addStretch(1);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addLayout(top);
  layout->addWidget(grid_, 1);
}

}  // namespace tellvaro::app
