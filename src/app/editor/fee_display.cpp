#include "app/editor/fee_display.h"

#include <QCheckBox>
#include <QLabel>
#include <QSignalBlocker>

#include "app/accessible.h"
#include "app/editor/editor_pages.h"
#include "presentation/labels.h"

namespace tellvaro::app {
namespace {

QString label_text(double fee) { return QString::fromStdString(presentation::fee_label(fee)); }

void show_flag(QCheckBox* box, bool on) {
  if (!box) return;
  QSignalBlocker block(box);
  box->setChecked(on);
}

}  // namespace

QLabel* make_fee_label(const QString& purpose, QWidget* parent) {
  auto* label = new QLabel(label_text(0), parent);
  label->setTextFormat(Qt::PlainText);
  label->setObjectName(purpose);
  name_by_value(label, purpose);
  return label;
}

void set_fee_colour(QLabel* label, bool red) {
  if (!label) return;
  QPalette palette = label->palette();
  QColor colour =
      red ? QColor(QRgb(presentation::kChargedFeeColour)) : QPalette().color(QPalette::WindowText);
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
}

void paint_fees(EditorControls& c, const catalogue::FeeMarks& marks, QLabel* total) {
  show_flag(c.fettschrift, marks.fettschrift);
  show_flag(c.textmarker, marks.textmarker);
  show_flag(c.top_kategorie, marks.top_kategorie);
  for (std::size_t i = 0; i < catalogue::kFeatureCount; ++i)
    set_fee_colour(c.fee_labels[i], marks.red[i]);
  if (total) {
    show_value(total, label_text(marks.total));
    set_fee_colour(total, marks.total_red);
  }
}

void paint_fee_texts(EditorControls& c, const catalogue::FeatureFees& fees) {
  for (std::size_t i = 0; i < catalogue::kFeatureCount; ++i) {
    if (c.fee_labels[i]) show_value(c.fee_labels[i], label_text(fees.fee[i]));
  }
  if (c.bild1_fee) show_value(c.bild1_fee, label_text(0));
}

}  // namespace tellvaro::app
