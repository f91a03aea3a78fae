#include "app/view_upload.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/record_navigator.h"
#include "app/table_grid.h"
#include "app/table_model.h"
#include "presentation/labels.h"
#include "store/table.h"
#include "upload/listed_rows.h"

namespace tellvaro::app {

UploadView::UploadView(store::Table& uploads, ports::Dialogs& dialogs, upload::ListedRows* listed,
                       QWidget* parent)
    : QWidget(parent), uploads_(uploads), listed_(listed) {
  using B = RecordNavigator::Button;
  navigator_ = new RecordNavigator(uploads, dialogs,
                                   {B::First, B::Prior, B::Next, B::Last, B::Delete, B::Post});
  send_one_ = new QPushButton(QStringLiteral("Markierten Artikel senden"));
  send_all_ = new QPushButton(QStringLiteral("Alle Artikel senden"));

  model_ = new TableModel(uploads, presentation::columns_of(presentation::Grid::Uploads), false,
                          dialogs);
  grid_ = new TableGrid(model_, QStringLiteral("Upload-Tabelle"), false);
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

  if (listed_) {
    rows_change_ =
        uploads_.on_rows_change([this](const store::Table::RowChange&) { markListedRows(); });
    // A moving cursor changes no row; an edited field does.
    data_change_ = uploads_.on_data_change([this](std::optional<std::size_t> field) {
      if (field) markListedRows();
    });
    listed_change_ = listed_->on_change([this] { markListedRows(); });
    markListedRows();
  }
}

void UploadView::markListedRows() {
  std::vector<store::Record> rows;
  rows.reserve(uploads_.count());
  for (std::size_t i = 0; i < uploads_.count(); ++i) rows.push_back(uploads_.row(i));
  std::vector<TableModel::RowNote> notes;
  notes.reserve(rows.size());
  for (const auto& listing : listed_->match(rows)) {
    if (!listing) {
      notes.emplace_back();
      continue;
    }
    const presentation::RowMark mark = presentation::listed_row_mark(*listing);
    notes.push_back({QString::fromStdString(mark.mark), QString::fromStdString(mark.tip)});
  }
  model_->setRowNotes(std::move(notes));
}

}  // namespace tellvaro::app
