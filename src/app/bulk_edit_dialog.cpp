#include "app/bulk_edit_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/accessible.h"
#include "catalogue/categories.h"
#include "ports/dialogs.h"
#include "text/error.h"

namespace tellvaro::app {
namespace {

QString q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }
QString u(const char* s) { return QString::fromUtf8(s); }

const char* kWays[] = {"auf Wert", "um Betrag (+/-)", "um Prozent (+/-)"};

const QString kFlagHint =
    u("Grau: bleibt wie es ist. Angehakt: wird gesetzt. Leer: wird entfernt.");

// The groups of the dialog, each with its fields in the core's order.
struct Group {
  const char* title;
  std::vector<store::F> fields;
};

std::vector<Group> groups() {
  using store::F;
  std::vector<Group> g = {
      {"Preise", {F::Startpreis, F::Sofortkauf, F::Mindestpreis}},
      {"Artikel", {F::Auktionsdauer, F::Wiedereinstellen, F::Anzeigenart, F::Zustand, F::Anzahl}},
      {"Versand",
       {F::shipping, F::international, F::Versand_1, F::Versandpreis_1, F::Versand_2,
        F::Versandpreis_2, F::Versand_3, F::Versandpreis_3}},
      {"Artikelstandort", {F::location, F::location_zip, F::country}},
      {"Hervorhebungen", {F::Fettschrift, F::Textmarker, F::Top_Kategorie}},
      {"Zahlungsweise", {}},
  };
  return g;
}

const workspace::BulkField* bulk_field(store::F field) {
  for (const auto& f : workspace::bulk_fields()) {
    if (f.field == field) return &f;
  }
  return nullptr;
}

}  // namespace

