#include "app/view_upload.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/table_grid.h"
#include "app/table_model.h"
#include "presentation/labels.h"
#include "store/table.h"
#include "upload/listed_rows.h"

namespace tellvaro::app {

UploadView::UploadView(store::Table& uploads, ports::Dialogs& dialogs, upload::ListedRows* listed,
                       QWidget* parent)
    : GridView(uploads, dialogs,
               {.kind = presentation::Grid::Uploads, .name = QStringLiteral("Upload-Tabelle")},
               parent),
      uploads_(uploads),
      listed_(listed) {
  send_one_ = new QPushButton(QStringLiteral("Markierten Artikel senden"));
  send_all_ = new QPushButton(QStringLiteral("Alle Artikel senden"));
  copy_ = addMenuEntry(QStringLiteral("Artikel kopieren"));
  addMenuSeparator();
  remove_ = addMenuEntry(QString::fromUtf8("Artikel löschen"));
  remove_all_ = addMenuEntry(QString::fromUtf8("Alle Artikel löschen"));

  auto* layout = frame();
  layout->addLayout(navigatorRow({send_one_, send_all_}));
  layout->addWidget(grid(), 1);

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
  const std::vector<store::Record> rows = uploads_.shown();
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
  model()->setRowNotes(std::move(notes));
}

}  // namespace tellvaro::app
