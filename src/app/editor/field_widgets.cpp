#include "app/editor/field_widgets.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextDocument>
#include <QVBoxLayout>
#include <functional>

#include "app/accessible.h"
#include "catalogue/reference.h"
#include "ports/dialogs.h"
#include "presentation/messages.h"
#include "store/description_frames.h"
#include "store/field.h"
#include "store/table.h"
#include "text/error.h"
#include "text/line_breaks.h"

namespace tellvaro::app {
namespace {

QString q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }
std::string u(const QString& s) { return s.toStdString(); }

void show_in_combo(QComboBox* combo, const std::string& text) {
  int index = combo->findText(q(text), Qt::MatchExactly);
  combo->setCurrentIndex(index);
  if (index < 0) combo->setEditText(q(text));
  // A narrow drop-down shows the start of a long item, not its end.
  if (combo->lineEdit()) combo->lineEdit()->setCursorPosition(0);
}

}  // namespace

QString fieldName(store::F field) { return q(store::name_of(field)); }

struct FieldBinder::Binding {
  std::size_t field = 0;
  QWidget* widget = nullptr;
  std::function<std::string()> read;              // what the control holds, "as text"
  std::function<void(const std::string&)> write;  // show a field text
  bool writes = true;
  bool pending = false;  // the control holds a value the record could not take yet
};

FieldBinder::FieldBinder(store::Table& table, ports::Dialogs* dialogs, QObject* parent)
    : QObject(parent), table_(table), dialogs_(dialogs) {
  // The table may outlive the editor; the subscriptions end with the binder. The controls'
  // phase: whoever else hears of a change finds them showing the record, and a post takes
  // what they hold before anyone reads the record.
  data_change_ = table_.on_data_change([this](std::optional<std::size_t> field) { refresh(field); },
                                       store::Table::Phase::Controls);
  before_post_ = table_.on_before_post([this] { flush(); }, store::Table::Phase::Controls);
}

FieldBinder::~FieldBinder() = default;

FieldBinder::Binding& FieldBinder::add(std::unique_ptr<Binding> binding) {
  // Screen readers name the control by its caption (set by the page); the field is its binding.
  binding->widget->setAccessibleDescription(q(store::article_fields()[binding->field].name));
  bindings_.push_back(std::move(binding));
  Binding& b = *bindings_.back();
  show(b);
  return b;
}

QLineEdit* FieldBinder::bindEdit(QLineEdit* edit, store::F field) {
  auto b = std::make_unique<Binding>();
  b->field = store::index_of(field);
  b->widget = edit;
  b->read = [edit] { return u(edit->text()); };
  b->write = [edit](const std::string& t) {
    edit->setText(q(t));
    edit->setCursorPosition(0);
  };
  b->writes = !edit->isReadOnly();
  Binding& bound = add(std::move(b));
  if (bound.writes) {
    connect(edit, &QLineEdit::textChanged, this, [this, &bound] { changed(bound); });
    connect(edit, &QLineEdit::editingFinished, this, [this, &bound] { left(bound); });
  }
  return edit;
}

QPlainTextEdit* FieldBinder::bindOwnDescription(QPlainTextEdit* memo) {
  bindMemo(memo, store::F::Beschreibung);
  Binding& b = *bindings_.back();
  b.read = [this, memo] {
    const auto frame = store::frame_of(table_.text(store::F::Beschreibung));
    return store::join_frame(text::crlf_line_breaks(u(memo->document()->toRawText())),
                             frame.value_or(""));
  };
  b.write = [memo](const std::string& t) { memo->setPlainText(q(store::own_text(t))); };
  show(b);
  return memo;
}

QPlainTextEdit* FieldBinder::bindMemo(QPlainTextEdit* memo, store::F field) {
  auto b = std::make_unique<Binding>();
  b->field = store::index_of(field);
  b->widget = memo;
  // The raw text keeps no-break spaces (the plain text makes them blanks); its paragraph
  // separators become the stored CR LF.
  b->read = [memo] { return text::crlf_line_breaks(u(memo->document()->toRawText())); };
  b->write = [memo](const std::string& t) { memo->setPlainText(q(t)); };
  // Tab moves on to the next control, so the keyboard alone can leave the text; a tab
  // character still arrives by pasting.
  memo->setTabChangesFocus(true);
  Binding& bound = add(std::move(b));
  connect(memo, &QPlainTextEdit::textChanged, this, [this, &bound] { changed(bound); });
  watchFocusOut(memo, bound);
  return memo;
}

QComboBox* FieldBinder::bindCombo(QComboBox* combo, store::F field) {
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  // Long items (the shipping list) must not widen the page; the popup still shows them whole.
  combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  combo->setMinimumContentsLength(8);
  for (auto item : catalogue::choice_items(field)) combo->addItem(q(item));
  auto b = std::make_unique<Binding>();
  b->field = store::index_of(field);
  b->widget = combo;
  b->read = [combo] { return u(combo->currentText()); };
  b->write = [combo](const std::string& t) { show_in_combo(combo, t); };
  Binding& bound = add(std::move(b));
  // Follows both a chosen item and the text typed into the drop-down's own edit.
  connect(combo, &QComboBox::currentTextChanged, this, [this, &bound] { changed(bound); });
  connect(combo->lineEdit(), &QLineEdit::editingFinished, this, [this, &bound] { left(bound); });
  return combo;
}

QCheckBox* FieldBinder::bindCheck(QCheckBox* box, store::F field) {
  auto b = std::make_unique<Binding>();
  b->field = store::index_of(field);
  b->widget = box;
  b->read = [box] { return std::string(box->isChecked() ? "True" : "False"); };
  b->write = [box](const std::string& t) { box->setChecked(t == "True"); };
  Binding& bound = add(std::move(b));
  connect(box, &QCheckBox::toggled, this, [this, &bound] { changed(bound); });
  return box;
}

