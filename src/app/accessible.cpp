#include "app/accessible.h"

#include <QLabel>
#include <QVariant>

namespace tellvaro::app {
namespace {

constexpr const char* kPurpose = "tellvaro_spoken_purpose";

void name_shown(QLabel* label) {
  const QString purpose = label->property(kPurpose).toString();
  const QString text = label->text();
  label->setAccessibleName(purpose.isEmpty() ? text
                           : text.isEmpty()  ? purpose
                                             : purpose + QLatin1Char(' ') + text);
}

}  // namespace

QString spoken_caption(const QString& caption) {
  QString out;
  out.reserve(caption.size());
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == QLatin1Char('&')) {
      if (i + 1 < caption.size() && caption[i + 1] == QLatin1Char('&')) out += caption[++i];
      continue;
    }
    out += caption[i];
  }
  out = out.trimmed();
  if (out.endsWith(QLatin1Char(':'))) out.chop(1);
  return out.trimmed();
}

QLabel* label_for(QLabel* caption, QWidget* control) {
  caption->setBuddy(control);
  control->setAccessibleName(spoken_caption(caption->text()));
  return caption;
}

void name_by_value(QLabel* label, const QString& purpose) {
  label->setProperty(kPurpose, purpose);
  name_shown(label);
}

void show_value(QLabel* label, const QString& text) {
  label->setText(text);
  name_shown(label);
}

}  // namespace tellvaro::app
