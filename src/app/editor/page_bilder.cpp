#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/editor/editor_pages.h"
#include "app/editor/field_widgets.h"

namespace tellvaro::app {

QWidget* build_bilder_page(FieldBinder& b, EditorControls& c) {
  using catalogue::Feature;
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* g = new QGridLayout;
  QLabel** fees[] = {&c.bild1_fee, &c.fee_labels[static_cast<std::size_t>(Feature::UploadBild2)],
                     &c.fee_labels[static_cast<std::size_t>(Feature::UploadBild3)]};
  // One column per picture; the previews join below the names.
  for (int i = 0; i < 3; ++i) {
    g->addWidget(new QLabel(QStringLiteral("Bild %1:").arg(i + 1), page), 0, i);
    g->addWidget(b.edit("Bild" + std::to_string(i + 1), page, true), 1, i);
    *fees[i] = make_fee_label(QStringLiteral("Gebühr Bild %1").arg(i + 1), page);
    g->addWidget(*fees[i], 2, i);
    g->setColumnStretch(i, 1);
  }
  layout->addLayout(g);
  layout->addStretch(1);
  return page;
}

}  // namespace tellvaro::app
