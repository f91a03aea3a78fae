#pragma once

// Names for screen readers: a control is named by what a person sees on it or beside it; the
// field it is bound to goes into its accessible description.

#include <QString>

class QLabel;
class QWidget;

namespace tellvaro::app {

// A caption as it is heard: mnemonic '&' dropped ("&&" stays one '&'), no trailing colon.
QString spoken_caption(const QString& caption);

// `caption` labels `control`: the buddy link for the relation, the spoken text as its name.
QLabel* label_for(QLabel* caption, QWidget* control);

// A label that shows a value is named by that value, after `purpose` when the value alone
// would not say what it is (a fee next to a feature). `show_value` keeps the name current.
void name_by_value(QLabel* label, const QString& purpose = QString());
void show_value(QLabel* label, const QString& text);

}  // namespace tellvaro::app
