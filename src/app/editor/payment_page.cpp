#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include "app/editor/editor_pages.h"
#include "app/editor/field_widgets.h"

namespace tellvaro::app {

QWidget* build_payment_page(FieldBinder& b, EditorControls& c) {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* box = new QGroupBox(QStringLiteral("Zahlungsweise"), page);
  auto* g = new QGridLayout(box);
  constexpr int kRows = (catalogue::kPaymentSlots + 1) / 2;
  for (std::size_t i = 0; i < catalogue::kPaymentSlots; ++i) {
    // Hidden until a payment method of the auction house names it.
    auto* check = b.check(store::payment_flag(static_cast<int>(i) + 1), QString(), box);
    check->hide();
    c.payments[i] = check;
    g->addWidget(check, static_cast<int>(i) % kRows, static_cast<int>(i) / kRows);
  }
  g->setRowStretch(kRows, 1);
  layout->addWidget(box);
  layout->addStretch(1);
  return page;
}

}  // namespace tellvaro::app