QLabel* FieldBinder::bindLabel(QLabel* label, store::F field) {
  auto b = std::make_unique<Binding>();
  b->field = store::index_of(field);
  b->widget = label;
  b->read = [label] { return u(label->text()); };
  b->write = [label](const std::string& t) { show_value(label, q(t)); };
  b->writes = false;
  label->setTextFormat(Qt::PlainText);
  name_by_value(label);
  add(std::move(b));
  return label;
}

QLineEdit* FieldBinder::edit(store::F field, QWidget* parent, bool read_only) {
  auto* e = new QLineEdit(parent);
  e->setReadOnly(read_only);
  return bindEdit(e, field);
}

QPlainTextEdit* FieldBinder::memo(store::F field, QWidget* parent) {
  return bindMemo(new QPlainTextEdit(parent), field);
}

QComboBox* FieldBinder::combo(store::F field, QWidget* parent) {
  return bindCombo(new QComboBox(parent), field);
}

QCheckBox* FieldBinder::check(store::F field, const QString& caption, QWidget* parent) {
  return bindCheck(new QCheckBox(caption, parent), field);
}

QGroupBox* FieldBinder::radio(store::F field, QWidget* parent, bool vertical) {
  auto* box = new QGroupBox(parent);
  box->setFlat(true);
  box->setStyleSheet(QStringLiteral("QGroupBox { border: none; margin: 0; padding: 0; }"));
  QBoxLayout* layout = vertical ? static_cast<QBoxLayout*>(new QVBoxLayout(box))
                                : static_cast<QBoxLayout*>(new QHBoxLayout(box));
  layout->setContentsMargins(0, 0, 0, 0);
  auto* group = new QButtonGroup(box);
  std::vector<std::pair<QRadioButton*, std::string>> buttons;
  for (const auto& item : catalogue::radio_items(field)) {
    auto* button = new QRadioButton(q(item.caption), box);
    button->setAccessibleDescription(fieldName(field));
    group->addButton(button);
    layout->addWidget(button);
    buttons.emplace_back(button, std::string(item.stored));
  }
  if (!vertical) layout->addStretch(1);

  auto b = std::make_unique<Binding>();
  b->field = store::index_of(field);
  b->widget = box;
  b->read = [buttons] {
    for (const auto& [button, stored] : buttons) {
      if (button->isChecked()) return stored;
    }
    return std::string();
  };
  b->write = [group, buttons](const std::string& t) {
    // A value that matches no item shows no choice at all.
    group->setExclusive(false);
    for (const auto& [button, stored] : buttons) button->setChecked(stored == t);
    group->setExclusive(true);
  };
  Binding& bound = add(std::move(b));
  for (const auto& entry : buttons) {
    // The button switched off by the choice of another says nothing new.
    connect(entry.first, &QRadioButton::toggled, this, [this, &bound](bool on) {
      if (on) changed(bound);
    });
  }
  return box;
}

void FieldBinder::setComboItems(store::F field, const std::vector<std::string>& items) {
  const std::size_t index = store::index_of(field);
  for (auto& b : bindings_) {
    auto* combo = qobject_cast<QComboBox*>(b->widget);
    if (b->field != index || !combo) continue;
    ++showing_;
    combo->clear();
    for (const auto& item : items) combo->addItem(q(item));
    --showing_;
    show(*b);
  }
}

void FieldBinder::show(Binding& b) {
  ++showing_;
  b.write(table_.text(static_cast<store::F>(b.field)));
  --showing_;
  b.pending = false;
}

void FieldBinder::refresh(std::optional<std::size_t> field) {
  for (auto& b : bindings_) {
    if (b.get() == writing_) continue;
    if (!field || b->field == *field) show(*b);
  }
}

void FieldBinder::changed(Binding& b) {
  if (showing_ > 0 || !b.writes) return;
  b.pending = true;
  store(b, false);
}

void FieldBinder::left(Binding& b) {
  if (b.pending && !store(b, true)) return;
  if (b.read() != table_.text(static_cast<store::F>(b.field))) show(b);
}

bool FieldBinder::store(Binding& b, bool report) {
  const auto field = static_cast<store::F>(b.field);
  Binding* const outer = writing_;
  // Written while the value changes: the control keeps its cursor and a number typed halfway
  // ("12.") until the user leaves it. On an empty table the first write inserts a record.
  writing_ = &b;
  if (table_.state() == store::EditState::Browse) {
    try {
      table_.edit();
    } catch (const Error& e) {
      writing_ = outer;
      if (dialogs_) dialogs_->error(e.what());
      return false;
    }
  }
  try {
    const std::string text = b.read();
    if (text != table_.text(field)) table_.set_text(field, text);
  } catch (const Error& e) {
    writing_ = outer;
    // While the user is still typing, the text may become a number yet; leaving it says why not.
    if (!report) return false;
    show(b);
    if (dialogs_) {
      dialogs_->error(presentation::value_kept_message(e.what()));
    }
    return false;
  }
  writing_ = outer;
  b.pending = false;
  return true;
}

void FieldBinder::flush() {
  for (auto& b : bindings_) {
    if (b->pending) store(*b, true);
  }
}

void FieldBinder::watchFocusOut(QWidget* w, Binding& b) {
  w->installEventFilter(this);
  w->setProperty("tellvaro_binding", QVariant::fromValue(static_cast<void*>(&b)));
}

bool FieldBinder::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    QVariant v = watched->property("tellvaro_binding");
    if (v.isValid()) left(*static_cast<Binding*>(v.value<void*>()));
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace tellvaro::app