BulkEditDialog::BulkEditDialog(Parts parts, QWidget* parent)
    : QDialog(parent), p_(std::move(parts)) {
  setWindowTitle(u("Ausgewählte Artikel bearbeiten"));
  resize(1100, 760);

  auto* columns = new QHBoxLayout;
  QVBoxLayout* column[3] = {new QVBoxLayout, new QVBoxLayout, new QVBoxLayout};
  const int widths[3] = {5, 3, 4};
  for (int i = 0; i < 3; ++i) columns->addLayout(column[i], widths[i]);

  auto all = groups();
  // Only the payment boxes the auction house named, as on the editor's page.
  for (std::size_t i = 0; i < catalogue::kPaymentSlots && i < p_.payments.shown; ++i) {
    if (const auto* f = bulk_field(store::payment_flag(static_cast<int>(i) + 1)))
      all.back().fields.push_back(f->field);
  }
  int placed = 0;
  for (const auto& group : all) {
    auto* box = new QGroupBox(u(group.title), this);
    auto* grid = new QGridLayout(box);
    int row = 0;
    for (store::F field : group.fields) {
      if (const auto* f = bulk_field(field)) makeRow(*f, grid, row++);
    }
    if (group.fields.empty()) {
      grid->addWidget(new QLabel(u("Keine Zahlungsweisen aus dem Auktionshaus gelesen."), box));
    }
    grid->setColumnStretch(3, 1);
    // Prices, article, shipping left; location, highlights and payments in the middle.
    column[placed < 3 ? 0 : 1]->addWidget(box);
    ++placed;
  }
  auto* flag_hint = new QLabel(kFlagHint, this);
  flag_hint->setWordWrap(true);
  column[1]->addWidget(flag_hint);
  column[0]->addStretch(1);
  column[1]->addStretch(1);

  // Categories, right: the chosen one per slot, and the search that finds them.
  auto* cat_box = new QGroupBox(u("Kategorie"), this);
  auto* cat = new QGridLayout(cat_box);
  for (int i = 0; i < 2; ++i) {
    const QString caption = QStringLiteral("Kategorie %1").arg(i + 1);
    auto& r = categories_[i];
    r.change = new QCheckBox(u("ändern"), cat_box);
    r.change->setAccessibleName(caption + u(" ändern"));
    r.change->setAccessibleDescription(i == 0 ? u("Kategorie, Kategorie Nummer")
                                              : u("Kategorie 2, Kategorie Nummer 2"));
    r.shown = new QLineEdit(cat_box);
    r.shown->setReadOnly(true);
    r.shown->setMinimumWidth(200);
    r.shown->setAccessibleDescription(i == 0 ? u("Kategorie") : u("Kategorie 2"));
    cat->addWidget(label_for(new QLabel(caption + ':', cat_box), r.shown), i, 0);
    cat->addWidget(r.change, i, 1);
    cat->addWidget(r.shown, i, 2);
    connect(r.change, &QCheckBox::toggled, this, &BulkEditDialog::schedulePreview);
  }
  slot_ = new QComboBox(cat_box);
  slot_->addItems({QStringLiteral("Kat 1"), QStringLiteral("Kat 2")});
  search_ = new QLineEdit(cat_box);
  search_->setClearButtonEnabled(true);
  cat->addWidget(label_for(new QLabel(u("&Suchen:"), cat_box), search_), 2, 0);
  cat->addWidget(search_, 2, 2);
  cat->addWidget(label_for(new QLabel(u("Übernehmen für:"), cat_box), slot_), 3, 0);
  cat->addWidget(slot_, 3, 2);
  results_ = new QListWidget(cat_box);
  cat->addWidget(label_for(new QLabel(u("Gefundene Kategorien:"), cat_box), results_), 4, 0, 1, 3);
  cat->addWidget(results_, 5, 0, 1, 3);
  note_ = new QLabel(u("Mindestens drei Zeichen eingeben. Doppelklick oder Eingabetaste übernimmt "
                       "eine Kategorie ohne Unterkategorien."),
                     cat_box);
  note_->setWordWrap(true);
  cat->addWidget(note_, 6, 0, 1, 3);
  cat->setColumnStretch(2, 1);
  column[2]->addWidget(cat_box, 1);
  search_pause_ = new QTimer(this);
  search_pause_->setSingleShot(true);
  search_pause_->setInterval(300);
  connect(search_pause_, &QTimer::timeout, this, &BulkEditDialog::search);
  connect(search_, &QLineEdit::textChanged, search_pause_, qOverload<>(&QTimer::start));
  connect(results_, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { takeCategory(results_->row(item)); });

  // The preview below everything.
  summary_ = new QLabel(this);
  QFont bold = summary_->font();
  bold.setBold(true);
  summary_->setFont(bold);
  name_by_value(summary_, u("Vorschau"));
  preview_ = new QPlainTextEdit(this);
  preview_->setReadOnly(true);
  preview_->setMaximumHeight(170);
  auto* preview_caption = new QLabel(u("Vorschau:"), this);
  label_for(preview_caption, preview_);
  preview_pause_ = new QTimer(this);
  preview_pause_->setSingleShot(true);
  preview_pause_->setInterval(150);
  connect(preview_pause_, &QTimer::timeout, this, &BulkEditDialog::updatePreview);

  auto* buttons = new QDialogButtonBox(this);
  apply_ = buttons->addButton(u("Übernehmen"), QDialogButtonBox::AcceptRole);
  QPushButton* cancel = buttons->addButton(u("Abbrechen"), QDialogButtonBox::RejectRole);
  apply_->setAutoDefault(false);
  cancel->setAutoDefault(false);
  connect(apply_, &QPushButton::clicked, this, &BulkEditDialog::tryApply);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns, 1);
  auto* preview_head = new QHBoxLayout;
  preview_head->addWidget(preview_caption);
  preview_head->addWidget(summary_, 1);
  layout->addLayout(preview_head);
  layout->addWidget(preview_);
  layout->addWidget(buttons);
  updatePreview();
}

