#include "app/editor/page_kategorie.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>

#include "app/accessible.h"
#include "app/editor/field_widgets.h"
#include "ports/dialogs.h"
#include "presentation/labels.h"
#include "store/table.h"
#include "text/error.h"

namespace tellvaro::app {
namespace {

const QString kSearchHint = QString::fromUtf8(
    "Mindestens drei Zeichen eingeben. Doppelklick oder Eingabetaste übernimmt eine Kategorie "
    "ohne Unterkategorien für die gewählte Kat 1 / Kat 2.");

// Items as wide as the list, so a long text is elided rather than scrolled.
class ViewportWideDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {0, QStyledItemDelegate::sizeHint(option, index).height()};
  }
};

void set_base(QWidget* w, bool enabled) {
  QPalette palette = w->palette();
  QColor base = enabled ? QColor(Qt::white) : QColor(212, 208, 200);
  palette.setColor(QPalette::Active, QPalette::Base, base);
  palette.setColor(QPalette::Inactive, QPalette::Base, base);
  palette.setColor(QPalette::Disabled, QPalette::Base, base);
  w->setPalette(palette);
  w->setEnabled(enabled);
}

}  // namespace

CategoryPage::CategoryPage(db::Connection& db, store::Table& articles, FieldBinder& binder,
                           ports::Dialogs* dialogs, QWidget* parent)
    : QWidget(parent), articles_(articles), dialogs_(dialogs), browser_(db, articles), db_(db) {
  auto* layout = new QVBoxLayout(this);

  auto* buttons = new QHBoxLayout;
  change_ = new QPushButton(QString::fromUtf8("Kategorie ändern"), this);
  save_ = new QPushButton(QStringLiteral("Speichern"), this);
  save_->setEnabled(false);
  kat_ = new QComboBox(this);
  kat_->addItems({QStringLiteral("Kat 1"), QStringLiteral("Kat 2")});
  kat_->setAccessibleName(QStringLiteral("Kat"));
  buttons->addWidget(change_);
  buttons->addWidget(save_);
  buttons->addWidget(kat_);
  buttons->addStretch(1);
  layout->addLayout(buttons);

  auto* current = new QGridLayout;
  number1_ = new QLineEdit(this);
  number2_ = new QLineEdit(this);
  QLineEdit* numbers[] = {number1_, number2_};
  const store::F number_fields[] = {store::F::Kategorie_Nummer, store::F::Kategorie_Nummer_2};
  const store::F path_fields[] = {store::F::Kategorie, store::F::Kategorie_2};
  for (int i = 0; i < 2; ++i) {
    numbers[i]->setReadOnly(true);
    numbers[i]->setMaximumWidth(90);
    // Shows the field (or the number a browse has chosen) without being bound to it.
    numbers[i]->setAccessibleDescription(fieldName(number_fields[i]));
    auto* path = new QLabel(this);
    path->setWordWrap(true);
    binder.bindLabel(path, path_fields[i]);
    current->addWidget(
        label_for(new QLabel(QStringLiteral("Kat %1:").arg(i + 1), this), numbers[i]), i, 0);
    current->addWidget(numbers[i], i, 1);
    current->addWidget(path, i, 2);
  }
  current->setColumnStretch(2, 1);
  layout->addLayout(current);

  // The chosen names of the levels travel into the record through these hidden fields.
  for (int i = 1; i <= catalogue::CategoryBrowser::kLevels; ++i) {
    binder.edit(store::category_level(i), this, true)->hide();
  }

  auto* columns = new QHBoxLayout;
  auto* browse = new QVBoxLayout;
  columns->addLayout(browse, 3);
  layout->addLayout(columns, 1);

  chooser_ = new QComboBox(this);
  chooser_->setEditable(false);
  chooser_->setAccessibleName(QStringLiteral("Kategorie Ebene 1"));
  browse->addWidget(chooser_);
  connect(chooser_, &QComboBox::activated, this, [this](int index) { choose(1, index); });
  for (int i = 0; i < 4; ++i) {
    auto* list = new QListWidget(this);
    int level = i + 2;
    list->setAccessibleName(QStringLiteral("Kategorie Ebene %1").arg(level));
    list->viewport()->installEventFilter(this);
    browse->addWidget(list, 1);
    lists_[i] = list;
    // Keyboard and screen readers choose by selecting a row (moving to it, or the row's own
    // action); a mouse chooses by its click, so that a click on the row already chosen opens it
    // again.
    connect(list, &QListWidget::itemSelectionChanged, this, [this, level, list] {
      const auto selected = list->selectedItems();
      if (!mouse_down_ && !selected.isEmpty()) choose(level, list->row(selected.first()));
    });
    connect(list, &QListWidget::itemClicked, this,
            [this, level, list](QListWidgetItem* item) { choose(level, list->row(item)); });
  }

  auto* finder = new QVBoxLayout;
  columns->addLayout(finder, 2);
  auto* search_caption = new QLabel(QStringLiteral("&Suchen:"), this);
  search_ = new QLineEdit(this);
  label_for(search_caption, search_);
  search_->setClearButtonEnabled(true);
  search_->installEventFilter(this);
  auto* search_row = new QHBoxLayout;
  search_row->addWidget(search_caption);
  search_row->addWidget(search_, 1);
  finder->addLayout(search_row);
  results_ = new QListWidget(this);
  // A long path shows its end, the category itself; the tool tip and the name hold it whole.
  results_->setItemDelegate(new ViewportWideDelegate(results_));
  results_->setTextElideMode(Qt::ElideLeft);
  results_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  finder->addWidget(
      label_for(new QLabel(QString::fromUtf8("Gefundene Kategorien:"), this), results_));
  finder->addWidget(results_, 1);
  note_ = new QLabel(kSearchHint, this);
  note_->setWordWrap(true);
  finder->addWidget(note_);
  // Searching at every keystroke would ask the server for every letter typed.
  pause_ = new QTimer(this);
  pause_->setSingleShot(true);
  pause_->setInterval(300);
  connect(pause_, &QTimer::timeout, this, [this] { search(); });
  connect(search_, &QLineEdit::textChanged, pause_, qOverload<>(&QTimer::start));
  connect(results_, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { take(results_->row(item)); });
  // A result selected through a screen reader becomes the one Enter takes.
  connect(results_, &QListWidget::itemSelectionChanged, this, [this] {
    const auto selected = results_->selectedItems();
    if (!selected.isEmpty() && results_->currentItem() != selected.first()) {
      results_->setCurrentItem(selected.first());
    }
  });

  connect(change_, &QPushButton::clicked, this,
          [this] { run([this] { browser_.start(slot()); }); });
  connect(save_, &QPushButton::clicked, this, [this] { run([this] { browser_.save(slot()); }); });
  paint();
}

