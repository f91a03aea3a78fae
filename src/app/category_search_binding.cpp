#include "app/category_search_binding.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>

namespace tellvaro::app {

CategorySearchBinding::CategorySearchBinding(
    const db::Connection& db, Controls controls, std::string_view hint, std::function<bool()> busy,
    std::function<void(const catalogue::CategoryMatch&)> take, QObject* parent)
    : QObject(parent),
      c_(controls),
      search_(hint),
      run_(db),
      busy_(std::move(busy)),
      take_(std::move(take)) {
  pause_ = new QTimer(this);
  pause_->setSingleShot(true);
  pause_->setInterval(presentation::CategorySearch::kPauseMs);
  connect(pause_, &QTimer::timeout, this, &CategorySearchBinding::pauseEnded);
  connect(c_.edit, &QLineEdit::textChanged, this, &CategorySearchBinding::edited);
  c_.edit->installEventFilter(this);
  connect(&run_, &runs::CategorySearchRun::found, this,
          [this](quint64 id, const std::vector<catalogue::CategoryMatch>& matches) {
            if (search_.found(id, matches)) paint();
          });
  connect(&run_, &runs::CategorySearchRun::failed, this,
          [this](quint64 id, const QString& message) {
            if (search_.failed(id, message.toStdString())) paint();
          });
  connect(c_.results, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
    if (auto match = search_.take(c_.results->row(item))) take_(*match);
  });
  // A result selected through a screen reader becomes the one Enter takes.
  connect(c_.results, &QListWidget::itemSelectionChanged, this, [this] {
    const auto selected = c_.results->selectedItems();
    if (!selected.isEmpty() && c_.results->currentItem() != selected.first()) {
      c_.results->setCurrentItem(selected.first());
    }
  });
  paint();
}

void CategorySearchBinding::edited(const QString& text) {
  if (search_.edited(text.toStdString())) {
    run_.prepare();
    pause_->start();
  } else {
    pause_->stop();
  }
}

void CategorySearchBinding::pauseEnded() {
  const auto request = search_.pause_ended(busy_ && busy_());
  if (request) {
    run_.search(request->id, request->text);
  } else {
    paint();
  }
}

void CategorySearchBinding::paint() {
  c_.results->clear();
  for (const auto& row : search_.rows()) {
    auto* item = new QListWidgetItem(QString::fromStdString(row.text), c_.results);
    item->setToolTip(QString::fromStdString(row.tip));
    if (!row.selectable)
      item->setFlags(item->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
  }
  c_.note->setText(QString::fromStdString(search_.note()));
}

bool CategorySearchBinding::eventFilter(QObject* watched, QEvent* event) {
  // Down from the search text goes to the first entry that can be taken.
  if (watched == c_.edit && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down) {
    const int row = search_.first_selectable();
    if (row >= 0 && row < c_.results->count()) {
      c_.results->setFocus();
      c_.results->setCurrentRow(row);
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace tellvaro::app