QWidget* BulkEditDialog::makeRow(const workspace::BulkField& f, QGridLayout* grid, int row) {
  using K = workspace::BulkKind;
  QWidget* box = grid->parentWidget();
  const store::F field = f.field;
  QString caption = q(f.caption);
  // A payment box is captioned with its payment name, as on the editor's page.
  for (std::size_t i = 0; i < catalogue::kPaymentSlots; ++i) {
    if (field == store::payment_flag(static_cast<int>(i) + 1)) caption = q(p_.payments.name[i]);
  }
  Row r;
  const QString description = q(store::name_of(f.field));
  if (f.kind == K::Flag) {
    r.flag = new QCheckBox(caption, box);
    r.flag->setTristate(true);
    r.flag->setCheckState(Qt::PartiallyChecked);
    r.flag->setToolTip(kFlagHint);
    r.flag->setAccessibleDescription(description);
    grid->addWidget(r.flag, row, 0, 1, 4);
    connect(r.flag, &QCheckBox::stateChanged, this, &BulkEditDialog::schedulePreview);
    rows_[field] = r;
    return r.flag;
  }
  r.change = new QCheckBox(u("ändern"), box);
  r.change->setAccessibleName(spoken_caption(caption) + u(" ändern"));
  r.change->setAccessibleDescription(description);
  QWidget* value = nullptr;
  switch (f.kind) {
    case K::Amount: {
      r.way = new QComboBox(box);
      for (const char* w : kWays) r.way->addItem(u(w));
      r.way->setAccessibleName(caption + u(", Art der Änderung"));
      r.way->setAccessibleDescription(description);
      auto* edit = new QLineEdit(box);
      edit->setPlaceholderText(u("z. B. 12.50"));
      value = edit;
      break;
    }
    case K::Duration:
    case K::Choice:
    case K::Shipping: {
      const auto& items = catalogue::choice_items(f.field);
      if (f.kind == K::Choice && items.empty()) {
        value = new QLineEdit(box);  // a free text: Ort, PLZ, Land
        break;
      }
      auto* combo = new QComboBox(box);
      if (f.kind == K::Shipping) {
        for (const auto& item : catalogue::radio_items(f.field)) {
          combo->addItem(q(item.caption), q(item.stored));
        }
      } else {
        // The editor's lists: the durations read at start, the fixed choices of the form.
        combo->setEditable(true);
        if (f.kind == K::Duration) {
          for (const auto& d : p_.durations) combo->addItem(QString::fromStdString(d));
        } else {
          for (auto item : items) combo->addItem(q(item));
        }
      }
      combo->setCurrentIndex(-1);
      value = combo;
      break;
    }
    case K::Count:
      value = new QLineEdit(box);
      break;
    case K::Flag:
      break;
  }
  r.value = value;
  value->setMinimumWidth(120);
  value->setAccessibleDescription(description);
  grid->addWidget(label_for(new QLabel(caption + ':', box), value), row, 0);
  grid->addWidget(r.change, row, 1);
  if (r.way) grid->addWidget(r.way, row, 2);
  grid->addWidget(value, row, 3);

  // Typing or choosing a value means changing it.
  QCheckBox* tick = r.change;
  auto touched = [this, tick] {
    tick->setChecked(true);
    schedulePreview();
  };
  if (auto* edit = qobject_cast<QLineEdit*>(value)) {
    connect(edit, &QLineEdit::textEdited, this, touched);
  } else if (auto* combo = qobject_cast<QComboBox*>(value)) {
    connect(combo, &QComboBox::currentTextChanged, this, touched);
  }
  if (r.way) connect(r.way, &QComboBox::currentIndexChanged, this, touched);
  connect(r.change, &QCheckBox::toggled, this, &BulkEditDialog::schedulePreview);
  rows_[field] = r;
  return value;
}

QString BulkEditDialog::valueText(const Row& row) const {
  if (auto* edit = qobject_cast<QLineEdit*>(row.value)) return edit->text();
  if (auto* combo = qobject_cast<QComboBox*>(row.value)) {
    if (!combo->isEditable()) return combo->currentData().toString();
    return combo->currentText();
  }
  return {};
}

workspace::BulkChange BulkEditDialog::change() const {
  workspace::BulkChange c;
  for (const auto& f : workspace::bulk_fields()) {
    auto it = rows_.find(f.field);
    if (it == rows_.end()) continue;
    const Row& r = it->second;
    const store::F field = f.field;
    if (r.flag) {
      if (r.flag->checkState() == Qt::PartiallyChecked) continue;
      c.fields.push_back({field, workspace::BulkWay::Value,
                          r.flag->checkState() == Qt::Checked ? "True" : "False"});
      continue;
    }
    if (!r.change->isChecked()) continue;
    auto way = workspace::BulkWay::Value;
    if (r.way && r.way->currentIndex() == 1) way = workspace::BulkWay::Amount;
    if (r.way && r.way->currentIndex() == 2) way = workspace::BulkWay::Percent;
    c.fields.push_back({field, way, valueText(r).toStdString()});
  }
  for (int i = 0; i < 2; ++i) {
    const auto& r = categories_[i];
    if (!r.change->isChecked()) continue;
    c.categories.push_back({i == 0 ? catalogue::Slot::First : catalogue::Slot::Second,
                            r.match.value_or(catalogue::CategoryMatch{})});
  }
  return c;
}

