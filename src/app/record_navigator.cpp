#include "app/record_navigator.h"

#include <QHBoxLayout>
#include <QToolButton>

#include "app/error_report.h"
#include "store/table.h"

namespace tellvaro::app {

namespace {

struct Look {
  const char* symbol;
  const char* name;  // accessible name and tool tip
};

constexpr Look kLooks[] = {
    {"|◀", "Erster Datensatz"},    {"◀", "Vorheriger Datensatz"}, {"▶", "Nächster Datensatz"},
    {"▶|", "Letzter Datensatz"},   {"+", "Datensatz einfügen"},   {"−", "Datensatz löschen"},
    {"▲", "Datensatz bearbeiten"}, {"✓", "Datensatz speichern"},  {"✕", "Bearbeitung abbrechen"},
};

}  // namespace

RecordNavigator::RecordNavigator(store::Table& table, ports::Dialogs& dialogs,
                                 const std::vector<Button>& buttons, QWidget* parent)
    : QWidget(parent), table_(table), dialogs_(dialogs) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(1);
  for (Button b : buttons) {
    const auto& look = kLooks[static_cast<int>(b)];
    auto* button = new QToolButton(this);
    button->setText(QString::fromUtf8(look.symbol));
    button->setAccessibleName(QString::fromUtf8(look.name));
    button->setToolTip(QString::fromUtf8(look.name));
    button->setObjectName(QString::fromUtf8(look.name));
    button->setMinimumWidth(28);
    layout->addWidget(button);
    buttons_[static_cast<int>(b)] = button;
    connect(button, &QToolButton::clicked, this, [this, b] { run(b); });
  }
}

QToolButton* RecordNavigator::button(Button b) const { return buttons_[static_cast<int>(b)]; }

void RecordNavigator::run(Button b) {
  if (before_each_ && !run_guarded(dialogs_, before_each_)) return;
  if (b == Button::Delete) {
    emit deleteClicked();
    return;
  }
  run_guarded(dialogs_, [&] {
    switch (b) {
      case Button::First:
        table_.first();
        break;
      case Button::Prior:
        table_.prior();
        break;
      case Button::Next:
        table_.next();
        break;
      case Button::Last:
        table_.last();
        break;
      case Button::Insert:
        table_.append();
        break;
      case Button::Edit:
        table_.edit();
        break;
      case Button::Post:
        table_.post();
        break;
      case Button::Cancel:
        table_.cancel();
        break;
      case Button::Delete:
        break;
    }
  });
}

}  // namespace tellvaro::app
