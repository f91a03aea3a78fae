#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "app/editor/editor_pages.h"
#include "app/editor/field_widgets.h"

namespace tellvaro::app {

QWidget* build_infos_page(FieldBinder& b) {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(new QLabel(QStringLiteral("Info 1:"), page));
  layout->addWidget(b.memo("Info_1", page), 1);
  layout->addWidget(new QLabel(QStringLiteral("Info 2:"), page));
  layout->addWidget(b.memo("Info_2", page), 1);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Mitglied:"), b.edit("Mitglied", page));
  form->addRow(QStringLiteral("Erstellt:"), b.edit("Erstellt", page));
  form->addRow(QStringLiteral("Editiert:"), b.edit("Editiert", page));
  layout->addLayout(form);
  return page;
}

}  // namespace tellvaro::app
