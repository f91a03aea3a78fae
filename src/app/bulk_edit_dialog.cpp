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
#include "app/category_search_binding.h"
#include "ports/dialogs.h"
#include "presentation/category_search.h"
#include "text/error.h"

namespace tellvaro::app {
namespace {

QString q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }
QString u(const char* s) { return QString::fromUtf8(s); }

QString flag_hint_text() { return q(presentation::kBulkFlagHint); }

Qt::CheckState check_state(presentation::FlagChoice choice) {
  switch (choice) {
    case presentation::FlagChoice::Set:
      return Qt::Checked;
    case presentation::FlagChoice::Clear:
      return Qt::Unchecked;
    case presentation::FlagChoice::Keep:
      break;
  }
  return Qt::PartiallyChecked;
}

presentation::FlagChoice flag_choice(int state) {
  if (state == Qt::Checked) return presentation::FlagChoice::Set;
  if (state == Qt::Unchecked) return presentation::FlagChoice::Clear;
  return presentation::FlagChoice::Keep;
}

}  // namespace

BulkEditDialog::BulkEditDialog(Parts parts, QWidget* parent)
    : QDialog(parent), p_(std::move(parts)), form_(p_.keys.size(), p_.payments, p_.durations) {
  setWindowTitle(u("Ausgewählte Artikel bearbeiten"));
  resize(1100, 760);

  auto* columns = new QHBoxLayout;
  QVBoxLayout* column[3] = {new QVBoxLayout, new QVBoxLayout, new QVBoxLayout};
  const int widths[3] = {5, 3, 4};
  for (int i = 0; i < 3; ++i) columns->addLayout(column[i], widths[i]);

  int placed = 0;
  for (const auto& group : form_.groups()) {
    auto* box = new QGroupBox(q(group.title), this);
    auto* grid = new QGridLayout(box);
    int row = 0;
    for (const auto* f : group.fields) makeRow(*f, grid, row++);
    if (group.fields.empty()) {
      grid->addWidget(new QLabel(q(presentation::kBulkNoPayments), box));
    }
    grid->setColumnStretch(3, 1);
    // Prices, article, shipping left; location, highlights and payments in the middle.
    column[placed < 3 ? 0 : 1]->addWidget(box);
    ++placed;
  }
  auto* flag_hint = new QLabel(flag_hint_text(), this);
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
    const auto slot = i == 0 ? catalogue::Slot::First : catalogue::Slot::Second;
    connect(r.change, &QCheckBox::toggled, this, [this, slot](bool on) {
      form_.tick_category(slot, on);
      schedulePreview();
    });
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
  note_ = new QLabel(cat_box);
  note_->setWordWrap(true);
  cat->addWidget(note_, 6, 0, 1, 3);
  cat->setColumnStretch(2, 1);
  column[2]->addWidget(cat_box, 1);
  search_binding_ = new CategorySearchBinding(
      p_.db, {search_, results_, note_}, presentation::kBulkSearchHint, p_.busy,
      [this](const catalogue::CategoryMatch& match) { takeCategory(match); }, this);

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
  using Entry = presentation::BulkForm::Entry;
  QWidget* box = grid->parentWidget();
  const store::F field = f.field;
  const QString caption = q(form_.caption(f));
  Row r;
  const QString description = q(store::name_of(f.field));
  if (f.kind == workspace::BulkKind::Flag) {
    r.flag = new QCheckBox(caption, box);
    r.flag->setTristate(true);
    r.flag->setCheckState(check_state(presentation::FlagChoice::Keep));
    r.flag->setToolTip(flag_hint_text());
    r.flag->setAccessibleDescription(description);
    grid->addWidget(r.flag, row, 0, 1, 4);
    connect(r.flag, &QCheckBox::stateChanged, this, [this, field](int state) {
      form_.set_flag(field, flag_choice(state));
      schedulePreview();
    });
    rows_[field] = r;
    return r.flag;
  }
  r.change = new QCheckBox(u("ändern"), box);
  r.change->setAccessibleName(spoken_caption(caption) + u(" ändern"));
  r.change->setAccessibleDescription(description);
  if (f.kind == workspace::BulkKind::Amount) {
    r.way = new QComboBox(box);
    for (const auto& way : presentation::BulkForm::ways()) r.way->addItem(q(way.caption));
    r.way->setAccessibleName(caption + u(", Art der Änderung"));
    r.way->setAccessibleDescription(description);
  }
  QWidget* value = nullptr;
  const Entry entry = form_.entry(f);
  if (entry == Entry::Text) {
    auto* edit = new QLineEdit(box);
    if (f.kind == workspace::BulkKind::Amount) {
      edit->setPlaceholderText(q(presentation::kBulkAmountExample));
    }
    value = edit;
  } else {
    auto* combo = new QComboBox(box);
    // A list to pick from holds what each entry stores; one that can be typed over, its text.
    combo->setEditable(entry == Entry::PickOrType);
    for (const auto& item : form_.items(f)) combo->addItem(q(item.caption), q(item.stored));
    combo->setCurrentIndex(-1);
    value = combo;
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
  auto typed = [this, field, tick, value] {
    form_.type(field, valueText(value).toStdString());
    tick->setChecked(form_.ticked(field));
    schedulePreview();
  };
  if (auto* edit = qobject_cast<QLineEdit*>(value)) {
    connect(edit, &QLineEdit::textEdited, this, typed);
  } else if (auto* combo = qobject_cast<QComboBox*>(value)) {
    connect(combo, &QComboBox::currentTextChanged, this, typed);
  }
  if (r.way) {
    connect(r.way, &QComboBox::currentIndexChanged, this, [this, field, tick](int index) {
      const auto& ways = presentation::BulkForm::ways();
      if (index < 0 || static_cast<std::size_t>(index) >= ways.size()) return;
      form_.choose_way(field, ways[static_cast<std::size_t>(index)].way);
      tick->setChecked(form_.ticked(field));
      schedulePreview();
    });
  }
  connect(r.change, &QCheckBox::toggled, this, [this, field](bool on) {
    form_.tick(field, on);
    schedulePreview();
  });
  rows_[field] = r;
  return value;
}

QString BulkEditDialog::valueText(const QWidget* value) {
  if (auto* edit = qobject_cast<const QLineEdit*>(value)) return edit->text();
  if (auto* combo = qobject_cast<const QComboBox*>(value)) {
    if (!combo->isEditable()) return combo->currentData().toString();
    return combo->currentText();
  }
  return {};
}

workspace::BulkChange BulkEditDialog::change() const { return form_.change(); }

void BulkEditDialog::schedulePreview() { preview_pause_->start(); }

void BulkEditDialog::updatePreview() {
  preview_pause_->stop();
  const auto preview = form_.preview(p_.editor, p_.keys);
  show_value(summary_, q(preview.summary));
  QStringList lines;
  for (const auto& line : preview.lines) lines << q(line);
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

void BulkEditDialog::takeCategory(const catalogue::CategoryMatch& m) {
  const auto slot = slot_->currentIndex() == 1 ? catalogue::Slot::Second : catalogue::Slot::First;
  auto& r = categories_[slot == catalogue::Slot::Second ? 1 : 0];
  r.shown->setText(q(form_.take_category(slot, m)));
  r.change->setChecked(form_.category_ticked(slot));
  schedulePreview();
}

void BulkEditDialog::tryApply() {
  updatePreview();
  if (const auto refusal = form_.refusal()) {
    if (refusal->error) {
      p_.dialogs.error(refusal->text);
    } else {
      p_.dialogs.inform(refusal->text);
    }
    return;
  }
  if (p_.apply(form_.change())) accept();
}

}  // namespace tellvaro::app
