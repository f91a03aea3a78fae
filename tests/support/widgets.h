#pragma once

// Finding the controls of a real window as a person and an accessibility tool find them: by the
// caption a person sees (accessible name or button text) and by the field a control is bound to
// (its accessible description). For the GUI tests; needs Qt Widgets.

#include <QAbstractButton>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <optional>
#include <string_view>
#include <type_traits>

#include "store/field.h"

namespace tellvaro::test {

inline QString field_text(store::F field) {
  const std::string_view name = store::name_of(field);
  return QString::fromUtf8(name.data(), static_cast<int>(name.size()));
}

// The control whose accessible name, or (for labels without one) object name, is `name`.
template <class W>
W* named(const QWidget& root, const QString& name) {
  for (W* w : root.findChildren<W*>()) {
    if (w->accessibleName() == name || w->objectName() == name) return w;
  }
  return nullptr;
}

// The control bound to `field`. A button that acts on the field (a picture slot's "Neue Datei")
// carries the field too: it is found only when a button is asked for.
template <class W>
W* bound(const QWidget& root, store::F field) {
  const QString description = field_text(field);
  for (W* w : root.findChildren<W*>()) {
    if (w->accessibleDescription() != description) continue;
    if constexpr (!std::is_base_of_v<QPushButton, W>) {
      if (qobject_cast<QPushButton*>(w)) continue;
    }
    return w;
  }
  return nullptr;
}

// The button showing `text`, of the control bound to `field` when one is given.
template <class B = QAbstractButton>
B* button(const QWidget& root, const QString& text, std::optional<store::F> field = {}) {
  for (B* b : root.findChildren<B*>()) {
    if (b->text() == text && (!field || b->accessibleDescription() == field_text(*field))) return b;
  }
  return nullptr;
}

}  // namespace tellvaro::test