void BulkEditDialog::schedulePreview() { preview_pause_->start(); }

void BulkEditDialog::updatePreview() {
  preview_pause_->stop();
  const auto c = change();
  const auto errors = workspace::check_bulk_change(c);
  QStringList lines;
  if (!errors.empty()) {
    show_value(summary_, u("Nicht möglich:"));
    for (const auto& e : errors) lines << QString::fromStdString(e);
  } else if (c.empty()) {
    show_value(summary_, u("Noch kein Feld gewählt."));
  } else {
    const auto preview = p_.editor.preview(p_.keys, c);
    show_value(summary_, QString::fromStdString(preview.summary()));
    for (const auto& line : preview.lines) lines << QString::fromStdString(line);
  }
  preview_->setPlainText(lines.join('\n'));
}

QString BulkEditDialog::summaryText() const { return summary_->text(); }
QString BulkEditDialog::previewText() const { return preview_->toPlainText(); }

QCheckBox* BulkEditDialog::changeBox(store::F field) const {
  auto it = rows_.find(field);
  return it == rows_.end() ? nullptr : it->second.change;
}
QWidget* BulkEditDialog::valueControl(store::F field) const {
  auto it = rows_.find(field);
  return it == rows_.end() ? nullptr : it->second.value;
}
QComboBox* BulkEditDialog::wayBox(store::F field) const {
  auto it = rows_.find(field);
  return it == rows_.end() ? nullptr : it->second.way;
}
QCheckBox* BulkEditDialog::flagBox(store::F field) const {
  auto it = rows_.find(field);
  return it == rows_.end() ? nullptr : it->second.flag;
}

void BulkEditDialog::search() {
  matches_.clear();
  results_->clear();
  const std::string text = search_->text().toStdString();
  if (!catalogue::searchable(text)) return;
  if (p_.busy && p_.busy()) {
    note_->setText(u("Während des Sendens oder Importierens wird nicht gesucht."));
    return;
  }
  try {
    matches_ = catalogue::search_categories(p_.db, text);
  } catch (const Error& e) {
    note_->setText(QString::fromStdString(e.what()));
    return;
  }
  for (const auto& m : matches_) {
    auto* item = new QListWidgetItem(QString::fromStdString(m.path()), results_);
    if (!m.leaf) {
      item->setFlags(item->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
      item->setToolTip(u("Hat Unterkategorien und kann nicht gewählt werden."));
    }
  }
  note_->setText(matches_.empty() ? u("Keine Kategorie gefunden.") : QString());
}

void BulkEditDialog::takeCategory(int row) {
  if (row < 0 || static_cast<std::size_t>(row) >= matches_.size()) return;
  const auto& m = matches_[static_cast<std::size_t>(row)];
  if (!m.leaf) return;
  const int i = slot_->currentIndex() == 1 ? 1 : 0;
  categories_[i].match = m;
  categories_[i].shown->setText(
      QString::fromStdString(catalogue::category_path(catalogue::browse_names(m))));
  categories_[i].change->setChecked(true);
  schedulePreview();
}

void BulkEditDialog::tryApply() {
  updatePreview();
  const auto c = change();
  const auto errors = workspace::check_bulk_change(c);
  if (!errors.empty()) {
    std::string text = "Die Sammelbearbeitung ist so nicht möglich:";
    for (const auto& e : errors) text += "\n" + e;
    p_.dialogs.error(text);
    return;
  }
  if (c.empty()) {
    p_.dialogs.inform("Es ist noch kein Feld zum Ändern gewählt.");
    return;
  }
  if (p_.apply(c)) accept();
}

}  // namespace tellvaro::app
