#include "app/view_import.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/accessible.h"
#include "app/table_grid.h"

namespace tellvaro::app {

ImportView::ImportView(store::Table& imports, ports::Dialogs& dialogs, QWidget* parent)
    : GridView(imports, dialogs,
               {.kind = presentation::Grid::Imports,
                .name = QStringLiteral("Import-Tabelle"),
                .editable = true},
               parent) {
  current_ = new QCheckBox(QStringLiteral("Aktuelle Artikel importieren"));
  current_->setChecked(true);
  expired_ = new QCheckBox(QStringLiteral("Abgelaufene Artikel importieren"));
  import_ = new QPushButton(QStringLiteral("Importieren"));
  transfer_one_ = addMenuEntry(QString::fromUtf8("Diesen Artikel in Artikel-Tabelle übertragen"));
  transfer_all_ = addMenuEntry(QString::fromUtf8("Alle Artikel in die Artikel-Tabelle übertragen"));
  addMenuSeparator();
  remove_all_ = addMenuEntry(QString::fromUtf8("Alle Artikel löschen"));

  notes_ = new QListWidget;
  notes_caption_ = label_for(
      new QLabel(QString::fromUtf8("Beim letzten Import nicht übernommene Bilder:")), notes_);
  notes_->setMaximumHeight(110);

  auto* layout = frame();
  layout->addLayout(navigatorRow({current_, expired_, import_}));
  layout->addWidget(grid(), 1);
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
