#include "app/editor/category_page.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "app/accessible.h"
#include "app/category_search_binding.h"
#include "app/editor/field_widgets.h"
#include "ports/dialogs.h"
#include "presentation/category_search.h"
#include "presentation/labels.h"
#include "store/table.h"
#include "text/error.h"

namespace tellvaro::app {
namespace {

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
  for (int i = 1; i <= presentation::CategoryBrowser::kLevels; ++i) {
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
  note_ = new QLabel(this);
  note_->setWordWrap(true);
  finder->addWidget(note_);
  new CategorySearchBinding(
      db_, {search_, results_, note_}, presentation::kBrowserSearchHint,
      // A pause that ends while a send or an import holds the tables asks nothing.
      [this] { return !isEnabled(); },
      [this](const catalogue::CategoryMatch& match) { run([&] { browser_.take(match, slot()); }); },
      this);

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
  for (int level = 1; level <= presentation::CategoryBrowser::kLevels; ++level) paintLevel(level);
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
  if (event->type() == QEvent::MouseButtonPress) mouse_down_ = true;
  if (event->type() == QEvent::MouseButtonRelease) mouse_down_ = false;
  return QWidget::eventFilter(watched, event);
}

}  // namespace tellvaro::app
