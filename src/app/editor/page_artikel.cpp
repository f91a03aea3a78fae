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

#include "app/editor/clickable_label.h"
#include "app/editor/editor_pages.h"
#include "app/editor/field_widgets.h"

namespace tellvaro::app {
namespace {

using catalogue::Feature;

QLabel* caption(const char* text, QWidget* parent) {
  return new QLabel(QString::fromUtf8(text), parent);
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
  g->addWidget(caption("Artikelname:", box), row, 0);
  g->addWidget(b.edit("Artikelname", box), row, 1);
  g->addWidget(b.combo("Anzeigenart", box), row, 2, 1, 2);
  ++row;
  g->addWidget(caption("Untertitel:", box), row, 0);
  g->addWidget(b.edit("Untertitel", box), row, 1);
  fee_slot(c, Feature::Untertitel) = make_fee_label(QStringLiteral("Gebühr Untertitel"), box);
  g->addWidget(fee_slot(c, Feature::Untertitel), row, 2, 1, 2);
  ++row;
  g->addWidget(caption("FSK 18 Artikel:", box), row, 0);
  g->addWidget(b.radio("FSK 18", box), row, 1);
  g->addWidget(b.combo("Sprache", box), row, 2, 1, 2);
  ++row;
  g->addWidget(caption("Zustand der Ware:", box), row, 0);
  g->addWidget(b.combo("Zustand", box), row, 1);
  g->addWidget(caption("Anzahl:", box), row, 2);
  g->addWidget(b.edit("Anzahl", box), row, 3);
  ++row;
  g->addWidget(caption("Einheiten / Masseinheit:", box), row, 0);
  auto* units = new QHBoxLayout;
  auto* einheiten = b.edit("Einheiten", box);
  einheiten->setMaximumWidth(70);
  units->addWidget(einheiten);
  units->addWidget(b.combo("Masseinheit", box), 1);
  g->addLayout(units, row, 1);
  ++row;
  g->addWidget(caption("Auktionsdauer:", box), row, 0);
  g->addWidget(b.combo("Auktionsdauer", box), row, 1);
  g->addWidget(caption("Wiedereinstellen:", box), row, 2);
  g->addWidget(b.combo("Wiedereinstellen", box), row, 3);
  ++row;
  g->addWidget(caption("Kategorie:", box), row, 0);
  c.category_text = new ClickableLabel(box);
  c.category_text->setWordWrap(true);
  c.category_text->setStyleSheet(QStringLiteral("color: #1a4fa0; text-decoration: underline;"));
  c.category_text->setToolTip(QStringLiteral("Kategorie wählen"));
  b.bindLabel(c.category_text, "Kategorie");
  g->addWidget(c.category_text, row, 1, 1, 3);
  ++row;
  // The seller's own three notes share one row.
  auto* notes = new QHBoxLayout;
  notes->setSpacing(8);
  for (const char* field : {"Artikelstatus", "Artikelgruppe", "Artikelnummer"}) {
    if (std::string_view(field) != "Artikelstatus") {
      notes->addWidget(new QLabel(QString::fromUtf8(field) + ":", box));
    }
    notes->addWidget(b.edit(field, box), 1);
  }
  g->addWidget(caption("Artikelstatus:", box), row, 0);
  g->addLayout(notes, row, 1, 1, 3);
  g->setColumnStretch(1, 3);
  g->setColumnStretch(3, 2);
  return box;
}

QGroupBox* preise_group(FieldBinder& b, EditorControls& c, QWidget* parent) {
  auto* box = new QGroupBox(QStringLiteral("Preise"), parent);
  auto* g = grid(box);
  g->addWidget(caption("Startpreis:", box), 0, 0);
  g->addWidget(b.edit("Startpreis", box), 0, 1);
  g->addWidget(caption("Sofort-Kaufen Preis:", box), 1, 0);
  g->addWidget(b.edit("Sofortkauf", box), 1, 1);
  g->addWidget(b.combo("Verhalten", box), 1, 2);
  g->addWidget(caption("Mindestpreis:", box), 2, 0);
  g->addWidget(b.edit("Mindestpreis", box), 2, 1);
  auto* shown_as = caption("solange nicht erreicht, in der Artikelbeschreibung als:", box);
  shown_as->setWordWrap(true);
  g->addWidget(shown_as, 3, 0, 1, 3);
  g->addWidget(b.combo("minimum_preis_zeigen", box), 4, 0, 1, 2);
  fee_slot(c, Feature::Mindestpreis) = make_fee_label(QStringLiteral("Gebühr Mindestpreis"), box);
  g->addWidget(fee_slot(c, Feature::Mindestpreis), 4, 2);
  g->setColumnStretch(1, 1);
  return box;
}

QGroupBox* vorschlaege_group(FieldBinder& b, QWidget* parent) {
  auto* box = new QGroupBox(QString::fromUtf8("Preisvorschläge"), parent);
  auto* g = grid(box);
  g->addWidget(caption("Preisvorschläge akzeptieren:", box), 0, 0);
  g->addWidget(b.radio("Preisvorschlag", box), 0, 1, 1, 2);
  g->addWidget(caption("Preisvorschläge unterhalb von:", box), 1, 0);
  auto* minimum = b.edit("Preisvorschlag-Minimum", box);
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
    const char* field;
    Feature feature;
    QCheckBox* EditorControls::*box;
  };
  const Row rows[] = {{"Fettschrift", Feature::Fettschrift, &EditorControls::fettschrift},
                      {"Textmarker", Feature::Textmarker, &EditorControls::textmarker},
                      {"Top-Kategorie", Feature::TopKategorie, &EditorControls::top_kategorie}};
  int i = 0;
  for (const auto& r : rows) {
    c.*r.box = b.check(r.field, QString::fromUtf8(r.field), box);
    fee_slot(c, r.feature) =
        make_fee_label(QString::fromUtf8("Gebühr ") + QString::fromUtf8(r.field), box);
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
  g->addWidget(caption("Ort:", box), 0, 0);
  g->addWidget(b.edit("location", box), 0, 1);
  g->addWidget(caption("PLZ:", box), 0, 2);
  auto* zip = b.edit("location_zip", box);
  zip->setMaximumWidth(70);
  g->addWidget(zip, 0, 3);
  g->addWidget(caption("Land:", box), 1, 0);
  g->addWidget(b.combo("country", box), 1, 1, 1, 3);
  g->setColumnStretch(1, 1);
  return box;
}

QGroupBox* versand_group(FieldBinder& b, QWidget* parent) {
  auto* box = new QGroupBox(QStringLiteral("Versand"), parent);
  auto* g = grid(box);
  g->addWidget(b.radio("shipping", box, true), 0, 0, 1, 4);
  g->addWidget(b.check("international", QStringLiteral("Internationaler Versand"), box), 1, 0, 1,
               4);
  for (int i = 1; i <= 3; ++i) {
    std::string n = std::to_string(i);
    g->addWidget(new QLabel(QStringLiteral("Versandart %1:").arg(i), box), 1 + i, 0);
    auto* method = b.combo("Versand_" + n, box);
    method->setMinimumContentsLength(6);
    method->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    g->addWidget(method, 1 + i, 1);
    g->addWidget(caption("Preis:", box), 1 + i, 2);
    auto* price = b.edit("Versandpreis_" + n, box);
    price->setMaximumWidth(60);
    g->addWidget(price, 1 + i, 3);
  }
  g->setColumnStretch(1, 1);
  return box;
}

}  // namespace

QWidget* build_artikel_page(FieldBinder& b, EditorControls& c) {
  auto* scroll = new QScrollArea;
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
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
