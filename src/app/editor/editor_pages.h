#pragma once

// Builders of the editor's pages. Each returns its page with every control bound through the
// binder, and leaves in `EditorControls` what the editor paints later.

#include <QString>
#include <array>

#include "catalogue/reference.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QWidget;

namespace tellvaro::app {

class ClickableLabel;
class FieldBinder;

struct EditorControls {
  // The fee labels in Feature order, and the fixed one under "Bild 1:".
  std::array<QLabel*, catalogue::kFeatureCount> fee_labels{};
  QLabel* bild1_fee = nullptr;
  QCheckBox* fettschrift = nullptr;
  QCheckBox* textmarker = nullptr;
  QCheckBox* top_kategorie = nullptr;
  std::array<QCheckBox*, catalogue::kPaymentSlots> payments{};
  ClickableLabel* category_text = nullptr;  // page "Artikel", opens page "Kategorie"
  QPlainTextEdit* description = nullptr;
  QListWidget* status_list = nullptr;
};

// "( 0.00 € )", plain text; heard as `purpose` followed by the fee, found by `purpose` as its
// object name.
QLabel* make_fee_label(const QString& purpose, QWidget* parent);

QWidget* build_article_page(FieldBinder& binder, EditorControls& controls);
QWidget* build_payment_page(FieldBinder& binder, EditorControls& controls);
QWidget* build_fees_page(EditorControls& controls);
QWidget* build_infos_page(FieldBinder& binder);

}  // namespace tellvaro::app
