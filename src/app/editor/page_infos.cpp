#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "app/accessible.h"
#include "app/editor/editor_pages.h"
#include "app/editor/field_widgets.h"

namespace tellvaro::app {

QWidget* build_infos_page(FieldBinder& b) {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  for (const char* field : {"Info_1", "Info_2"}) {
    auto* memo = b.memo(field, page);
    QString caption = QString::fromUtf8(field).replace(QLatin1Char('_'), QLatin1Char(' '));
    layout->addWidget(label_for(new QLabel(caption + QLatin1Char(':'), page), memo));
    layout->addWidget(memo, 1);
  }
  auto* form = new QFormLayout;
  for (const char* field : {"Mitglied", "Erstellt", "Editiert"}) {
    auto* edit = b.edit(field, page);
    form->addRow(label_for(new QLabel(QString::fromUtf8(field) + QLatin1Char(':'), page), edit),
                 edit);
  }
  layout->addLayout(form);
  return page;
}

}  // namespace tellvaro::app
