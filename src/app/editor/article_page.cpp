#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QVBoxLayout>
#include <string_view>

#include "app/accessible.h"
#include "app/editor/clickable_label.h"
#include "app/editor/editor_pages.h"
#include "app/editor/field_widgets.h"

namespace tellvaro::app {
namespace {

using catalogue::Feature;

QLabel* caption(const char* text, QWidget* parent) {
  return new QLabel(QString::fromUtf8(text), parent);
}

// A caption that labels `control`.
QLabel* caption(const char* text, QWidget* parent, QWidget* control) {
  return label_for(caption(text, parent), control);
}

// A control with no caption beside it gets a short name of what it holds.
template <class W>
W* named(W* control, const char* name) {
  control->setAccessibleName(QString::fromUtf8(name));
  return control;
}

QGridLayout* grid(QGroupBox* box) {
  auto* g = new QGridLayout(box);
  g->setVerticalSpacing(3);
  g->setContentsMargins(8, 4, 8, 6);
  return g;
}

QLabel*& fee_slot(EditorControls& c, Feature f) {
  return c.fee_labels[static_cast<std::size_t>(f)];
}

QGroupBox* artikel_group(FieldBinder& b, EditorControls& c, QWidget* parent) {
  auto* box = new QGroupBox(QStringLiteral("Artikel"), parent);
  auto* g = grid(box);
  int row = 0;
  auto* name = b.edit(store::F::Artikelname, box);
  g->addWidget(caption("Artikelname:", box, name), row, 0);
  g->addWidget(name, row, 1);
  g->addWidget(named(b.combo(store::F::Anzeigenart, box), "Anzeigenart"), row, 2, 1, 2);
  ++row;
  auto* subtitle = b.edit(store::F::Untertitel, box);
  g->addWidget(caption("Untertitel:", box, subtitle), row, 0);
  g->addWidget(subtitle, row, 1);
  fee_slot(c, Feature::Untertitel) = make_fee_label(QStringLiteral("Gebühr Untertitel"), box);
  g->addWidget(fee_slot(c, Feature::Untertitel), row, 2, 1, 2);
  ++row;
  auto* adult = b.radio(store::F::FSK_18, box);
  g->addWidget(caption("FSK 18 Artikel:", box, adult), row, 0);
  g->addWidget(adult, row, 1);
  g->addWidget(named(b.combo(store::F::Sprache, box), "Sprache"), row, 2, 1, 2);
  ++row;
  auto* condition = b.combo(store::F::Zustand, box);
  g->addWidget(caption("Zustand der Ware:", box, condition), row, 0);
  g->addWidget(condition, row, 1);
  auto* count = b.edit(store::F::Anzahl, box);
  g->addWidget(caption("Anzahl:", box, count), row, 2);
  g->addWidget(count, row, 3);
  ++row;
  // One caption over two controls: each is heard by its own half of it.
  auto* einheiten = named(b.edit(store::F::Einheiten, box), "Einheiten");
  auto* units_caption = caption("Einheiten / Masseinheit:", box);
  units_caption->setBuddy(einheiten);
  g->addWidget(units_caption, row, 0);
  auto* units = new QHBoxLayout;
  einheiten->setMaximumWidth(70);
  units->addWidget(einheiten);
  units->addWidget(named(b.combo(store::F::Masseinheit, box), "Masseinheit"), 1);
  g->addLayout(units, row, 1);
  ++row;
  auto* duration = b.combo(store::F::Auktionsdauer, box);
  g->addWidget(caption("Auktionsdauer:", box, duration), row, 0);
  g->addWidget(duration, row, 1);
  auto* relist = b.combo(store::F::Wiedereinstellen, box);
  g->addWidget(caption("Wiedereinstellen:", box, relist), row, 2);
  g->addWidget(relist, row, 3);
  ++row;
  c.category_text = new ClickableLabel(box);
  c.category_text->setWordWrap(true);
  c.category_text->setStyleSheet(QStringLiteral("color: #1a4fa0; text-decoration: underline;"));
  c.category_text->setToolTip(QStringLiteral("Kategorie wählen"));
  b.bindLabel(c.category_text, store::F::Kategorie);
  auto* category_caption = caption("Kategorie:", box);
  // Heard after its caption, so an empty path is not heard as the box's title.
  name_by_value(c.category_text, spoken_caption(category_caption->text()));
  g->addWidget(category_caption, row, 0);
  g->addWidget(c.category_text, row, 1, 1, 3);
  ++row;
  // The seller's own three notes share one row.
  auto* notes = new QHBoxLayout;
  notes->setSpacing(8);
  using store::F;
  for (F field : {F::Artikelstatus, F::Artikelgruppe, F::Artikelnummer}) {
    auto* note = b.edit(field, box);
    auto* label = label_for(new QLabel(fieldName(field) + ":", box), note);
    if (field == F::Artikelstatus) {
      g->addWidget(label, row, 0);
    } else {
      notes->addWidget(label);
    }
    notes->addWidget(note, 1);
  }
  g->addLayout(notes, row, 1, 1, 3);
  g->setColumnStretch(1, 3);
  g->setColumnStretch(3, 2);
  return box;
}

QGroupBox* preise_group(FieldBinder& b, EditorControls& c, QWidget* parent) {
  auto* box = new QGroupBox(QStringLiteral("Preise"), parent);
  auto* g = grid(box);
  auto* start = b.edit(store::F::Startpreis, box);
  g->addWidget(caption("Startpreis:", box, start), 0, 0);
  g->addWidget(start, 0, 1);
  auto* buy_now = b.edit(store::F::Sofortkauf, box);
  g->addWidget(caption("Sofort-Kaufen Preis:", box, buy_now), 1, 0);
  g->addWidget(buy_now, 1, 1);
  g->addWidget(named(b.combo(store::F::Verhalten, box), "Verhalten"), 1, 2);
  auto* reserve = b.edit(store::F::Mindestpreis, box);
  g->addWidget(caption("Mindestpreis:", box, reserve), 2, 0);
  g->addWidget(reserve, 2, 1);
  auto* reserve_shown = b.combo(store::F::minimum_preis_zeigen, box);
  auto* shown_as =
      caption("solange nicht erreicht, in der Artikelbeschreibung als:", box, reserve_shown);
  shown_as->setWordWrap(true);
  g->addWidget(shown_as, 3, 0, 1, 3);
  g->addWidget(reserve_shown, 4, 0, 1, 2);
  fee_slot(c, Feature::Mindestpreis) = make_fee_label(QStringLiteral("Gebühr Mindestpreis"), box);
  g->addWidget(fee_slot(c, Feature::Mindestpreis), 4, 2);
  g->setColumnStretch(1, 1);
  return box;
}

QGroupBox* vorschlaege_group(FieldBinder& b, QWidget* parent) {
  auto* box = new QGroupBox(QString::fromUtf8("Preisvorschläge"), parent);
  auto* g = grid(box);
  auto* accept = b.radio(store::F::Preisvorschlag, box);
  g->addWidget(caption("Preisvorschläge akzeptieren:", box, accept), 0, 0);
  g->addWidget(accept, 0, 1, 1, 2);
  auto* minimum = b.edit(store::F::Preisvorschlag_Minimum, box);
  g->addWidget(caption("Preisvorschläge unterhalb von:", box, minimum), 1, 0);
  minimum->setMaximumWidth(80);
  g->addWidget(minimum, 1, 1, Qt::AlignLeft);
  g->addWidget(caption("€ automatisch ablehnen.", box), 2, 0, 1, 2);
  g->setColumnStretch(1, 1);
  return box;
}

QGroupBox* hervorhebungen_group(FieldBinder& b, EditorControls& c, QWidget* parent) {
  auto* box = new QGroupBox(QStringLiteral("Hervorhebungen"), parent);
  auto* g = grid(box);
  struct Row {
    store::F field;
    Feature feature;
    QCheckBox* EditorControls::*box;
  };
  const Row rows[] = {
      {store::F::Fettschrift, Feature::Fettschrift, &EditorControls::fettschrift},
      {store::F::Textmarker, Feature::Textmarker, &EditorControls::textmarker},
      {store::F::Top_Kategorie, Feature::TopKategorie, &EditorControls::top_kategorie}};
  int i = 0;
  for (const auto& r : rows) {
    const QString name = fieldName(r.field);
    c.*r.box = b.check(r.field, name, box);
    fee_slot(c, r.feature) = make_fee_label(QString::fromUtf8("Gebühr ") + name, box);
    g->addWidget(c.*r.box, i, 0);
    g->addWidget(fee_slot(c, r.feature), i, 1);
    ++i;
  }
  g->setColumnStretch(1, 1);
  return box;
}

QGroupBox* standort_group(FieldBinder& b, QWidget* parent) {
  auto* box = new QGroupBox(QStringLiteral("Artikelstandort"), parent);
  auto* g = grid(box);
  auto* place = b.edit(store::F::location, box);
  g->addWidget(caption("Ort:", box, place), 0, 0);
  g->addWidget(place, 0, 1);
  auto* zip = b.edit(store::F::location_zip, box);
  g->addWidget(caption("PLZ:", box, zip), 0, 2);
  zip->setMaximumWidth(70);
  g->addWidget(zip, 0, 3);
  auto* country = b.combo(store::F::country, box);
  g->addWidget(caption("Land:", box, country), 1, 0);
  g->addWidget(country, 1, 1, 1, 3);
  g->setColumnStretch(1, 1);
  return box;
}

QGroupBox* versand_group(FieldBinder& b, QWidget* parent) {
  auto* box = new QGroupBox(QStringLiteral("Versand"), parent);
  auto* g = grid(box);
  // The box's title is the caption the shipping choices stand under.
  g->addWidget(named(b.radio(store::F::shipping, box, true), "Versand"), 0, 0, 1, 4);
  g->addWidget(b.check(store::F::international, QStringLiteral("Internationaler Versand"), box), 1,
               0, 1, 4);
  for (int i = 1; i <= 3; ++i) {
    auto* method = b.combo(store::shipping_method(i), box);
    g->addWidget(label_for(new QLabel(QStringLiteral("Versandart %1:").arg(i), box), method), 1 + i,
                 0);
    method->setMinimumContentsLength(6);
    method->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    g->addWidget(method, 1 + i, 1);
    auto* price = b.edit(store::shipping_price(i), box);
    g->addWidget(caption("Preis:", box, price), 1 + i, 2);
    price->setMaximumWidth(60);
    g->addWidget(price, 1 + i, 3);
  }
  g->setColumnStretch(1, 1);
  return box;
}

}  // namespace

QWidget* build_article_page(FieldBinder& b, EditorControls& c) {
  auto* scroll = new QScrollArea;
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  // Tab goes straight to the first field; the area scrolls to whichever control has the focus.
  scroll->setFocusPolicy(Qt::NoFocus);
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->setSpacing(4);
  layout->addWidget(artikel_group(b, c, page));
  auto* columns = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  left->addWidget(preise_group(b, c, page));
  left->addWidget(vorschlaege_group(b, page));
  left->addWidget(hervorhebungen_group(b, c, page));
  left->addStretch(1);
  auto* right = new QVBoxLayout;
  right->addWidget(standort_group(b, page));
  right->addWidget(versand_group(b, page));
  right->addStretch(1);
  columns->addLayout(left, 1);
  columns->addLayout(right, 1);
  layout->addLayout(columns);
  layout->addStretch(1);
  scroll->setWidget(page);
  return scroll;
}

}  // namespace tellvaro::app
