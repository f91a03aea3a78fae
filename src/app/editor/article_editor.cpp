#include "app/editor/article_editor.h"

#include <QListWidget>
#include <QVBoxLayout>

namespace tellvaro::app {

// A first shell: the seven pages by name and the status list; the controls come with the editor.
ArticleEditor::ArticleEditor(Context context, QWidget* parent)
    : QTabWidget(parent), context_(std::move(context)) {
  for (const char* name : {"Artikel", "Beschreibung", "Bilder", "Kategorie", "Bezahlung"}) {
    addTab(new QWidget(this), QString::fromUtf8(name));
  }
  auto* fees = new QWidget(this);
  auto* layout = new QVBoxLayout(fees);
  status_list_ = new QListWidget(fees);
  status_list_->setAccessibleName(QStringLiteral("Verbindungsstatus"));
  layout->addWidget(status_list_);
  addTab(fees, QString::fromUtf8("Gebüren"));
  addTab(new QWidget(this), QStringLiteral("Infos"));
}

void ArticleEditor::loadReferenceLists() {}
void ArticleEditor::refreshAll() {}
void ArticleEditor::updateUploadTotals() {}

}  // namespace tellvaro::app
