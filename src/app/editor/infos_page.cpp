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
  for (store::F field : {store::F::Info_1, store::F::Info_2}) {
    auto* memo = b.memo(field, page);
    QString caption = fieldName(field).replace(QLatin1Char('_'), QLatin1Char(' '));
    layout->addWidget(label_for(new QLabel(caption + QLatin1Char(':'), page), memo));
    layout->addWidget(memo, 1);
  }
  auto* form = new QFormLayout;
  for (store::F field : {store::F::Mitglied, store::F::Erstellt, store::F::Editiert}) {
    auto* edit = b.edit(field, page);
    form->addRow(label_for(new QLabel(fieldName(field) + QLatin1Char(':'), page), edit), edit);
  }
  layout->addLayout(form);
  return page;
}

}  // namespace tellvaro::app
