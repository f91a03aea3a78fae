#pragma once

// Controls bound to the fields of the current record of one table: they show the field after
// every change of the record and write every change of their value into it, however it came:
// typed, pasted, set by a screen reader or dictation, ticked or chosen by keyboard or pointer.

#include <QObject>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ports/signal.h"
#include "store/field.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace tellvaro::store {
class Table;
}
namespace tellvaro::ports {
class Dialogs;
}

namespace tellvaro::app {

// A field's exact name, as a control's accessible description and as a caption that is the name.
QString fieldName(store::F field);

class FieldBinder : public QObject {
  Q_OBJECT

 public:
  // Subscribes to the table's data change and before-post hooks in the controls' phase, so the
  // controls are refreshed and written before any other listener, whenever that subscribed.
  FieldBinder(store::Table& table, ports::Dialogs* dialogs, QObject* parent = nullptr);
  ~FieldBinder() override;

  // Each binds an existing control to `field` (its exact name; the control gets it as its
  // accessible description, while its name stays what a person sees) and returns the control.
  QLineEdit* bindEdit(QLineEdit* edit, store::F field);
  QPlainTextEdit* bindMemo(QPlainTextEdit* memo, store::F field);
  // `Beschreibung` as the seller writes it: his own text, the frame chosen apart (it stays as
  // the record names it).
  QPlainTextEdit* bindOwnDescription(QPlainTextEdit* memo);
  // Editable; items from the field's fixed choice list.
  QComboBox* bindCombo(QComboBox* combo, store::F field);
  QCheckBox* bindCheck(QCheckBox* box, store::F field);
  // A display only: never writes.
  QLabel* bindLabel(QLabel* label, store::F field);

  // Convenience: a new control of each kind, bound.
  QLineEdit* edit(store::F field, QWidget* parent, bool read_only = false);
  QPlainTextEdit* memo(store::F field, QWidget* parent);
  QComboBox* combo(store::F field, QWidget* parent);
  QCheckBox* check(store::F field, const QString& caption, QWidget* parent);
  // A row (or column) of radio buttons from the field's radio items; name the box by its caption.
  QGroupBox* radio(store::F field, QWidget* parent, bool vertical = false);

  // Replaces the items of a bound drop-down (the duration choices) and shows the field again.
  void setComboItems(store::F field, const std::vector<std::string>& items);

  // Shows the field (absent: every field) of the current record again. Never writes back.
  void refresh(std::optional<std::size_t> field);
  // Writes every control whose value could not be taken yet (a number typed halfway) and says
  // why when it still cannot.
  void flush();

  struct Binding;

 private:
  Binding& add(std::unique_ptr<Binding> binding);
  // The control's value changed; ignored while the binder itself shows the record.
  void changed(Binding& b);
  // The user left the control: a value that is still no number is refused now, and the control
  // shows what the record holds (12.50 becomes 12.5).
  void left(Binding& b);
  bool store(Binding& b, bool report);
  void show(Binding& b);
  void watchFocusOut(QWidget* w, Binding& b);
  bool eventFilter(QObject* watched, QEvent* event) override;

  store::Table& table_;
  ports::Dialogs* dialogs_;
  std::vector<std::unique_ptr<Binding>> bindings_;
  int showing_ = 0;              // > 0 while the binder writes into controls
  Binding* writing_ = nullptr;   // not refreshed while its value goes into the record
  ports::Subscription data_change_;
  ports::Subscription before_post_;
};

}  // namespace tellvaro::app