catalogue::Slot CategoryPage::slot() const {
  return presentation::category_slot(kat_->currentText().toStdString());
}

void CategoryPage::run(const std::function<void()>& step) {
  try {
    step();
  } catch (const Error& e) {
    if (dialogs_) dialogs_->error(e.what());
  }
  paint();
}

void CategoryPage::choose(int level, int row) {
  std::optional<std::size_t> index;
  if (row >= 0) index = static_cast<std::size_t>(row);
  run([&] { browser_.choose(level, index, slot()); });
}

void CategoryPage::search() {
  // A pause that ends while a send or an import holds the connection asks nothing.
  if (!isEnabled()) return;
  matches_.clear();
  results_->clear();
  note_->setText(kSearchHint);
  const std::string text = search_->text().toStdString();
  if (!catalogue::searchable(text)) return;
  try {
    matches_ = catalogue::search_categories(db_, text);
  } catch (const Error& e) {
    // Beside the edit rather than in a box: the next pause in typing tries again.
    note_->setText(QString::fromStdString(e.what()));
    return;
  }
  for (const auto& m : matches_) {
    const QString path = QString::fromStdString(m.path());
    auto* item = new QListWidgetItem(path, results_);
    item->setToolTip(path);
    if (!m.leaf) {
      item->setFlags(item->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
      item->setToolTip(path +
                       QString::fromUtf8("\nHat Unterkategorien und kann nicht gewählt werden."));
    }
  }
  note_->clear();
  if (matches_.empty()) {
    note_->setText(QString::fromUtf8("Keine Kategorie gefunden."));
  } else if (matches_.size() >= catalogue::kSearchMaxMatches) {
    note_->setText(QString::fromUtf8("Die ersten %1 Treffer; ein längerer Suchtext findet genauer.")
                       .arg(catalogue::kSearchMaxMatches));
  }
}

void CategoryPage::take(int row) {
  if (row < 0 || static_cast<std::size_t>(row) >= matches_.size()) return;
  const catalogue::CategoryMatch match = matches_[static_cast<std::size_t>(row)];
  run([&] { browser_.take(match, slot()); });
}

void CategoryPage::reset() {
  browser_.reset();
  paint();
}

void CategoryPage::beforePost() {
  browser_.before_post();
  paint();
}

void CategoryPage::discardPending() {
  browser_.discard_pending();
  paint();
}

void CategoryPage::paintLevel(int level) {
  const auto& entries = browser_.entries(level);
  QStringList texts;
  for (const auto& e : entries)
    texts << QString::fromStdString(presentation::category_entry_label(e, level == 1));
  auto chosen = browser_.chosen(level);
  int row = chosen ? static_cast<int>(*chosen) : -1;
  bool enabled = browser_.level_enabled(level);
  if (level == 1) {
    QSignalBlocker block(chooser_);
    if (shown_[0] != texts) {
      chooser_->clear();
      chooser_->addItems(texts);
      shown_[0] = texts;
    }
    chooser_->setCurrentIndex(row);
    set_base(chooser_, enabled);
    return;
  }
  QListWidget* list = lists_[level - 2];
  QSignalBlocker block(list);
  if (shown_[level - 1] != texts) {
    list->clear();
    list->addItems(texts);
    shown_[level - 1] = texts;
  }
  list->setCurrentRow(row);
  if (row < 0) list->clearSelection();
  set_base(list, enabled);
}

void CategoryPage::paint() {
  for (int level = 1; level <= catalogue::CategoryBrowser::kLevels; ++level) paintLevel(level);
  change_->setEnabled(browser_.change_enabled());
  save_->setEnabled(browser_.save_enabled());
  using catalogue::Slot;
  number1_->setText(QString::fromStdString(
      browser_.pending_number(Slot::First).value_or(articles_.text(store::F::Kategorie_Nummer))));
  number2_->setText(
      QString::fromStdString(browser_.pending_number(Slot::Second)
                                 .value_or(articles_.text(store::F::Kategorie_Nummer_2))));
}

bool CategoryPage::eventFilter(QObject* watched, QEvent* event) {
  // Down from the search text goes to the first entry that can be chosen.
  if (watched == search_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down) {
    for (int row = 0; row < results_->count(); ++row) {
      if (results_->item(row)->flags() & Qt::ItemIsEnabled) {
        results_->setFocus();
        results_->setCurrentRow(row);
        return true;
      }
    }
  }
  if (event->type() == QEvent::MouseButtonPress) mouse_down_ = true;
  if (event->type() == QEvent::MouseButtonRelease) mouse_down_ = false;
  return QWidget::eventFilter(watched, event);
}

}  // namespace tellvaro::app
