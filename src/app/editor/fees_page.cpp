#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "app/accessible.h"
#include "app/editor/editor_pages.h"

namespace tellvaro::app {

QWidget* build_fees_page(EditorControls& c) {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  c.status_list = new QListWidget(page);
  layout->addWidget(
      label_for(new QLabel(QStringLiteral("Verbindungsstatus:"), page), c.status_list));
  layout->addWidget(c.status_list, 1);
  return page;
}

}  // namespace tellvaro::app
