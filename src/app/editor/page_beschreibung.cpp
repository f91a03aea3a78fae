#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "app/editor/editor_pages.h"
#include "app/editor/field_widgets.h"

namespace tellvaro::app {

QWidget* build_beschreibung_page(FieldBinder& b, EditorControls& c) {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* html_row = new QHBoxLayout;
  html_row->addWidget(new QLabel(QStringLiteral("Beschreibung in HTML:"), page));
  html_row->addWidget(b.radio("html_desc_1", page));
  html_row->addStretch(1);
  layout->addLayout(html_row);
  c.description = b.memo("Beschreibung", page);
  c.description->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  layout->addWidget(c.description, 1);
  return page;
}

}  // namespace tellvaro::app
