#include "app/view_import.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/accessible.h"
#include "app/record_navigator.h"
#include "app/table_grid.h"
#include "app/table_model.h"

namespace tellvaro::app {

ImportView::ImportView(store::Table& imports, ports::Dialogs& dialogs, QWidget* parent)
    : QWidget(parent) {
  using B = RecordNavigator::Button;
  navigator_ = new RecordNavigator(imports, dialogs,
                                   {B::First, B::Prior, B::Next, B::Last, B::Delete, B::Post});
  current_ = new QCheckBox(QStringLiteral("Aktuelle Artikel importieren"));
  current_->setChecked(true);
  expired_ = new QCheckBox(QStringLiteral("Abgelaufene Artikel importieren"));
  import_ = new QPushButton(QStringLiteral("Importieren"));

  auto* model =
      new TableModel(imports, presentation::columns_of(presentation::Grid::Imports), true, dialogs);
  grid_ = new TableGrid(model, QStringLiteral("Import-Tabelle"), false);
  transfer_one_ =
      grid_->addMenuEntry(QString::fromUtf8("Diesen Artikel in Artikel-Tabelle übertragen"));
  transfer_all_ =
      grid_->addMenuEntry(QString::fromUtf8("Alle Artikel in die Artikel-Tabelle übertragen"));
  grid_->addMenuSeparator();
  remove_all_ = grid_->addMenuEntry(QString::fromUtf8("Alle Artikel löschen"));

  auto* top = new QHBoxLayout;
  top->addWidget(navigator_);
  top->addSpacing(16);
  top->addWidget(current_);
  top->addWidget(expired_);
  top->addWidget(import_);
  top->addStretch(1);

  notes_ = new QListWidget;
  notes_caption_ = label_for(
      new QLabel(QString::fromUtf8("Beim letzten Import nicht übernommene Bilder:")), notes_);
  notes_->setMaximumHeight(110);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addLayout(top);
  layout->addWidget(grid_, 1);
  layout->addWidget(notes_caption_);
  layout->addWidget(notes_);
  clearNotes();
}

void ImportView::clearNotes() {
  notes_->clear();
  notes_caption_->hide();
  notes_->hide();
}

void ImportView::addNote(const QString& line) {
  notes_->addItem(line);
  notes_caption_->show();
  notes_->show();
}

}  // namespace tellvaro::app
